// Computer players for Slimefray. A bot sees what a player's program sees
// (blobs, items, tiles, its own mines; never another slot's mines) and plays
// through Game::move and Game::endTurn like a human's requests, so every rule
// check applies to it too. Bots only move; they do not use powers.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "slimefray/game.h"
#include "slimefray/messages.h"

namespace tessary::slimefray {

enum class BotLevel {
    Greedy,     // the move that gains the most blobs now
    Lookahead,  // the move whose worst answer by the next player leaves it best off
};

// The move `slot` would make on `game`'s board, or nullopt when it has none
// (or only onto its own mines, when it passes).
// Ties are broken with `random`.
std::optional<MoveRecord> chooseBotMove(const Game& game, int slot, BotLevel level,
                                        std::mt19937& random);

// Plays the current slot's whole turn: one move, then the end of the turn
// (unless the move ended the game). Returns the first refusal, if any.
[[nodiscard]] Verdict playBotTurn(Game& game, BotLevel level, std::mt19937& random, int64_t nowMs,
                                  Outbox& out);

}  // namespace tessary::slimefray
