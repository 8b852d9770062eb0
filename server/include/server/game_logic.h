// The seam for a game's own server logic (a referee) in the game server.
//
// The game server relays most game traffic between the players itself; a
// game that needs the server to decide (Slimefray) gives a GameLogic, chosen
// by the session's game name. The logic sees players arrive and leave, the
// master, the game messages sent to the server (relay kind 4, types 0-200),
// and the passing of time; it answers through its GameTable. Everything runs
// on the game server's thread; nothing here blocks or reads a clock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tessary::server {

using PlayerId = uint16_t;

// What a session was begun with, read by its logic when it is made.
struct TableSetup {
    std::string options;            // the option line the master chose in the lobby
    int64_t computerDelayMs = 1500;  // a computer player's pause before it moves
};

// What a game's logic can do to its session.
class GameTable {
public:
    virtual ~GameTable() = default;
    virtual const TableSetup& setup() const = 0;
    // Seats a computer player: the players' programs see it arrive as a
    // player named `name` (it never registers, sends or becomes master).
    // Returns its id, or 0 when no id is left.
    virtual PlayerId addComputerPlayer(std::string_view name) = 0;
    // Sends a game message (type 0-200 and its body) from the server.
    virtual void sendToPlayer(PlayerId to, uint8_t type, std::span<const uint8_t> body) = 0;
    virtual void sendToAll(uint8_t type, std::span<const uint8_t> body) = 0;
    // Counts a won game in the player's statistics (games played are counted
    // when the session begins).
    virtual void recordWin(PlayerId player) = 0;
    virtual std::string playerName(PlayerId player) const = 0;
    // A line about this table in the service's log.
    virtual void note(std::string_view text) = 0;
};

class GameLogic {
public:
    virtual ~GameLogic() = default;
    virtual void playerJoined(PlayerId id, std::string_view name, bool spectator, int64_t nowMs) = 0;
    virtual void playerLeft(PlayerId id, int64_t nowMs) = 0;
    virtual void masterChanged(PlayerId id) = 0;
    // A game message a player sent to the server.
    virtual void receive(PlayerId from, uint8_t type, std::span<const uint8_t> body, int64_t nowMs) = 0;
    // Called about every 100 ms.
    virtual void tick(int64_t nowMs) = 0;

    // Keeping a seat: when a player's stream drops and keepsSeat() says so,
    // the server calls playerAway() instead of playerLeft(); then either
    // playerReturned() when the player registers again within the bound,
    // or playerLeft() after it.
    virtual bool keepsSeat(PlayerId id) const {
        (void)id;
        return false;
    }
    virtual void playerAway(PlayerId id, int64_t nowMs) { (void)id, (void)nowMs; }
    virtual void playerReturned(PlayerId id, int64_t nowMs) { (void)id, (void)nowMs; }
};

using GameLogicFactory = std::function<std::unique_ptr<GameLogic>(GameTable& table)>;

// Game name (compared without regard to case) -> factory.
class GameLogicRegistry {
public:
    void add(std::string game, GameLogicFactory factory) { factories_[fold(game)] = std::move(factory); }
    // Nothing when the game has no server logic: its traffic is only relayed.
    std::unique_ptr<GameLogic> create(std::string_view game, GameTable& table) const {
        auto it = factories_.find(fold(game));
        return it == factories_.end() ? nullptr : it->second(table);
    }

private:
    static std::string fold(std::string_view text) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = char(c - 32);
        return out;
    }
    std::map<std::string, GameLogicFactory> factories_;
};

// The logics built into this tessaryd (Slimefray's referee when it is part
// of the build).
GameLogicRegistry builtinGameLogics();

}  // namespace tessary::server
