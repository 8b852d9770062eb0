// One program's copy of the table. Every program applies the same messages in
// the same order, so every copy holds the same money, bets, pot and phase; the
// seats are local (the local player always sits at seat 3).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "poker/card.h"
#include "poker/evaluate.h"
#include "poker/phase.h"
#include "poker/player.h"
#include "poker/pot.h"
#include "poker/rules_constants.h"

namespace tessary::poker {

class Table {
public:
    // ---- players (sorted by ascending id; the first one is the master) ----
    const std::vector<Player>& players() const { return players_; }
    [[nodiscard]] const Player* find(uint16_t id) const;
    [[nodiscard]] std::optional<size_t> indexOf(uint16_t id) const;
    [[nodiscard]] const Player* atSeat(int seat) const;
    [[nodiscard]] uint16_t masterId() const { return players_.empty() ? 0 : players_.front().id; }
    [[nodiscard]] uint16_t localId() const { return localId_; }
    [[nodiscard]] const Player* local() const { return find(localId_); }
    [[nodiscard]] int inHandCount() const;

    // The local player takes seat 3; nullptr when the id is already seated.
    const Player* addLocal(uint16_t id, std::string name);
    // Another player takes the first free seat among 0, 1, 2 (kNoSeat when all
    // are taken). nullptr when the id is already at the table.
    const Player* addOther(uint16_t id, std::string name);
    // Removes the record; his bets stay in the pot.
    std::optional<Player> remove(uint16_t id);

    // ---- shared state ----
    [[nodiscard]] int32_t pot() const { return pot_; }
    [[nodiscard]] int32_t highestBet() const { return highestBet_; }
    [[nodiscard]] Phase phase() const { return phase_; }
    [[nodiscard]] bool newHandPending() const { return newHandPending_; }
    [[nodiscard]] bool handRunning() const { return !newHandPending_; }
    [[nodiscard]] uint16_t turnHolder() const { return turnHolder_; }
    [[nodiscard]] bool isWinnerSeat(int seat) const { return seatInRange(seat) && winner_[seat]; }
    [[nodiscard]] HandCategory seatCategory(int seat) const {
        return seatInRange(seat) ? category_[seat] : kHighCard;
    }

    // ---- transitions (each is what every program does for one message) ----
    void startNewHand();
    void setMoney(uint16_t id, int32_t money);
    // The ante round ends when the turn reaches a player who has paid it.
    void giveTurn(uint16_t id);
    void applyAnte(uint16_t id, int32_t moneyAfter);
    // Both return what the player put in; a raise returns the increase of the
    // highest bet through `increase`.
    int32_t applyCall(uint16_t id, int32_t moneyAfter);
    int32_t applyRaise(uint16_t id, int32_t moneyAfter, int32_t* increase);
    void applyFold(uint16_t id);
    void applySitOut(uint16_t id);
    void beginDraw();
    // Stores the player's five cards. Returns how many positions changed, or
    // -1 when his earlier cards were not known.
    int applyCards(uint16_t id, const Hand& cards);

    struct ShowdownResult {
        std::vector<ScoredHand> hands;  // the players in hand
        PotDistribution distribution;
    };
    ShowdownResult showdown();

    // What the local player's own moves would cost, without applying them.
    [[nodiscard]] int32_t moneyAfterCall(uint16_t id) const;
    [[nodiscard]] int32_t moneyAfterRaise(uint16_t id, int32_t raise) const;

private:
    static bool seatInRange(int seat) { return seat >= 0 && seat < kSeatCount; }
    Player* findMutable(uint16_t id);
    const Player* insertSorted(Player player);
    int firstFreeOtherSeat() const;
    int32_t takeFrom(Player& player, int32_t moneyAfter);
    void finishDrawIfEveryoneDrew();

    std::vector<Player> players_;
    uint16_t localId_ = 0;
    uint16_t turnHolder_ = 0;
    int32_t pot_ = 0;
    int32_t highestBet_ = 0;
    Phase phase_ = Phase::Ante;
    bool newHandPending_ = true;
    std::array<bool, kSeatCount> winner_{};
    std::array<HandCategory, kSeatCount> category_{};
};

}  // namespace tessary::poker
