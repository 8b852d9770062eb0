// Sharing the pot among the best hands at a showdown.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessary::poker {

struct ScoredHand {
    uint16_t id = 0;
    int32_t score = 0;
};

struct PotDistribution {
    int32_t bestScore = 0;            // 0: no hand could be evaluated
    std::vector<uint16_t> receivers;  // the winners, or everybody when nobody scored
    int32_t share = 0;                // what each receiver gets; the remainder is lost
    bool hasWinners() const { return bestScore > 0; }
};

// `hands` holds every player in hand, in table order.
[[nodiscard]] PotDistribution distributePot(int32_t pot, std::span<const ScoredHand> hands);

}  // namespace tessary::poker
