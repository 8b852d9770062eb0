// The phases of a hand.
#pragma once

#include <cstdint>

namespace tessary::poker {

enum class Phase : int32_t {
    Ante = 0,
    FirstBetting = 1,
    Draw = 2,
    SecondBetting = 3,
};

constexpr bool isBettingPhase(Phase p) { return p == Phase::FirstBetting || p == Phase::SecondBetting; }

}  // namespace tessary::poker
