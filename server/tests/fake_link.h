// A ClientLink without a socket: records what a role sends, for unit tests
// and the fuzzer.
#pragma once

#include <string>
#include <vector>

#include "link.h"

namespace tessary::server {

class FakeLink final : public ClientLink {
public:
    explicit FakeLink(uint64_t id, std::string address = "127.0.0.1") : ClientLink(id, std::move(address), 40000) {}

    void send(SharedFrame frame) override {
        if (open_) frames_.push_back(std::move(frame));
    }
    void close(std::string_view reason) override {
        if (!open_) return;
        open_ = false;
        closeReason = std::string(reason);
    }
    void closeAfterSending(std::string_view reason) override {
        paused = true;
        close(reason);
    }
    bool isOpen() const override { return open_; }
    void pause() override { paused = true; }
    void resume() override { paused = false; }

    // Decodes and forgets what was sent so far.
    std::vector<protocol::Message> take() {
        std::vector<protocol::Message> out;
        for (const SharedFrame& frame : frames_)
            if (auto message = protocol::decode(*frame)) out.push_back(std::move(*message));
        frames_.clear();
        return out;
    }
    size_t pending() const { return frames_.size(); }

    bool paused = false;
    std::string closeReason;

private:
    bool open_ = true;
    std::vector<SharedFrame> frames_;
};

}  // namespace tessary::server
