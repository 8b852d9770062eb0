// A scripted player that plays through the same input calls as a person
// (clicks on cells and on the power square), for tests and headless players.
#pragma once

#include <cstdint>
#include <random>

#include "slimefray/client_game.h"

namespace tessary::slimefray {

class AutoPlayer {
public:
    enum class Style {
        Greedy,    // the move that converts the most
        Random,    // any legal move
        Powerful,  // a power whenever one is shown, else greedy
    };

    AutoPlayer(Style style, uint32_t seed) : style_(style), random_(seed) {}

    // Plays the local turn if it is one; returns whether it did anything.
    bool play(ClientGame& game, int64_t nowMs);

private:
    bool usePower(ClientGame& game, int64_t nowMs);
    bool move(ClientGame& game, int64_t nowMs);
    int enemiesAround(const BoardModel& board, int x, int y, int slot) const;

    Style style_;
    std::mt19937 random_;
};

}  // namespace tessary::slimefray
