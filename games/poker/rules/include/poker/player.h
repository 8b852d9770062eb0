// One player's record at the table, the local player's included.
#pragma once

#include <cstdint>
#include <string>

#include "poker/card.h"
#include "poker/rules_constants.h"

namespace tessary::poker {

struct Player {
    uint16_t id = 0;
    std::string name;
    int seat = kNoSeat;
    int32_t money = 0;     // bankroll in dollars; calls may take it below 0
    int32_t bet = 0;       // put into the pot in the current hand
    Hand cards = kNoHand;
    bool acted = false;    // called or raised since the last raise; in the draw: has drawn
    bool inHand = false;

    bool needsToAct(int32_t highestBet) const { return inHand && (!acted || bet < highestBet); }
};

}  // namespace tessary::poker
