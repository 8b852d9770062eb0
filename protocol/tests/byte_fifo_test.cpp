#include "protocol/byte_fifo.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

namespace tessary::protocol {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteFifo, TakesFromTheFrontWhatWasAppendedAtTheBack) {
    ByteFifo fifo;
    EXPECT_TRUE(fifo.empty());
    fifo.append(Bytes{1, 2, 3});
    fifo.append(Bytes{4, 5});
    EXPECT_EQ(Bytes(fifo.bytes().begin(), fifo.bytes().end()), (Bytes{1, 2, 3, 4, 5}));

    ASSERT_TRUE(fifo.consume(2));
    EXPECT_EQ(fifo.size(), 3u);
    EXPECT_EQ(fifo.data()[0], 3);
    EXPECT_FALSE(fifo.consume(4));  // more than it holds: nothing taken
    EXPECT_EQ(fifo.size(), 3u);
    ASSERT_TRUE(fifo.consume(3));
    EXPECT_TRUE(fifo.empty());
}

TEST(ByteFifo, WritesInPlaceThroughPrepareAndCommit) {
    ByteFifo fifo;
    fifo.append(Bytes{9});
    uint8_t* room = fifo.prepare(1000);
    room[0] = 7;
    room[1] = 8;
    fifo.commit(2);  // the other 998 bytes are not part of the FIFO
    EXPECT_EQ(Bytes(fifo.bytes().begin(), fifo.bytes().end()), (Bytes{9, 7, 8}));
}

// Random appends and takes against a plain deque: the read offset and the
// occasional compaction must never lose or reorder a byte.
TEST(ByteFifo, MatchesADequeUnderRandomTraffic) {
    std::mt19937 random(7);
    ByteFifo fifo;
    std::deque<uint8_t> reference;
    uint8_t next = 0;
    for (int step = 0; step < 20'000; ++step) {
        if (random() % 2) {
            Bytes chunk(random() % 1500);
            for (uint8_t& b : chunk) b = next++;
            fifo.append(chunk);
            reference.insert(reference.end(), chunk.begin(), chunk.end());
        } else {
            const size_t take = reference.empty() ? 0 : random() % (reference.size() + 1);
            ASSERT_TRUE(fifo.consume(take));
            reference.erase(reference.begin(), reference.begin() + long(take));
        }
        ASSERT_EQ(fifo.size(), reference.size());
        if (!reference.empty()) {
            ASSERT_EQ(fifo.data()[0], reference.front());
            ASSERT_EQ(fifo.data()[fifo.size() - 1], reference.back());
        }
    }
    EXPECT_TRUE(std::equal(reference.begin(), reference.end(), fifo.bytes().begin()));
}

}  // namespace
}  // namespace tessary::protocol
