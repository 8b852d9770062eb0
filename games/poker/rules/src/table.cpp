#include "poker/table.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tessary::poker {
namespace {

// Money arrives from other programs: keep the arithmetic inside 32 bits
// whatever a peer announces.
int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

const Player* Table::find(uint16_t id) const {
    for (const Player& p : players_) {
        if (p.id == id) return &p;
    }
    return nullptr;
}

Player* Table::findMutable(uint16_t id) { return const_cast<Player*>(std::as_const(*this).find(id)); }

std::optional<size_t> Table::indexOf(uint16_t id) const {
    for (size_t i = 0; i < players_.size(); ++i) {
        if (players_[i].id == id) return i;
    }
    return std::nullopt;
}

const Player* Table::atSeat(int seat) const {
    if (!seatInRange(seat)) return nullptr;
    for (const Player& p : players_) {
        if (p.seat == seat) return &p;
    }
    return nullptr;
}

int Table::inHandCount() const {
    return static_cast<int>(std::count_if(players_.begin(), players_.end(), [](const Player& p) { return p.inHand; }));
}

const Player* Table::insertSorted(Player player) {
    auto at = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id > player.id; });
    return &*players_.insert(at, std::move(player));
}

int Table::firstFreeOtherSeat() const {
    for (int seat = 0; seat < kLocalSeat; ++seat) {
        if (atSeat(seat) == nullptr) return seat;
    }
    return kNoSeat;
}

const Player* Table::addLocal(uint16_t id, std::string name) {
    if (find(id) != nullptr) return nullptr;
    localId_ = id;
    Player p;
    p.id = id;
    p.name = std::move(name);
    p.seat = kLocalSeat;
    return insertSorted(std::move(p));
}

const Player* Table::addOther(uint16_t id, std::string name) {
    if (find(id) != nullptr) return nullptr;
    Player p;
    p.id = id;
    p.name = std::move(name);
    p.seat = firstFreeOtherSeat();
    return insertSorted(std::move(p));
}

std::optional<Player> Table::remove(uint16_t id) {
    const auto index = indexOf(id);
    if (!index) return std::nullopt;
    Player gone = std::move(players_[*index]);
    players_.erase(players_.begin() + static_cast<ptrdiff_t>(*index));
    if (seatInRange(gone.seat)) {
        winner_[gone.seat] = false;
        category_[gone.seat] = kHighCard;
    }
    finishDrawIfEveryoneDrew();
    return gone;
}

void Table::startNewHand() {
    pot_ = 0;
    highestBet_ = 0;
    phase_ = Phase::Ante;
    newHandPending_ = false;
    for (Player& p : players_) {
        p.bet = 0;
        p.inHand = true;
        p.acted = false;
        p.cards = kNoHand;
    }
    winner_.fill(false);
    category_.fill(kHighCard);
}

void Table::setMoney(uint16_t id, int32_t money) {
    if (Player* p = findMutable(id)) p->money = money;
}

void Table::giveTurn(uint16_t id) {
    turnHolder_ = id;
    const Player* holder = find(id);
    if (phase_ == Phase::Ante && handRunning() && holder != nullptr && holder->inHand && holder->bet > 0) {
        phase_ = Phase::FirstBetting;
    }
}

int32_t Table::takeFrom(Player& player, int32_t moneyAfter) {
    const int32_t paid = saturate(int64_t{player.money} - moneyAfter);
    player.money = moneyAfter;
    pot_ = saturate(int64_t{pot_} + paid);
    player.bet = saturate(int64_t{player.bet} + paid);
    return paid;
}

void Table::applyAnte(uint16_t id, int32_t moneyAfter) {
    Player* p = findMutable(id);
    if (p == nullptr) return;
    pot_ = saturate(int64_t{pot_} + kAnte);
    p->bet = kAnte;
    p->money = moneyAfter;
    highestBet_ = std::max(highestBet_, kAnte);
}

int32_t Table::applyCall(uint16_t id, int32_t moneyAfter) {
    Player* p = findMutable(id);
    if (p == nullptr) return 0;
    const int32_t paid = takeFrom(*p, moneyAfter);
    p->acted = true;
    return paid;
}

int32_t Table::applyRaise(uint16_t id, int32_t moneyAfter, int32_t* increase) {
    Player* p = findMutable(id);
    if (p == nullptr) return 0;
    const int32_t paid = takeFrom(*p, moneyAfter);
    const int32_t oldHighest = highestBet_;
    highestBet_ = std::max(highestBet_, p->bet);
    if (increase != nullptr) *increase = highestBet_ - oldHighest;
    for (Player& other : players_) other.acted = false;
    p->acted = true;
    return paid;
}

void Table::applyFold(uint16_t id) {
    Player* p = findMutable(id);
    if (p == nullptr) return;
    p->inHand = false;
    p->cards = kNoHand;
    finishDrawIfEveryoneDrew();
}

void Table::applySitOut(uint16_t id) { applyFold(id); }

void Table::beginDraw() {
    phase_ = Phase::Draw;
    for (Player& p : players_) p.acted = false;
}

int Table::applyCards(uint16_t id, const Hand& cards) {
    Player* p = findMutable(id);
    if (p == nullptr) return -1;
    int changed = -1;
    if (isCompleteHand(p->cards)) {
        changed = 0;
        for (int i = 0; i < kHandSize; ++i) changed += p->cards[i] != cards[i] ? 1 : 0;
    }
    p->cards = cards;
    p->inHand = true;
    if (phase_ == Phase::Draw) {
        p->acted = true;  // in the draw, "acted" means "has drawn"
        finishDrawIfEveryoneDrew();
    } else {
        for (Player& other : players_) other.acted = false;
    }
    return changed;
}

void Table::finishDrawIfEveryoneDrew() {
    if (phase_ != Phase::Draw) return;
    const bool allDrew =
        std::all_of(players_.begin(), players_.end(), [](const Player& p) { return !p.inHand || p.acted; });
    if (!allDrew) return;
    phase_ = Phase::SecondBetting;
    for (Player& p : players_) p.acted = false;
}

Table::ShowdownResult Table::showdown() {
    ShowdownResult result;
    for (const Player& p : players_) {
        if (p.inHand) result.hands.push_back({p.id, evaluate(p.cards)});
    }
    result.distribution = distributePot(pot_, result.hands);
    winner_.fill(false);
    category_.fill(kHighCard);
    for (uint16_t id : result.distribution.receivers) {
        Player* p = findMutable(id);
        p->money = saturate(int64_t{p->money} + result.distribution.share);
        if (result.distribution.hasWinners() && seatInRange(p->seat)) {
            winner_[p->seat] = true;
            category_[p->seat] = categoryOf(result.distribution.bestScore);
        }
    }
    // The pot is paid out; what integer division leaves over is lost.
    pot_ = 0;
    phase_ = Phase::Ante;
    newHandPending_ = true;
    return result;
}

int32_t Table::moneyAfterCall(uint16_t id) const {
    const Player* p = find(id);
    if (p == nullptr) return 0;
    return saturate(int64_t{p->money} - (int64_t{highestBet_} - p->bet));
}

int32_t Table::moneyAfterRaise(uint16_t id, int32_t raise) const {
    const Player* p = find(id);
    if (p == nullptr) return 0;
    return saturate(int64_t{p->money} - (int64_t{highestBet_} + raise - p->bet));
}

}  // namespace tessary::poker
