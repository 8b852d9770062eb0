// The rules of a Slimefray game between slots 0..n-1, with no notion of
// players' service ids or of the wire beyond the message bodies: each call
// validates a request and appends the messages it causes to an outbox.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "slimefray/board.h"
#include "slimefray/messages.h"

namespace tessary::slimefray {

struct GameSettings {
    bool clockMode = false;   // unused seconds carry over to the slot's next turn
    int secondsPerTurn = 45;
    int itemEvery = 4;        // a power item appears every this many turns; 0 = never
    int shieldTurns = 3;      // owner's turns a hyper shield lasts
    int debrisTurns = 12;     // turns until a cyclone's debris is floor again
    int graceMs = 3000;       // extra wait beyond a turn's seconds before it is ended
    int bankTurns = 4;        // clock mode: the bank holds at most this many turns' seconds
};

struct SlotMessage {
    static constexpr int kEveryone = -1;
    int slot = kEveryone;  // addressee, or everyone
    uint8_t type = 0;
    Bytes body;
};
using Outbox = std::vector<SlotMessage>;

struct Verdict {
    bool accepted = true;
    std::string reason;  // why a request was refused

    static Verdict ok() { return {}; }
    static Verdict refuse(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return accepted; }
};

struct SlotResult {
    int slot = 0;
    int blobs = 0;
    int rank = 0;  // 1 = best; equal standings share a rank
    bool winner = false;
    bool left = false;
};

class Game {
public:
    // `board` may already hold blobs: start() gives a first blob only to the
    // slots that have none.
    Game(Board board, int slotCount, GameSettings settings, uint32_t seed);

    // Places the starting blobs, announces every blob and begins the first turn.
    void start(int64_t nowMs, Outbox& out);

    [[nodiscard]] Verdict move(int slot, const MoveRecord& request, int64_t nowMs, Outbox& out);
    [[nodiscard]] Verdict usePower(int slot, const PowerRecord& request, int64_t nowMs, Outbox& out);
    // `remainingSeconds` is what the client reports in clock mode.
    [[nodiscard]] Verdict endTurn(int slot, int32_t remainingSeconds, int64_t nowMs, Outbox& out);
    // The slot's player is gone: the slot takes no more turns.
    void leave(int slot, int64_t nowMs, Outbox& out);
    // Ends the current turn when its time (plus grace) has run out.
    void tick(int64_t nowMs, Outbox& out);

    // Messages that bring a newcomer's board up to date (blobs, items, the
    // turn), addressed to `slot` (a spectator may use any number >= slotCount).
    void describe(int slot, int64_t nowMs, Outbox& out) const;
    // What only `slot`'s player knows: its mines and the powers it holds,
    // for a player who returns to the slot.
    void describeOwn(int slot, Outbox& out) const;

    const Board& board() const { return board_; }
    // For setting up positions before start() (tests, saved games).
    Board& board() { return board_; }
    int slotCount() const { return slotCount_; }
    bool started() const { return started_; }
    bool over() const { return over_; }
    int currentSlot() const { return current_; }
    int turnNumber() const { return turnNumber_; }
    int turnSeconds() const { return turnSeconds_; }
    int64_t turnStartMs() const { return turnStartMs_; }
    int64_t turnDeadline() const;
    bool isActive(int slot) const;
    bool holds(int slot, Power power) const { return powers_[slot][size_t(power)]; }
    void grant(int slot, Power power) { powers_[slot][size_t(power)] = true; }
    const std::vector<SlotResult>& results() const { return results_; }

private:
    void placeStartingBlobs();
    void beginNextTurn(int after, int64_t nowMs, Outbox& out);
    void upkeep(int slot, Outbox& out);
    void spawnItem(Outbox& out);
    void finishTurn(int32_t savedSeconds, int64_t nowMs, Outbox& out);
    int remainingSeconds(int64_t nowMs) const;
    bool checkEnd(Outbox& out);
    void endGame(Outbox& out);
    int activeSlots() const;
    Verdict checkTurn(int slot) const;
    void applyMove(int slot, int fromX, int fromY, int toX, int toY, bool leaves, bool teleport,
                   Outbox& out);
    Verdict armMine(int slot, const PowerRecord& request, Outbox& out);
    Verdict kamikaze(int slot, const PowerRecord& request, Outbox& out);
    Verdict cyclone(int slot, const PowerRecord& request, Outbox& out);
    Verdict hyper(int slot, const PowerRecord& request, Outbox& out);
    Verdict teleport(const PowerRecord& request);

    Board board_;
    int slotCount_;
    GameSettings settings_;
    std::mt19937 random_;

    bool started_ = false;
    bool over_ = false;
    int startedWith_ = 0;
    std::array<bool, kMaxSlots> connected_{};
    std::array<std::array<bool, kPowerKinds>, kMaxSlots> powers_{};
    std::array<int, kMaxSlots> bank_{};

    int current_ = kNoSlot;
    int turnNumber_ = 0;
    int turnSeconds_ = 0;
    int64_t turnStartMs_ = 0;
    bool acted_ = false;
    bool teleportPending_ = false;
    bool teleportConfirmed_ = false;
    CellRef teleportTarget_;
    int passesInRow_ = 0;

    std::vector<SlotResult> results_;
};

}  // namespace tessary::slimefray
