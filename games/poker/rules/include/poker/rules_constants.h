// The table's fixed amounts, limits and times.
#pragma once

#include <cstdint>

namespace tessary::poker {

inline constexpr int32_t kAnte = 5;
inline constexpr int32_t kRaiseStep = 5;
inline constexpr int32_t kMaxRaise = 50;
inline constexpr int32_t kMinimumBankroll = 250;
inline constexpr int kTurnSeconds = 45;
inline constexpr int kWarningSeconds = 10;
inline constexpr int kMaxPlayers = 4;
inline constexpr int kSeatCount = 4;
inline constexpr int kLocalSeat = 3;  // the local player's seat on every table
inline constexpr int kNoSeat = -1;
inline constexpr int kTurnSearchSteps = 50;

}  // namespace tessary::poker
