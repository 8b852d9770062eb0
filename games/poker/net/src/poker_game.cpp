#include "poker/poker_game.h"

#include <algorithm>
#include <cstdio>

#include "poker/raise_list.h"

namespace tessary::poker {
namespace {

std::string format(const char* pattern, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

}  // namespace

PokerGame::PokerGame(PokerLink& link, SecondsClock deckClock, MillisecondClock timerClock)
    : link_(link), deck_(std::move(deckClock)), clock_(timerClock), timer_(std::move(timerClock)) {}

// ---------------------------------------------------------------- events

void PokerGame::onOwnId(uint16_t id, uint16_t firstValue, uint16_t /*secondValue*/) {
    if (table_.localId() != 0 || id == 0) return;
    // A server that announced our id as another player first: that entry is us.
    (void)table_.remove(id);
    if (!table_.addLocal(id, link_.playerName(id))) return;
    ownIdAt_ = clock_();
    observer_->tableChanged();
    if (firstValue == 1) {
        // The first player opens the table, once his bankroll is known.
        wantsFirstTurn_ = true;
        if (table_.local()->money > 0) {
            wantsFirstTurn_ = false;
            giveTurnTo(id);
        }
    }
}

void PokerGame::onNewPlayer(uint16_t id, const std::string& name) {
    // The server also announces the local player and players already seated.
    if (id == 0 || table_.find(id) != nullptr) return;
    table_.addOther(id, name);
    observer_->tableChanged();
    // Tell the newcomer our bankroll now rather than at the next hand.
    const Player* me = table_.local();
    if (me != nullptr && knowsMoneyOf(me->id)) sendAction(ActionCode::Money, me->money, false);
    // He missed the turn messages before his arrival; without the holder he
    // could neither show it nor hand it on should the holder leave.
    if (me != nullptr && table_.turnHolder() == me->id) {
        link_.sendToOne(id, kTurnHolderMessage, encodeTurn(me->id));
    }
}

void PokerGame::onPlayerInfos(uint16_t id, std::span<const uint8_t> info) {
    if (table_.find(id) == nullptr) return;
    // A player the service has nothing stored for is new: he gets the minimum.
    int32_t stored = 0;
    if (!info.empty()) {
        const auto bankroll = decodeBankroll(info);
        if (!bankroll) return;
        stored = *bankroll;
    }
    const int32_t money = std::max(stored, kMinimumBankroll);
    table_.setMoney(id, money);
    learnMoney(id);
    observer_->tableChanged();
    if (id == table_.localId()) {
        sendAction(ActionCode::Money, money, false);
        if (wantsFirstTurn_) {
            wantsFirstTurn_ = false;
            giveTurnTo(id);
        }
    } else if (idle_ && table_.newHandPending()) {
        idle_ = false;
        giveTurnTo(id);
    }
}

void PokerGame::onPlayerLeft(uint16_t id) {
    // Only others leave by a message: our own seat ends with the program.
    const Player* leaver = id == table_.localId() ? nullptr : table_.find(id);
    if (leaver == nullptr) return;
    const bool heldTurn = table_.turnHolder() == id || expectedOpener_ == id;
    const size_t follower = *table_.indexOf(id);
    link_.storeMoney(id, leaver->money);
    table_.remove(id);
    moneyKnown_.erase(id);
    observer_->tableChanged();

    // One program hands the turn on when the leaver held it (or was to open
    // the next hand) or the hand cannot go on; otherwise the holder keeps it.
    const size_t left = table_.players().size();
    if (left == 0 || !handsOnForLeavers()) return;
    const bool handStalls = table_.handRunning() && table_.inHandCount() <= 1;
    if (heldTurn || left == 1 || handStalls) passTurn(table_, follower % left);
}

void PokerGame::onMessage(uint8_t type, uint16_t sender, std::span<const uint8_t> payload) {
    switch (type) {
        case kChatMessage:
            handleChat(sender, payload);
            break;
        case kActionMessage:
            if (const auto action = decodeAction(payload)) handleAction(sender, *action);
            break;
        case kCardsMessage:
            if (const auto hand = decodeCards(payload)) handleCards(sender, *hand);
            break;
        case kTurnMessage:
            if (const auto id = decodeTurn(payload)) handleTurn(*id);
            break;
        case kTurnHolderMessage:
            if (const auto id = decodeTurn(payload)) handleTurnHolder(sender, *id);
            break;
        case kNewHandMessage:
            handleNewHand();
            break;
        case kShowdownMessage:
            handleShowdown(sender);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------- messages

void PokerGame::handleChat(uint16_t sender, std::span<const uint8_t> payload) {
    const auto text = decodeChat(payload);
    if (!text) return;
    std::string name = link_.playerName(sender);
    const Player* p = table_.find(sender);
    if (name.empty() && p != nullptr) name = p->name;
    observer_->chatLine(p != nullptr ? p->seat : kNoSeat, "<" + name + "> " + *text);
}

void PokerGame::handleAction(uint16_t sender, const Action& action) {
    if (action.code == ActionCode::DrawBegins) {
        if (table_.handRunning() && table_.phase() == Phase::FirstBetting) table_.beginDraw();
        observer_->tableChanged();
        return;
    }
    if (table_.find(sender) == nullptr) return;
    switch (action.code) {
        case ActionCode::Ante:
            table_.applyAnte(sender, action.value);
            learnMoney(sender);
            note(sender, "Ante");
            break;
        case ActionCode::Call:
            table_.applyCall(sender, action.value);
            learnMoney(sender);
            note(sender, format("Call to %d$", table_.highestBet()));
            break;
        case ActionCode::Raise: {
            int32_t increase = 0;
            table_.applyRaise(sender, action.value, &increase);
            learnMoney(sender);
            note(sender, format("Raise to %d$ ( %d$ )", table_.highestBet(), increase));
            break;
        }
        case ActionCode::Fold:
            table_.applyFold(sender);
            note(sender, "Fold");
            break;
        case ActionCode::SitOut:
            table_.applySitOut(sender);
            break;
        case ActionCode::Money:
            table_.setMoney(sender, action.value);
            learnMoney(sender);
            break;
        case ActionCode::DrawBegins:
            break;
    }
    observer_->tableChanged();
}

void PokerGame::handleCards(uint16_t sender, const Hand& hand) {
    const Player* p = table_.find(sender);
    if (p == nullptr) return;
    for (Card c : hand) deck_.markTaken(c);
    const int changed = table_.applyCards(sender, hand);
    observer_->cardsArrived(p->seat);
    observer_->play(Sound::Card);
    if (changed > 0) note(sender, format("%d card(s) discarded", changed));
    observer_->tableChanged();
}

void PokerGame::handleTurn(uint16_t id) {
    turnKnown_ = true;
    idle_ = false;
    expectedOpener_ = 0;
    table_.giveTurn(id);
    if (id == table_.localId() && table_.local() != nullptr) {
        startLocalTurn();
    } else {
        endLocalTurn();
    }
    observer_->tableChanged();
}

void PokerGame::handleTurnHolder(uint16_t sender, uint16_t id) {
    // It tells how things stood when we arrived: any turn heard since is
    // newer. Only the holder speaks for himself.
    if (turnKnown_ || sender != id || id == table_.localId() || table_.find(id) == nullptr) return;
    turnKnown_ = true;
    table_.giveTurn(id);
    observer_->tableChanged();
}

void PokerGame::handleNewHand() {
    table_.startNewHand();
    deck_.refill();
    followsTheHand_ = true;
    observer_->handStarted();
    observer_->tableChanged();
    if (const Player* me = table_.local()) sendAction(ActionCode::Money, me->money, false);
}

void PokerGame::handleShowdown(uint16_t announcer) {
    // Several programs may announce the same showdown; the first one closes the hand.
    if (table_.newHandPending()) return;
    const Player* me = table_.local();
    const bool iWasInHand = me != nullptr && me->inHand;
    endLocalTurn();
    const Table::ShowdownResult result = table_.showdown();
    deck_.refill();
    observer_->handsRevealed();
    observer_->play(Sound::Card);
    observer_->tableChanged();

    // The first player paid opens the next hand; his program followed this
    // one, which the master's may not have. With nobody paid, the announcer
    // hands the turn on.
    const auto& receivers = result.distribution.receivers;
    expectedOpener_ = receivers.empty() ? announcer : receivers.front();
    if (!receivers.empty() && receivers.front() == table_.localId()) {
        giveTurnTo(table_.localId());
    } else if (receivers.empty() && announcer == table_.localId()) {
        passTurn(table_, 0);
    }
    if (iWasInHand) {
        for (const ScoredHand& h : result.hands) {
            if (const Player* p = table_.find(h.id)) link_.storeMoney(p->id, p->money);
        }
        sendAction(ActionCode::Money, table_.local()->money, false);
        observer_->play(Sound::Winner);
    }
}

// ---------------------------------------------------------------- the local turn

void PokerGame::startLocalTurn() {
    const Player* me = table_.local();
    timer_.start();
    localTurn_ = LocalTurn::None;
    if (table_.handRunning() && table_.inHandCount() <= 1) {
        // Everybody else is out: the hand ends here.
        timer_.stop();
        announceShowdown();
        return;
    }
    if (table_.handRunning() && !me->inHand) {
        timer_.stop();
        passTurnFromLocal(table_);
        return;
    }
    switch (table_.phase()) {
        case Phase::Ante:
            if (me->money > 0) {
                localTurn_ = LocalTurn::Ante;
            } else {
                timer_.stop();
                sitOutLocally();
                passTurnFromLocal(table_);
            }
            break;
        case Phase::FirstBetting:
        case Phase::SecondBetting:
            localTurn_ = LocalTurn::Bet;
            break;
        case Phase::Draw:
            localTurn_ = LocalTurn::Draw;
            break;
    }
}

void PokerGame::endLocalTurn() {
    localTurn_ = LocalTurn::None;
    timer_.stop();
}

void PokerGame::ante() {
    if (localTurn_ != LocalTurn::Ante) return;
    endLocalTurn();
    if (table_.newHandPending()) startNewHandLocally();
    const uint16_t me = table_.localId();
    const Hand hand = deck_.drawHand();
    table_.applyCards(me, hand);
    observer_->cardsArrived(kLocalSeat);
    observer_->play(Sound::Card);
    link_.sendToOthers(kCardsMessage, encodeCards(hand));
    const int32_t moneyAfter = table_.local()->money - kAnte;
    sendAction(ActionCode::Ante, moneyAfter, true);
    Table view = table_;
    view.applyAnte(me, moneyAfter);
    passTurnFromLocal(view);
    observer_->tableChanged();
}

void PokerGame::call() {
    if (localTurn_ != LocalTurn::Bet) return;
    endLocalTurn();
    const uint16_t me = table_.localId();
    const int32_t moneyAfter = table_.moneyAfterCall(me);
    sendAction(ActionCode::Call, moneyAfter, true);
    Table view = table_;
    view.applyCall(me, moneyAfter);
    passTurnFromLocal(view);
    observer_->tableChanged();
}

void PokerGame::raise(int32_t amount) {
    if (localTurn_ != LocalTurn::Bet) return;
    const auto choices = raiseChoices();
    if (std::find(choices.begin(), choices.end(), amount) == choices.end()) return;
    endLocalTurn();
    const uint16_t me = table_.localId();
    const int32_t moneyAfter = table_.moneyAfterRaise(me, amount);
    sendAction(ActionCode::Raise, moneyAfter, true);
    Table view = table_;
    view.applyRaise(me, moneyAfter, nullptr);
    passTurnFromLocal(view);
    observer_->tableChanged();
}

void PokerGame::fold() {
    if (localTurn_ == LocalTurn::None) return;
    endLocalTurn();
    sendAction(ActionCode::Fold, 0, true);
    Table view = table_;
    view.applyFold(table_.localId());
    passTurnFromLocal(view);
    observer_->tableChanged();
}

void PokerGame::draw(unsigned holdMask) {
    if (localTurn_ != LocalTurn::Draw) return;
    endLocalTurn();
    const uint16_t me = table_.localId();
    const Hand& old = table_.local()->cards;
    const Hand hand = deck_.redraw(old, isCompleteHand(old) ? holdMask : 0);
    table_.applyCards(me, hand);
    observer_->cardsArrived(kLocalSeat);
    observer_->play(Sound::Card);
    link_.sendToOthers(kCardsMessage, encodeCards(hand));
    passTurnFromLocal(table_);
    observer_->tableChanged();
}

void PokerGame::sendChat(std::string_view text) {
    if (text.empty()) return;
    link_.sendToAll(kChatMessage, encodeChat(text));
}

void PokerGame::tick() {
    // The service sends stored bankrolls right after the own id; when none
    // came, nothing is stored for us.
    if (const Player* me = table_.local();
        me != nullptr && !knowsMoneyOf(me->id) && clock_() - ownIdAt_ >= kBankrollWaitMs) {
        onPlayerInfos(me->id, {});
    }
    switch (timer_.poll()) {
        case TurnTimer::Event::Warning:
            observer_->play(Sound::Timer);
            break;
        case TurnTimer::Event::Expired:
            timeOut();
            break;
        case TurnTimer::Event::None:
            break;
    }
    observer_->tableChanged();
}

void PokerGame::timeOut() {
    if (localTurn_ == LocalTurn::None) return;
    const Player* me = table_.local();
    switch (timeoutOutcome(table_.newHandPending(), me->bet)) {
        case TimeoutOutcome::Fold:
            fold();
            return;
        case TimeoutOutcome::StartNewHandAndPass:
            endLocalTurn();
            startNewHandLocally();
            passTurnFromLocal(table_);
            break;
        case TimeoutOutcome::SitOutAndPass:
            endLocalTurn();
            sitOutLocally();
            passTurnFromLocal(table_);
            break;
    }
    observer_->tableChanged();
}

std::vector<int32_t> PokerGame::raiseChoices() const {
    const Player* me = table_.local();
    if (localTurn_ != LocalTurn::Bet || me == nullptr) return {};
    return raiseOptions(me->money, me->bet, table_.highestBet());
}

// ---------------------------------------------------------------- sending

void PokerGame::sitOutLocally() {
    table_.applySitOut(table_.localId());
    sendAction(ActionCode::SitOut, 0, false);
}

void PokerGame::startNewHandLocally() {
    table_.startNewHand();
    deck_.refill();
    followsTheHand_ = true;
    observer_->handStarted();
    link_.sendToOthers(kNewHandMessage, {});
}

void PokerGame::sendAction(ActionCode code, int32_t value, bool echo) {
    const Payload payload = encodeAction({code, value});
    if (echo) {
        link_.sendToAll(kActionMessage, payload);
    } else {
        link_.sendToOthers(kActionMessage, payload);
    }
}

void PokerGame::giveTurnTo(uint16_t id) { link_.sendToAll(kTurnMessage, encodeTurn(id)); }

void PokerGame::announceShowdown() { link_.sendToAll(kShowdownMessage, {}); }

void PokerGame::passTurnFromLocal(const Table& view) {
    const auto index = view.indexOf(view.localId());
    passTurn(view, index ? *index + 1 : 0);
}

void PokerGame::passTurn(const Table& view, size_t start) {
    if (view.players().empty()) return;
    if (view.newHandPending()) {
        const NextTurn opener = findNextOpener(view, start);
        if (opener.kind == NextTurn::Kind::Give) {
            giveTurnTo(opener.id);
        } else {
            idle_ = true;  // nobody has money: the next bankroll that arrives opens
        }
        return;
    }
    if (view.inHandCount() == 0) {
        announceShowdown();
        return;
    }
    if (view.inHandCount() == 1) {
        // The last player in hand takes the pot when the turn reaches him.
        for (const Player& p : view.players()) {
            if (p.inHand) giveTurnTo(p.id);
        }
        return;
    }
    NextTurn next = findNextTurn(view, start);
    if (next.kind == NextTurn::Kind::RoundOver && view.phase() == Phase::FirstBetting) {
        sendAction(ActionCode::DrawBegins, 0, true);
        Table drawing = view;
        drawing.beginDraw();
        next = findNextTurn(drawing, start);
    }
    if (next.kind == NextTurn::Kind::Give) {
        giveTurnTo(next.id);
    } else {
        // The second betting round is over, or nobody is left to act.
        announceShowdown();
    }
}

bool PokerGame::handsOnForLeavers() const {
    // Players in the hand followed it: the first of them. With nobody in
    // hand, the master.
    for (const Player& p : table_.players()) {
        if (p.inHand) return p.id == table_.localId();
    }
    return isMaster();
}

void PokerGame::note(uint16_t id, const std::string& text) {
    if (const Player* p = table_.find(id)) observer_->seatNote(p->seat, text);
}

}  // namespace tessary::poker
