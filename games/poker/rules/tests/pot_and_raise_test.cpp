#include <gtest/gtest.h>

#include <vector>

#include "poker/pot.h"
#include "poker/raise_list.h"

namespace tessary::poker {
namespace {

struct PotCase {
    const char* name;
    int32_t pot;
    std::vector<ScoredHand> hands;
    std::vector<uint16_t> receivers;
    int32_t share;
    bool winners;
};

class PotDistributionCases : public ::testing::TestWithParam<PotCase> {};

TEST_P(PotDistributionCases, SharesThePot) {
    const PotCase& c = GetParam();
    const PotDistribution d = distributePot(c.pot, c.hands);
    EXPECT_EQ(d.receivers, c.receivers);
    EXPECT_EQ(d.share, c.share);
    EXPECT_EQ(d.hasWinners(), c.winners);
}

INSTANTIATE_TEST_SUITE_P(
    Showdown, PotDistributionCases,
    ::testing::Values(
        PotCase{"single best hand takes all", 40, {{1, 500000}, {2, 900001}, {3, 30}}, {2}, 40, true},
        PotCase{"25 between two winners loses a dollar", 25, {{1, 2250011}, {2, 2250011}, {3, 460000}}, {1, 2}, 12,
                true},
        PotCase{"three-way tie", 100, {{4, 7}, {5, 7}, {6, 7}}, {4, 5, 6}, 33, true},
        PotCase{"no evaluable hand splits among all in hand", 30, {{1, 0}, {2, 0}, {3, 0}, {9, 0}}, {1, 2, 3, 9}, 7,
                false},
        PotCase{"a hand scoring 0 never wins against a real hand", 30, {{1, 0}, {2, 1}}, {2}, 30, true},
        PotCase{"nobody in hand receives nothing", 30, {}, {}, 0, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

struct RaiseCase {
    int32_t money, bet, highest;
    std::vector<int32_t> options;
};

TEST(RaiseList, OffersWhatTheMoneyCovers) {
    const RaiseCase rows[] = {
        {12, 5, 5, {5, 10}},
        {1000, 5, 5, {5, 10, 15, 20, 25, 30, 35, 40, 45, 50}},
        {50, 0, 0, {5, 10, 15, 20, 25, 30, 35, 40, 45, 50}},
        {20, 5, 15, {5, 10}},   // 10 goes into matching first
        {9, 5, 15, {}},         // cannot even match and raise 5
        {4, 5, 5, {}},
        {0, 5, 5, {}},
        {-10, 5, 5, {}},
        {49, 5, 5, {5, 10, 15, 20, 25, 30, 35, 40, 45}},
    };
    for (const RaiseCase& r : rows) {
        EXPECT_EQ(raiseOptions(r.money, r.bet, r.highest), r.options)
            << "money " << r.money << " bet " << r.bet << " highest " << r.highest;
    }
}

}  // namespace
}  // namespace tessary::poker
