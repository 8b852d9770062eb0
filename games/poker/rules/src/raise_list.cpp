#include "poker/raise_list.h"

#include "poker/rules_constants.h"

namespace tessary::poker {

std::vector<int32_t> raiseOptions(int32_t money, int32_t bet, int32_t highestBet) {
    std::vector<int32_t> options;
    const int64_t leftAfterMatching = int64_t{money} + bet - highestBet;
    for (int32_t r = kRaiseStep; r <= kMaxRaise; r += kRaiseStep) {
        if (r <= money && leftAfterMatching - r >= 0) options.push_back(r);
    }
    return options;
}

}  // namespace tessary::poker
