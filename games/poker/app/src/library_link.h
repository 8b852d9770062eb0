// The table's link to the other programs through libTSGame.so, and the C
// callbacks that bring the library's events to the one PokerGame.
#pragma once

#include "game_library.h"
#include "poker/poker_game.h"
#include "poker/poker_link.h"

namespace tessary::poker {

class LibraryLink : public PokerLink {
public:
    static constexpr int32_t kStreamMode = 1;  // reliable and ordered

    explicit LibraryLink(const GameLibrary& library) : library_(library) {}

    void sendToOthers(uint8_t type, std::span<const uint8_t> payload) override;
    void sendToAll(uint8_t type, std::span<const uint8_t> payload) override;
    void sendToOne(uint16_t playerId, uint8_t type, std::span<const uint8_t> payload) override;
    void storeMoney(uint16_t playerId, int32_t money) override;
    std::string playerName(uint16_t playerId) override;

private:
    const GameLibrary& library_;
};

// Fixes the four event callbacks, then the personal callbacks for the game
// messages 2, 4, 1, 3, 5, 7 and 8; they all reach `game` until disconnected.
void connectCallbacks(const GameLibrary& library, PokerGame& game);
// From now on the callbacks reach nothing.
void disconnectCallbacks();

}  // namespace tessary::poker
