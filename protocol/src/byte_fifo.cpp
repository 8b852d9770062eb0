#include "protocol/byte_fifo.h"

#include <algorithm>
#include <cstring>

namespace tessary::protocol {

uint8_t* ByteFifo::prepare(size_t count) {
    if (end_ + count > storage_.size()) {
        if (begin_ > 0 && begin_ >= size()) {
            std::memmove(storage_.data(), storage_.data() + begin_, size());
            end_ -= begin_;
            begin_ = 0;
        }
        if (end_ + count > storage_.size())
            storage_.resize(std::max(end_ + count, 2 * storage_.size()));
    }
    return storage_.data() + end_;
}

void ByteFifo::append(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    std::memcpy(prepare(bytes.size()), bytes.data(), bytes.size());
    commit(bytes.size());
}

bool ByteFifo::consume(size_t count) {
    if (count > size()) return false;
    begin_ += count;
    if (begin_ == end_) clear();
    return true;
}

}  // namespace tessary::protocol
