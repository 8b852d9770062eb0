// One program's side of the table: applies what the library reports and what
// the other programs send, and turns the local player's moves into messages.
//
// Messages sent with echo are applied when they come back, like everybody
// else's; messages sent to the others only are applied before they leave.
// Each move is followed by handing the turn on, worked out on a copy of the
// table on which the move is already applied.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "poker/deck.h"
#include "poker/messages.h"
#include "poker/poker_link.h"
#include "poker/table.h"
#include "poker/table_observer.h"
#include "poker/turn_search.h"
#include "poker/turn_timer.h"

namespace tessary::poker {

// What the local player may do right now.
enum class LocalTurn { None, Ante, Bet, Draw };

class PokerGame {
public:
    PokerGame(PokerLink& link, SecondsClock deckClock = systemSecondsClock(),
              MillisecondClock timerClock = steadyMillisecondClock());
    PokerGame(const PokerGame&) = delete;
    PokerGame& operator=(const PokerGame&) = delete;

    void setObserver(TableObserver* observer) { observer_ = observer ? observer : &silent_; }

    // ---- library events ----
    void onOwnId(uint16_t id, uint16_t firstValue, uint16_t secondValue);
    void onNewPlayer(uint16_t id, const std::string& name);
    void onPlayerLeft(uint16_t id);
    void onPlayerInfos(uint16_t id, std::span<const uint8_t> info);
    // A game message of type 1 to 7 from `sender`; others are ignored.
    void onMessage(uint8_t type, uint16_t sender, std::span<const uint8_t> payload);

    // ---- the local player's moves (ignored when not his to make) ----
    void ante();
    void call();
    void raise(int32_t amount);
    void fold();
    // Keeps the cards whose bit is set in `holdMask` (bit 0: first card).
    void draw(unsigned holdMask);
    void sendChat(std::string_view text);
    // Once a second: the countdown's warning and expiry, and the bankroll of a
    // player the service has nothing stored for (it sends nothing then).
    void tick();
    static constexpr int64_t kBankrollWaitMs = 2000;

    // ---- what the window shows ----
    const Table& table() const { return table_; }
    LocalTurn localTurn() const { return localTurn_; }
    std::vector<int32_t> raiseChoices() const;
    int secondsLeft() const { return timer_.secondsLeft(); }
    bool countdownRunning() const { return timer_.running(); }
    bool isMaster() const { return table_.localId() != 0 && table_.masterId() == table_.localId(); }

    // Has seen a hand start since joining: its pot and bets are the table's.
    bool followsTheHand() const { return followsTheHand_; }
    // Has heard who holds the turn since joining (a turn, or the holder
    // telling the newcomer).
    bool knowsTheTurn() const { return turnKnown_; }
    // Has been told this player's money since joining.
    bool knowsMoneyOf(uint16_t id) const { return moneyKnown_.count(id) != 0; }

private:
    void handleChat(uint16_t sender, std::span<const uint8_t> payload);
    void handleAction(uint16_t sender, const Action& action);
    void handleCards(uint16_t sender, const Hand& hand);
    void handleTurn(uint16_t id);
    void handleTurnHolder(uint16_t sender, uint16_t id);
    void handleNewHand();
    void handleShowdown(uint16_t announcer);

    void startLocalTurn();
    void endLocalTurn();
    void timeOut();
    void sitOutLocally();
    void startNewHandLocally();
    void sendAction(ActionCode code, int32_t value, bool echo);
    void giveTurnTo(uint16_t id);
    void announceShowdown();
    // Hands the turn on as `view` says; the walk starts at index `start`.
    void passTurn(const Table& view, size_t start);
    void passTurnFromLocal(const Table& view);
    bool handsOnForLeavers() const;
    void learnMoney(uint16_t id) { moneyKnown_.insert(id); }
    void note(uint16_t id, const std::string& text);

    PokerLink& link_;
    TableObserver silent_;
    TableObserver* observer_ = &silent_;
    Table table_;
    Deck deck_;
    MillisecondClock clock_;
    TurnTimer timer_;
    LocalTurn localTurn_ = LocalTurn::None;
    bool wantsFirstTurn_ = false;  // the first turn waits for our bankroll
    int64_t ownIdAt_ = 0;          // when the own id came, on the timer's clock
    bool idle_ = false;            // our hand-on found nobody with money
    bool followsTheHand_ = false;
    bool turnKnown_ = false;
    uint16_t expectedOpener_ = 0;  // who is to open the next hand after a showdown
    std::set<uint16_t> moneyKnown_;
};

}  // namespace tessary::poker
