#include "poker/pot.h"

namespace tessary::poker {

PotDistribution distributePot(int32_t pot, std::span<const ScoredHand> hands) {
    PotDistribution result;
    for (const ScoredHand& h : hands) {
        if (h.score > result.bestScore) result.bestScore = h.score;
    }
    for (const ScoredHand& h : hands) {
        if (!result.hasWinners() || h.score == result.bestScore) result.receivers.push_back(h.id);
    }
    if (!result.receivers.empty()) {
        result.share = pot / static_cast<int32_t>(result.receivers.size());
    }
    return result;
}

}  // namespace tessary::poker
