// The ordered queues of a connection. Entries are kept sorted by (priority,
// replace flag, key), lowest first, and entries that compare equal keep their
// arrival order. Before a new entry goes in, the first waiting entry that has
// the replace flag and the same priority, key and format is dropped: a newer
// value supersedes one that has not left yet.
//
// Appending behind the tail costs constant time; the rarer insertion below the
// tail finds its place by binary search.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>

#include "protocol/codec.h"

namespace tessary::protocol {

// An encoded message waiting in the send queue. Its key is 0 for a structured
// message and the sender id for a raw one.
struct OutgoingFrame {
    Format format = Format::Structured;
    uint8_t flags = 0;
    uint16_t key = 0;
    Bytes bytes;
};

// A received frame waiting in the receive queue, checked but not yet built
// into a message (toMessage() does that); its key is always 0.
struct IncomingFrame {
    Format format = Format::Structured;
    uint8_t flags = 0;
    uint16_t key = 0;
    CheckedFrame frame;
};

// Entry: any type with `format`, `flags` and `key` members as above.
template <class Entry>
class MessageQueue {
public:
    bool empty() const { return slots_.empty(); }
    size_t size() const { return slots_.size(); }
    const Entry& operator[](size_t index) const { return slots_[index].entry; }
    Entry& front() { return slots_.front().entry; }

    void insert(Entry entry);
    void popFront() { erase(slots_.begin()); }
    // Takes the first entry out. REQUIRES: !empty().
    Entry takeFront();
    void clear();

    // The sort rank of flags and key: priority, then replace flag, then key.
    static uint32_t rank(uint8_t flags, uint16_t key) {
        return (uint32_t(flags & kPriorityMask) << 17) |
               (uint32_t(flags & kReplaceFlag ? 1 : 0) << 16) | key;
    }

private:
    struct Slot {
        uint32_t rank;
        Entry entry;
    };
    using Slots = std::deque<Slot>;

    void supersede(const Entry& incoming);
    void erase(typename Slots::iterator at);

    Slots slots_;
    size_t replaceable_ = 0;  // entries with the replace flag: none, no supersede scan
};

template <class Entry>
void MessageQueue<Entry>::insert(Entry entry) {
    if (replaceable_ > 0) supersede(entry);
    const uint32_t r = rank(entry.flags, entry.key);
    if (entry.flags & kReplaceFlag) ++replaceable_;
    if (slots_.empty() || slots_.back().rank <= r) {
        slots_.push_back({r, std::move(entry)});
        return;
    }
    const auto at =
        std::upper_bound(slots_.begin(), slots_.end(), r,
                         [](uint32_t value, const Slot& slot) { return value < slot.rank; });
    slots_.insert(at, {r, std::move(entry)});
}

template <class Entry>
void MessageQueue<Entry>::supersede(const Entry& incoming) {
    // Only entries with the replace flag and the same priority and key can be
    // superseded, and those share one rank.
    const uint32_t target =
        rank(uint8_t((incoming.flags & kPriorityMask) | kReplaceFlag), incoming.key);
    auto it = std::lower_bound(slots_.begin(), slots_.end(), target,
                               [](const Slot& slot, uint32_t value) { return slot.rank < value; });
    for (; it != slots_.end() && it->rank == target; ++it) {
        if (it->entry.format == incoming.format) {
            erase(it);
            return;
        }
    }
}

template <class Entry>
Entry MessageQueue<Entry>::takeFront() {
    Entry entry = std::move(slots_.front().entry);
    popFront();
    return entry;
}

template <class Entry>
void MessageQueue<Entry>::erase(typename Slots::iterator at) {
    if (at->entry.flags & kReplaceFlag) --replaceable_;
    slots_.erase(at);
}

template <class Entry>
void MessageQueue<Entry>::clear() {
    slots_.clear();
    replaceable_ = 0;
}

using SendQueue = MessageQueue<OutgoingFrame>;
using ReceiveQueue = MessageQueue<IncomingFrame>;

}  // namespace tessary::protocol
