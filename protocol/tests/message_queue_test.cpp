#include "protocol/message_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace tessary::protocol {
namespace {

// Entries are told apart by their first byte, the arrival number.
OutgoingFrame frame(int id, uint8_t priority, bool replace = false, uint16_t key = 0,
                    Format format = Format::Structured) {
    return {format, uint8_t(priority | (replace ? kReplaceFlag : 0)), key, Bytes{uint8_t(id)}};
}

std::vector<int> idsOf(const SendQueue& queue) {
    std::vector<int> ids;
    for (size_t i = 0; i < queue.size(); ++i) ids.push_back(queue[i].bytes[0]);
    return ids;
}

TEST(MessageQueue, OrdersByPriorityThenReplaceFlagThenKeyKeepingArrivalOrder) {
    struct Case {
        const char* name;
        std::vector<OutgoingFrame> arrivals;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"same rank keeps arrival order", {frame(1, 0), frame(2, 0), frame(3, 0)}, {1, 2, 3}},
        {"urgent frame goes to the head", {frame(1, 31), frame(2, 31), frame(3, 0)}, {3, 1, 2}},
        {"equal frames behind a lower one keep their order",
         {frame(1, 5), frame(2, 1), frame(3, 5), frame(4, 1)},
         {2, 4, 1, 3}},
        {"replace flag after plain frames",
         {frame(1, 2, true, 0, Format::Raw), frame(2, 2, false)},
         {2, 1}},
        {"lower key first",
         {frame(1, 0, false, 9), frame(2, 0, false, 3), frame(3, 0, false, 9)},
         {2, 1, 3}},
        {"priority outranks flag and key", {frame(1, 1, false, 0), frame(2, 0, true, 500)}, {2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendQueue queue;
        for (const OutgoingFrame& f : c.arrivals) queue.insert(f);
        EXPECT_EQ(idsOf(queue), c.expected);
    }
}

TEST(MessageQueue, ANewerMessageSupersedesTheFirstReplaceableTwin) {
    struct Case {
        const char* name;
        std::vector<OutgoingFrame> arrivals;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"each newer one replaces the one before",
         {frame(1, 3, true, 7), frame(2, 3, true, 7), frame(3, 3, true, 7)},
         {3}},
        {"the newcomer needs no replace flag itself",
         {frame(1, 3, true, 7), frame(2, 3, false, 7)},
         {2}},
        {"a waiting message without the flag stays",
         {frame(1, 3, false, 7), frame(2, 3, true, 7)},
         {1, 2}},
        {"other priority, key or format stays",
         {frame(1, 3, true, 7), frame(2, 4, true, 7), frame(3, 3, true, 8),
          frame(4, 3, true, 7, Format::Raw)},
         {1, 4, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendQueue queue;
        for (const OutgoingFrame& f : c.arrivals) queue.insert(f);
        EXPECT_EQ(idsOf(queue), c.expected);
    }
}

// Random arrivals and departures against the plainest model: supersede as
// the rule says, then append and stable-sort by (priority, flag, key).
TEST(MessageQueue, MatchesAStableSortOnRandomSequences) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        SendQueue queue;
        std::vector<OutgoingFrame> model;
        for (int id = 0; id < 250; ++id) {
            if (random() % 4 == 0 && !model.empty()) {
                queue.popFront();
                model.erase(model.begin());
                continue;
            }
            const uint8_t priorities[] = {0, 1, 2, 31};
            const OutgoingFrame f =
                frame(id, priorities[random() % 4], random() % 3 == 0, uint16_t(random() % 3),
                      random() % 5 == 0 ? Format::Raw : Format::Structured);
            const auto twin = std::find_if(model.begin(), model.end(), [&](const OutgoingFrame& w) {
                return (w.flags & kReplaceFlag) &&
                       (w.flags & kPriorityMask) == (f.flags & kPriorityMask) && w.key == f.key &&
                       w.format == f.format;
            });
            if (twin != model.end()) model.erase(twin);
            model.push_back(f);
            std::stable_sort(
                model.begin(), model.end(), [](const OutgoingFrame& a, const OutgoingFrame& b) {
                    return SendQueue::rank(a.flags, a.key) < SendQueue::rank(b.flags, b.key);
                });

            queue.insert(f);
            ASSERT_EQ(queue.size(), model.size());
            for (size_t i = 0; i < model.size(); ++i)
                ASSERT_EQ(queue[i].bytes, model[i].bytes) << "at " << i;
        }
    }
}

TEST(MessageQueue, TakeFrontAndClear) {
    ReceiveQueue queue;
    CheckedFrame first;
    first.typeOrKind = 1;
    CheckedFrame second;
    second.typeOrKind = 2;
    queue.insert({Format::Structured, 0, 0, first});
    queue.insert({Format::Structured, kReplaceFlag, 0, second});
    EXPECT_EQ(queue.takeFront().frame.typeOrKind, 1);
    EXPECT_EQ(queue.size(), 1u);
    queue.clear();
    EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace tessary::protocol
