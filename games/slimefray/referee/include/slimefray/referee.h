// The game server's referee for Slimefray.
//
// The service hands it what happens in one session: players joining and
// leaving (by service id), the master, every game message a player sends to
// the server (relay kind "to server"), and the passing of time. Each call
// answers with the game messages to send and to whom. The referee does no I/O
// and reads no clock: the caller passes the time in milliseconds.
//
//   Referee referee({.themes = loadThemes(dir)});
//   on EVENT_NEWPLAYER:  send(referee.playerJoined(id, name, now));
//   on EVENT_NEWMASTER:  referee.masterChanged(id);
//   on a game message of kind 4 whose type Referee::handles():
//                        send(referee.receive(id, type, body, now));
//   on a player's departure: send(referee.playerLeft(id, now));
//   every few hundred ms: send(referee.tick(now));
//   once finished():     store results().
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "slimefray/bot.h"
#include "slimefray/game.h"
#include "slimefray/messages.h"
#include "slimefray/theme.h"

namespace tessary::slimefray {

inline constexpr uint16_t kToEveryone = 0xFFFF;

// One game message: raw payload = type byte, then body.
struct Outgoing {
    uint16_t to = kToEveryone;  // a player's service id, or every member of the session
    uint8_t type = 0;
    Bytes body;
};

struct Outcome {
    std::vector<Outgoing> messages;
    std::string refusal;  // empty when the request was accepted
    bool accepted() const { return refusal.empty(); }
};

struct PlayerResult {
    uint16_t id = 0;
    std::string name;
    int slot = 0;
    int blobs = 0;
    int rank = 0;
    bool winner = false;
    bool left = false;
    int players = 0;  // slots that took part
};

struct RefereeSettings {
    std::vector<Theme> themes;  // empty: a plain built-in theme
    uint32_t seed = 1;
    int64_t startWaitMs = 30000;  // after the map: start with whoever is present
    GameSettings rules;           // clock mode, seconds and items come from type 10
    // Computer players seated after the players present at the start (as
    // many as free slots allow). They have no service id: the referee plays
    // their turns in tick(), each after botDelayMs (at most half the turn).
    int bots = 0;
    BotLevel botLevel = BotLevel::Greedy;
    int64_t botDelayMs = 1500;
};

class Referee {
public:
    explicit Referee(RefereeSettings settings);

    // The game messages a player sends to the server that the referee takes.
    static bool handles(uint8_t type);

    // A spectator of the table never takes a slot, not even before the start.
    [[nodiscard]] Outcome playerJoined(uint16_t id, std::string_view name, int64_t nowMs, bool spectator = false);
    [[nodiscard]] Outcome playerLeft(uint16_t id, int64_t nowMs);
    // Keeping a seat: a player holding a slot in a running game whose link
    // dropped. While away, its turns are passed, or played by a computer
    // player of the table's level when the table has computer players. A
    // return gets the whole state again: set-up, board, turn and clock,
    // its own mines and powers.
    bool keepsSeat(uint16_t id) const;
    void playerAway(uint16_t id);
    [[nodiscard]] Outcome playerReturned(uint16_t id, int64_t nowMs);
    // Only the master's description and map are taken; until the service names
    // a master, the first player to send one is taken as the master.
    void masterChanged(uint16_t id);
    [[nodiscard]] Outcome receive(uint16_t from, uint8_t type, std::span<const uint8_t> body,
                                  int64_t nowMs);
    [[nodiscard]] Outcome tick(int64_t nowMs);
    // When tick() next has something to do, if ever.
    std::optional<int64_t> nextDeadline() const;

    bool started() const { return game_.has_value(); }
    bool finished() const { return game_ && game_->over(); }
    const Game* game() const { return game_ ? &*game_ : nullptr; }
    // The slot of a player, or kNoSlot for a spectator or an unknown id.
    int slotOf(uint16_t id) const;
    // Everyone's standing once finished(); empty before.
    std::vector<PlayerResult> results() const;
    // The slots the computer players took at the start (none before).
    std::vector<int> computerSlots() const;
    // Who holds a slot, as the programs are told (type 33): the player's
    // service name, "Bot 1", "Bot 2"... for the computer players; empty for
    // a slot nobody took.
    std::string slotName(int slot) const;
    // Names offered in type 30 ("<theme>.thm").
    std::vector<std::string> themeFileNames() const;

private:
    struct Member {
        uint16_t id = 0;
        std::string name;
        int slot = kNoSlot;
        bool present = true;
        bool away = false;  // link dropped, seat kept
        bool spectator = false;
    };

    Outcome takeDescription(uint16_t from, std::span<const uint8_t> body, int64_t nowMs);
    Outcome takeMap(uint16_t from, std::span<const uint8_t> body, int64_t nowMs);
    void maybeStart(int64_t nowMs, Outcome& outcome);
    void start(int64_t nowMs, Outcome& outcome);
    void greet(const Member& member, Outcome& outcome) const;
    const Theme& theme() const;
    void deliver(const Outbox& box, Outcome& outcome) const;
    int presentPlayers() const;
    bool botToMove() const;
    bool awayToMove() const;
    bool slotAway(int slot) const;
    int64_t botMoveAtMs() const;
    Member* member(uint16_t id);

    RefereeSettings settings_;
    std::vector<Member> members_;  // in order of arrival
    std::optional<uint16_t> master_;
    std::optional<GameDescription> description_;
    std::optional<Board> map_;
    int64_t mapArrivedMs_ = 0;
    std::optional<Game> game_;
    int firstBotSlot_ = kMaxSlots;
    std::mt19937 botRandom_;
};

}  // namespace tessary::slimefray
