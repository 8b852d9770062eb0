// The raise amounts a player may choose from.
#pragma once

#include <cstdint>
#include <vector>

namespace tessary::poker {

// Steps of 5 up to 50 that the player's money covers on top of matching the
// highest bet.
[[nodiscard]] std::vector<int32_t> raiseOptions(int32_t money, int32_t bet, int32_t highestBet);

}  // namespace tessary::poker
