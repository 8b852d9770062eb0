#include "poker/table.h"

#include <gtest/gtest.h>

#include "card_notation.h"
#include "poker/turn_search.h"

namespace tessary::poker {
namespace {

using testing::parseHand;

// Local player 20 between 10 and 30; everyone has 100 dollars.
Table threeHanded() {
    Table t;
    t.addOther(30, "carol");
    t.addLocal(20, "bob");
    t.addOther(10, "alice");
    for (uint16_t id : {10, 20, 30}) t.setMoney(id, 100);
    return t;
}

void anteAll(Table& t) {
    t.startNewHand();
    for (const Player& p : std::vector<Player>(t.players())) t.applyAnte(p.id, p.money - kAnte);
}

TEST(Table, SeatsAndOrder) {
    Table t;
    EXPECT_NE(t.addOther(30, "carol"), nullptr);
    EXPECT_NE(t.addLocal(20, "bob"), nullptr);
    EXPECT_NE(t.addOther(10, "alice"), nullptr);
    EXPECT_NE(t.addOther(40, "dave"), nullptr);
    EXPECT_EQ(t.addOther(10, "again"), nullptr);
    ASSERT_EQ(t.players().size(), 4u);
    EXPECT_EQ(t.players()[0].id, 10);
    EXPECT_EQ(t.players()[3].id, 40);
    EXPECT_EQ(t.masterId(), 10);
    EXPECT_EQ(t.find(30)->seat, 0);  // first to arrive
    EXPECT_EQ(t.find(10)->seat, 1);
    EXPECT_EQ(t.find(40)->seat, 2);
    EXPECT_EQ(t.find(20)->seat, kLocalSeat);

    ASSERT_TRUE(t.remove(10).has_value());
    EXPECT_FALSE(t.remove(10).has_value());
    EXPECT_EQ(t.masterId(), 20);
    EXPECT_EQ(t.atSeat(1), nullptr);
    t.addOther(5, "eve");
    EXPECT_EQ(t.find(5)->seat, 1);  // the freed seat
    EXPECT_EQ(t.masterId(), 5);
    EXPECT_EQ(t.addOther(6, "fifth")->seat, kNoSeat);
}

TEST(Table, NewHandResetsEverything) {
    Table t = threeHanded();
    EXPECT_TRUE(t.newHandPending());
    anteAll(t);
    t.applyFold(30);
    t.startNewHand();
    EXPECT_FALSE(t.newHandPending());
    EXPECT_EQ(t.pot(), 0);
    EXPECT_EQ(t.highestBet(), 0);
    EXPECT_EQ(t.phase(), Phase::Ante);
    for (const Player& p : t.players()) {
        EXPECT_TRUE(p.inHand);
        EXPECT_EQ(p.bet, 0);
        EXPECT_FALSE(p.acted);
        EXPECT_EQ(p.cards, kNoHand);
    }
}

TEST(Table, AnteCallRaiseMoveMoneyIntoThePot) {
    Table t = threeHanded();
    anteAll(t);
    EXPECT_EQ(t.pot(), 15);
    EXPECT_EQ(t.highestBet(), 5);
    EXPECT_EQ(t.find(10)->money, 95);

    int32_t increase = 0;
    EXPECT_EQ(t.applyRaise(10, t.moneyAfterRaise(10, 20), &increase), 20);
    EXPECT_EQ(increase, 20);
    EXPECT_EQ(t.highestBet(), 25);
    EXPECT_EQ(t.find(10)->bet, 25);
    EXPECT_EQ(t.find(10)->money, 75);

    EXPECT_EQ(t.applyCall(20, t.moneyAfterCall(20)), 20);
    EXPECT_EQ(t.find(20)->bet, 25);
    EXPECT_TRUE(t.find(20)->acted);

    // A re-raise clears everybody else's acted flag.
    EXPECT_EQ(t.applyRaise(30, t.moneyAfterRaise(30, 10), &increase), 30);
    EXPECT_EQ(increase, 10);
    EXPECT_EQ(t.highestBet(), 35);
    EXPECT_FALSE(t.find(10)->acted);
    EXPECT_FALSE(t.find(20)->acted);
    EXPECT_TRUE(t.find(30)->acted);
    EXPECT_EQ(t.pot(), 15 + 20 + 20 + 30);
}

TEST(Table, CallsMayTakeMoneyBelowZero) {
    Table t = threeHanded();
    anteAll(t);
    t.setMoney(20, 3);
    t.applyRaise(10, t.moneyAfterRaise(10, 50), nullptr);
    t.applyCall(20, t.moneyAfterCall(20));
    EXPECT_EQ(t.find(20)->money, -47);
}

TEST(Table, TheAnteRoundEndsWhenTheTurnReachesAPayer) {
    Table t = threeHanded();
    t.giveTurn(10);  // between hands nothing changes
    EXPECT_EQ(t.phase(), Phase::Ante);
    t.startNewHand();
    t.applyAnte(10, 95);
    t.giveTurn(20);  // has not paid yet
    EXPECT_EQ(t.phase(), Phase::Ante);
    t.applyAnte(20, 95);
    t.applySitOut(30);
    t.giveTurn(10);
    EXPECT_EQ(t.phase(), Phase::FirstBetting);
    EXPECT_EQ(t.turnHolder(), 10);
}

TEST(Table, DrawEndsWhenEveryoneInHandHasDrawn) {
    Table t = threeHanded();
    anteAll(t);
    t.applyCards(10, parseHand("2c 3c 4c 5c 7d"));
    t.applyCards(20, parseHand("2d 3d 4d 5d 7h"));
    t.applyCards(30, parseHand("2h 3h 4h 5h 7s"));
    t.beginDraw();
    EXPECT_EQ(t.phase(), Phase::Draw);
    EXPECT_EQ(t.applyCards(10, parseHand("2c 3c 4c 5c 6c")), 1);
    EXPECT_EQ(t.phase(), Phase::Draw);
    t.applyFold(30);  // the last one who had not drawn folds
    EXPECT_EQ(t.phase(), Phase::Draw);
    EXPECT_EQ(t.applyCards(20, parseHand("9d Td Jd Qd Kd")), 5);
    EXPECT_EQ(t.phase(), Phase::SecondBetting);
    for (const Player& p : t.players()) EXPECT_FALSE(p.acted);
}

TEST(Table, ALeaverWhoHadNotDrawnEndsTheDraw) {
    Table t = threeHanded();
    anteAll(t);
    t.beginDraw();
    t.applyCards(10, parseHand("2c 3c 4c 5c 6c"));
    t.applyCards(20, parseHand("2d 3d 4d 5d 6d"));
    t.remove(30);
    EXPECT_EQ(t.phase(), Phase::SecondBetting);
}

TEST(Table, CardsOfAPlayerNotSeenBeforeCountNothingDiscarded) {
    Table t = threeHanded();
    t.startNewHand();
    EXPECT_EQ(t.applyCards(30, parseHand("2h 3h 4h 5h 7s")), -1);
    EXPECT_EQ(t.applyCards(30, parseHand("2h 3h 4h 5h 7s")), 0);
}

TEST(Table, ShowdownPaysTheWinnersAndOpensTheNextHand) {
    Table t = threeHanded();
    anteAll(t);
    t.applyCards(10, parseHand("2h 5h 9h Jh Kh"));
    t.applyCards(20, parseHand("3c 6c Tc Qc Kc"));
    t.applyCards(30, parseHand("Ac Ad 2s 3s 4d"));
    t.applyRaise(30, t.moneyAfterRaise(30, 10), nullptr);  // pot 15 + 10 = 25
    const auto result = t.showdown();
    EXPECT_EQ(result.distribution.receivers, (std::vector<uint16_t>{10, 20}));
    EXPECT_EQ(result.distribution.share, 12);
    EXPECT_EQ(t.find(10)->money, 95 + 12);
    EXPECT_EQ(t.find(20)->money, 95 + 12);
    EXPECT_EQ(t.find(30)->money, 85);
    EXPECT_EQ(t.pot(), 0);
    EXPECT_TRUE(t.newHandPending());
    EXPECT_EQ(t.phase(), Phase::Ante);
    EXPECT_TRUE(t.isWinnerSeat(t.find(10)->seat));
    EXPECT_TRUE(t.isWinnerSeat(kLocalSeat));
    EXPECT_FALSE(t.isWinnerSeat(t.find(30)->seat));
    EXPECT_EQ(t.seatCategory(kLocalSeat), kFlush);
}

TEST(Table, FoldedHandsDoNotTakePartInTheShowdown) {
    Table t = threeHanded();
    anteAll(t);
    t.applyCards(10, parseHand("Ah Ad As Ac Kh"));
    t.applyCards(20, parseHand("2c 4d 6h 8s Tc"));
    t.applyFold(10);
    t.applySitOut(30);
    const auto result = t.showdown();
    EXPECT_EQ(result.distribution.receivers, (std::vector<uint16_t>{20}));
    EXPECT_EQ(t.find(20)->money, 95 + 15);
}

struct SearchCase {
    const char* name;
    // in hand, acted, bet for players 10, 20 (local), 30
    std::array<bool, 3> inHand;
    std::array<bool, 3> acted;
    std::array<int32_t, 3> bet;
    size_t start;
    NextTurn::Kind kind;
    uint16_t id;
};

class TurnSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(TurnSearch, FindsWhoActsNext) {
    const SearchCase& c = GetParam();
    Table t = threeHanded();
    t.startNewHand();
    const uint16_t ids[] = {10, 20, 30};
    for (int i = 0; i < 3; ++i) {
        if (c.bet[i] > 0) t.applyAnte(ids[i], 100 - kAnte);
    }
    for (int i = 0; i < 3; ++i) {
        if (c.bet[i] > kAnte) t.applyRaise(ids[i], 100 - c.bet[i], nullptr);
    }
    for (int i = 0; i < 3; ++i) {
        if (c.acted[i]) t.applyCall(ids[i], t.find(ids[i])->money);  // pays nothing, marks acted
        if (!c.inHand[i]) t.applyFold(ids[i]);
    }
    const NextTurn next = findNextTurn(t, c.start);
    EXPECT_EQ(next.kind, c.kind);
    if (c.kind == NextTurn::Kind::Give) {
        EXPECT_EQ(next.id, c.id);
    }
}

using K = NextTurn::Kind;
INSTANTIATE_TEST_SUITE_P(
    Rows, TurnSearch,
    ::testing::Values(
        SearchCase{"next who has not acted", {true, true, true}, {false, true, false}, {5, 5, 5},
                   2, K::Give, 30},
        SearchCase{"wraps to the first", {true, true, true}, {false, true, true}, {5, 5, 5}, 2,
                   K::Give, 10},
        SearchCase{"skips players out of the hand", {false, true, true}, {false, true, true},
                   {5, 5, 5}, 2, K::RoundOver, 0},
        SearchCase{"a bet below the highest must act", {true, true, true}, {true, true, true},
                   {5, 15, 15}, 2, K::Give, 10},
        SearchCase{"comes back when everybody matched", {true, true, true}, {true, true, true},
                   {15, 15, 15}, 2, K::RoundOver, 0},
        SearchCase{"the local player who must act gets the turn", {true, true, true},
                   {true, false, true}, {5, 5, 5}, 1, K::Give, 20},
        SearchCase{"a walk from the middle still looks at everybody", {true, true, true},
                   {false, true, true}, {5, 5, 5}, 1, K::Give, 10}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(TurnSearch, NextOpenerNeedsMoney) {
    Table t = threeHanded();
    t.setMoney(30, 0);
    EXPECT_EQ(findNextOpener(t, 2).id, 10);
    t.setMoney(10, -5);
    const NextTurn n = findNextOpener(t, 2);
    EXPECT_EQ(n.kind, NextTurn::Kind::Give);
    EXPECT_EQ(n.id, 20);
    t.setMoney(20, 0);
    EXPECT_EQ(findNextOpener(t, 2).kind, NextTurn::Kind::RoundOver);
}

TEST(TurnSearch, EmptyTableHasNobodyToAct) {
    Table t;
    EXPECT_EQ(findNextTurn(t, 0).kind, NextTurn::Kind::RoundOver);
    EXPECT_EQ(findNextOpener(t, 0).kind, NextTurn::Kind::RoundOver);
}

}  // namespace
}  // namespace tessary::poker
