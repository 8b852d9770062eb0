// A first-in first-out byte buffer for a stream: bytes are appended at the
// back and taken from the front. Taking only moves a read offset; the held
// bytes are moved to the start of the storage only when the space already
// taken is at least as large as what is held, so the cost of every byte moved
// is paid by a byte taken before it and a stream costs linear time overall.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessary::protocol {

class ByteFifo {
public:
    size_t size() const { return end_ - begin_; }
    bool empty() const { return begin_ == end_; }
    const uint8_t* data() const { return storage_.data() + begin_; }
    std::span<const uint8_t> bytes() const { return {data(), size()}; }

    void append(std::span<const uint8_t> bytes);

    // Writing in place: prepare() returns room for `count` bytes at the back,
    // valid until the next call that changes the FIFO; commit() then keeps the
    // first `used` (<= count) of them.
    uint8_t* prepare(size_t count);
    void commit(size_t used) { end_ += used; }

    // Removes `count` bytes from the front; false (nothing removed) when fewer
    // are held.
    [[nodiscard]] bool consume(size_t count);
    void clear() { begin_ = end_ = 0; }

private:
    std::vector<uint8_t> storage_;
    size_t begin_ = 0;
    size_t end_ = 0;
};

}  // namespace tessary::protocol
