// What the table needs from the game library: sending to the other programs
// of the session, storing a bankroll, and player names. The program implements
// it over libTSGame.so; tests implement it with an in-memory hub.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tessary::poker {

class PokerLink {
public:
    virtual ~PokerLink() = default;

    // Reliable, ordered game messages. sendToAll comes back to the sender too.
    virtual void sendToOthers(uint8_t type, std::span<const uint8_t> payload) = 0;
    virtual void sendToAll(uint8_t type, std::span<const uint8_t> payload) = 0;
    virtual void sendToOne(uint16_t playerId, uint8_t type, std::span<const uint8_t> payload) = 0;

    // Asks the service to store the player's bankroll (4 bytes, little-endian).
    virtual void storeMoney(uint16_t playerId, int32_t money) = 0;

    // The name the library knows for the player; empty when unknown.
    virtual std::string playerName(uint16_t playerId) = 0;
};

}  // namespace tessary::poker
