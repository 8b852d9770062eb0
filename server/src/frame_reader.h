// Cuts a received byte stream into decoded messages: the announced size is
// checked as soon as three bytes are in, against the codec's bounds and then
// against this reader's own (smaller) limit, before any body is buffered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/codec.h"

namespace tessary::server {

class FrameReader {
public:
    enum class Result { Message, NeedMore, Error };

    explicit FrameReader(size_t maxFrameBytes) : maxFrameBytes_(maxFrameBytes) {}

    void append(const uint8_t* data, size_t size) {
        if (start_ > 0 && start_ == buffer_.size()) {
            buffer_.clear();
            start_ = 0;
        } else if (start_ > 65536 && start_ * 2 > buffer_.size()) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
            start_ = 0;
        }
        buffer_.insert(buffer_.end(), data, data + size);
    }

    // Takes the next whole frame. On Error `reason` says why; the stream is
    // then unusable and the connection must be closed.
    [[nodiscard]] Result next(protocol::Message& out, std::string& reason) {
        const size_t available = buffer_.size() - start_;
        if (available < 3) return Result::NeedMore;
        const uint8_t* head = buffer_.data() + start_;
        if (!protocol::checkFrameSize({head, 3})) {
            reason = "bad frame size " + std::to_string(protocol::announcedSize(head));
            return Result::Error;
        }
        const size_t size = protocol::announcedSize(head);
        if (size > maxFrameBytes_) {
            reason = "frame of " + std::to_string(size) + " bytes over the limit of " + std::to_string(maxFrameBytes_);
            return Result::Error;
        }
        if (available < size) return Result::NeedMore;
        auto decoded = protocol::decode({head, size});
        start_ += size;
        if (!decoded) {
            reason = "undecodable frame";
            return Result::Error;
        }
        out = std::move(*decoded);
        return Result::Message;
    }

    size_t buffered() const { return buffer_.size() - start_; }

private:
    size_t maxFrameBytes_;
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
};

}  // namespace tessary::server
