#include "poker/poker_game.h"

#include <gtest/gtest.h>

#include "poker/testing/hub.h"

namespace tessary::poker {
namespace {

using testing::Hub;

struct Recorder : TableObserver {
    std::vector<std::pair<int, std::string>> notes;
    std::vector<std::pair<int, std::string>> chat;
    std::vector<Sound> sounds;
    int reveals = 0;
    void seatNote(int seat, const std::string& text) override { notes.emplace_back(seat, text); }
    void chatLine(int seat, const std::string& line) override { chat.emplace_back(seat, line); }
    void play(Sound s) override { sounds.push_back(s); }
    void handsRevealed() override { ++reveals; }
};

void settle(Hub& hub) {
    for (int i = 0; i < 10000 && hub.deliverOne(); ++i) {
    }
    ASSERT_EQ(hub.waiting(), 0u);
}

// Two or more players seated, bankrolls known, nobody has played yet.
struct TwoPlayers : ::testing::Test {
    Hub hub;
    PokerGame* alice = nullptr;  // id 10: the master, who opens
    PokerGame* bob = nullptr;    // id 20
    void SetUp() override {
        alice = &hub.join(10, "alice");
        settle(hub);
        bob = &hub.join(20, "bob");
        settle(hub);
    }
};

TEST_F(TwoPlayers, BankrollsStartAtTheMinimumAndTheMasterOpens) {
    for (PokerGame* g : {alice, bob}) {
        EXPECT_EQ(g->table().find(10)->money, 250);
        EXPECT_EQ(g->table().find(20)->money, 250);
    }
    EXPECT_EQ(alice->localTurn(), LocalTurn::Ante);
    EXPECT_EQ(bob->localTurn(), LocalTurn::None);
    EXPECT_EQ(alice->table().find(20)->seat, 0);
    EXPECT_EQ(bob->table().find(10)->seat, 0);
    EXPECT_EQ(bob->table().find(20)->seat, kLocalSeat);
}

TEST_F(TwoPlayers, AFoldLeavesTheOtherToTakeThePotAtOnce) {
    alice->ante();
    settle(hub);
    EXPECT_EQ(bob->localTurn(), LocalTurn::Ante);
    bob->ante();
    settle(hub);
    ASSERT_EQ(alice->localTurn(), LocalTurn::Bet);
    EXPECT_EQ(alice->table().phase(), Phase::FirstBetting);
    alice->raise(20);
    settle(hub);
    ASSERT_EQ(bob->localTurn(), LocalTurn::Bet);
    bob->fold();
    settle(hub);
    // Alice got the turn back, announced the showdown and won 10 + 20.
    for (PokerGame* g : {alice, bob}) {
        EXPECT_EQ(g->table().find(10)->money, 250 - 25 + 30);
        EXPECT_EQ(g->table().find(20)->money, 245);
        EXPECT_EQ(g->table().pot(), 0);
        EXPECT_TRUE(g->table().newHandPending());
    }
    // Only the programs still in the hand store the bankrolls of the hand.
    EXPECT_EQ(hub.database[10], 255);
    EXPECT_EQ(hub.database.count(20), 0u);
    // The winner opens the next hand.
    EXPECT_EQ(alice->localTurn(), LocalTurn::Ante);
}

TEST_F(TwoPlayers, AFullHandGoesThroughEveryPhase) {
    Recorder bobSees;
    bob->setObserver(&bobSees);
    alice->ante();
    settle(hub);
    bob->ante();
    settle(hub);
    alice->call();  // checks: both have 5 in
    settle(hub);
    bob->raise(10);
    settle(hub);
    alice->call();
    settle(hub);
    EXPECT_EQ(alice->table().phase(), Phase::Draw);
    EXPECT_EQ(bob->table().phase(), Phase::Draw);
    ASSERT_EQ(bob->localTurn(), LocalTurn::Draw);  // the one after the closer draws first
    bob->draw(0b11111);
    settle(hub);
    ASSERT_EQ(alice->localTurn(), LocalTurn::Draw);
    alice->draw(0b00000);
    settle(hub);
    EXPECT_EQ(bob->table().phase(), Phase::SecondBetting);
    ASSERT_EQ(bob->localTurn(), LocalTurn::Bet);
    bob->call();
    settle(hub);
    alice->call();
    settle(hub);
    EXPECT_TRUE(alice->table().newHandPending());
    EXPECT_EQ(alice->table().find(10)->money + alice->table().find(20)->money, 500);
    EXPECT_EQ(bob->table().find(10)->money, alice->table().find(10)->money);
    EXPECT_EQ(bobSees.reveals, 1);

    const std::vector<std::pair<int, std::string>> expectedNotes{
        {0, "Ante"}, {kLocalSeat, "Ante"}, {0, "Call to 5$"}, {kLocalSeat, "Raise to 15$ ( 10$ )"},
        {0, "Call to 15$"}, {0, "5 card(s) discarded"}, {kLocalSeat, "Call to 15$"}, {0, "Call to 15$"}};
    EXPECT_EQ(bobSees.notes, expectedNotes);
}

TEST_F(TwoPlayers, TheTimerFoldsAPlayerWhoPaidTheAnte) {
    alice->ante();
    settle(hub);
    bob->ante();
    settle(hub);
    ASSERT_EQ(alice->localTurn(), LocalTurn::Bet);
    EXPECT_EQ(alice->secondsLeft(), 45);
    hub.milliseconds += 35'000;
    Recorder r;
    alice->setObserver(&r);
    alice->tick();
    EXPECT_EQ(r.sounds, std::vector<Sound>{Sound::Timer});
    EXPECT_EQ(alice->secondsLeft(), 10);
    hub.milliseconds += 10'000;
    alice->tick();
    settle(hub);
    EXPECT_EQ(bob->table().find(20)->money, 255);  // bob took both antes
    EXPECT_FALSE(alice->countdownRunning());
}

TEST_F(TwoPlayers, TheTimerAtANewHandStartsItWithoutAnte) {
    ASSERT_EQ(alice->localTurn(), LocalTurn::Ante);
    hub.milliseconds += 45'000;
    alice->tick();
    settle(hub);
    EXPECT_FALSE(alice->table().newHandPending());
    EXPECT_EQ(alice->table().pot(), 0);
    EXPECT_EQ(bob->localTurn(), LocalTurn::Ante);
    // Bob lets it pass too: he sits out, and alice is offered the ante again.
    hub.milliseconds += 45'000;
    bob->tick();
    settle(hub);
    // Alice, alone in the hand, closes it (an empty pot) and is offered the ante.
    EXPECT_TRUE(alice->table().newHandPending());
    EXPECT_FALSE(alice->table().find(20)->inHand);
    EXPECT_EQ(alice->table().find(10)->money, 250);
    EXPECT_EQ(alice->localTurn(), LocalTurn::Ante);
}

TEST_F(TwoPlayers, ANewcomerIsToldTheHolderUnlessAFresherTurnReachedHim) {
    // Carol arrives during Alice's turn: Alice tells her.
    PokerGame& carol = hub.join(30, "carol");
    settle(hub);
    EXPECT_EQ(carol.table().turnHolder(), 10);
    EXPECT_TRUE(carol.knowsTheTurn());

    // Dave arrives while Alice's ante and the turn she hands on are on their
    // way: he hears the new turn before Alice, who still holds it at his
    // arrival, tells him so. The older news must not win.
    PokerGame& dave = hub.join(40, "dave");
    alice->ante();
    settle(hub);
    for (PokerGame* g : {alice, bob, &carol, &dave}) EXPECT_EQ(g->table().turnHolder(), 20);
}

TEST_F(TwoPlayers, MalformedMessagesChangeNothing) {
    alice->ante();
    settle(hub);
    const Table before = bob->table();
    const Payload badActions[] = {
        encodeCards(Hand{1, 2, 3, 4, 5}),  // 20 bytes where 8 belong
        Payload{9, 0, 0, 0, 0, 0, 0, 0},   // unknown code
        Payload{1, 0, 0, 0, 0, 0, 0, 0},
        Payload{0, 0, 0, 0},
    };
    for (const Payload& p : badActions) bob->onMessage(kActionMessage, 10, p);
    bob->onMessage(kCardsMessage, 10, Payload(19, 1));
    bob->onMessage(kCardsMessage, 10, encodeCards(Hand{1, 2, 3, 4, 99}));
    bob->onMessage(kTurnMessage, 10, Payload{20, 0});
    bob->onMessage(kActionMessage, 99, encodeAction({ActionCode::Money, 1}));  // unknown sender
    bob->onPlayerInfos(10, Payload{1, 2});
    EXPECT_EQ(bob->table().pot(), before.pot());
    EXPECT_EQ(bob->table().find(10)->money, before.find(10)->money);
    EXPECT_EQ(bob->table().find(10)->cards, before.find(10)->cards);
    EXPECT_EQ(bob->table().turnHolder(), before.turnHolder());
    EXPECT_EQ(bob->localTurn(), LocalTurn::Ante);
}

TEST_F(TwoPlayers, ChatLinesCarryTheSenderAndHisSeat) {
    Recorder r;
    bob->setObserver(&r);
    alice->sendChat("hello");
    bob->sendChat(std::string(300, 'x'));
    settle(hub);
    ASSERT_EQ(r.chat.size(), 2u);
    EXPECT_EQ(r.chat[0], std::make_pair(0, std::string("<alice> hello")));
    EXPECT_EQ(r.chat[1].first, kLocalSeat);
    EXPECT_EQ(r.chat[1].second, "<bob> " + std::string(249, 'x'));
}

TEST(PokerGame, AReturningPlayerWithLittleStoredStartsWith250) {
    Hub hub;
    hub.database[30] = 100;
    hub.database[40] = 900;
    PokerGame& a = hub.join(30, "carol");
    hub.join(40, "dave");
    settle(hub);
    EXPECT_EQ(a.table().find(30)->money, 250);
    EXPECT_EQ(a.table().find(40)->money, 900);
}

// A service that stores nothing for new players sends no information at all:
// after a short wait the table takes the minimum bankroll and opens.
TEST(PokerGame, WithoutStoredInformationTheBankrollIsTheMinimum) {
    struct Silent : PokerLink {
        std::vector<std::pair<uint8_t, Payload>> sent;
        void sendToOthers(uint8_t type, std::span<const uint8_t> p) override { sent.emplace_back(type, Payload(p.begin(), p.end())); }
        void sendToAll(uint8_t type, std::span<const uint8_t> p) override { sent.emplace_back(type, Payload(p.begin(), p.end())); }
        void sendToOne(uint16_t, uint8_t type, std::span<const uint8_t> p) override { sent.emplace_back(type, Payload(p.begin(), p.end())); }
        void storeMoney(uint16_t, int32_t) override {}
        std::string playerName(uint16_t) override { return "solo"; }
    } link;
    int64_t now = 0;
    PokerGame game(link, [] { return int64_t{1}; }, [&] { return now; });
    game.onOwnId(7, 1, 1);
    game.tick();
    EXPECT_EQ(game.table().local()->money, 0);
    EXPECT_TRUE(link.sent.empty());
    now += PokerGame::kBankrollWaitMs;
    game.tick();
    EXPECT_EQ(game.table().local()->money, kMinimumBankroll);
    ASSERT_EQ(link.sent.size(), 2u);
    EXPECT_EQ(link.sent[0], std::make_pair(uint8_t{kActionMessage}, encodeAction({ActionCode::Money, 250})));
    EXPECT_EQ(link.sent[1], std::make_pair(uint8_t{kTurnMessage}, encodeTurn(7)));
    game.tick();
    EXPECT_EQ(link.sent.size(), 2u);
}

// Found by fuzzing: a server that announced our id as another player before
// the own id, or said that we left, once left the table without its local
// player (and the next own move crashed); id 0 is no player at all.
TEST(PokerGame, HostileEventsNeverTakeTheLocalPlayerAway) {
    struct Quiet : PokerLink {
        void sendToOthers(uint8_t, std::span<const uint8_t>) override {}
        void sendToAll(uint8_t, std::span<const uint8_t>) override {}
        void storeMoney(uint16_t, int32_t) override {}
        std::string playerName(uint16_t) override { return "me"; }
    };
    for (const bool announcedFirst : {true, false}) {
        Quiet link;
        PokerGame game(link, [] { return int64_t{1}; }, [] { return int64_t{0}; });
        if (announcedFirst) game.onNewPlayer(7, "me");
        game.onOwnId(0, 1, 1);
        EXPECT_EQ(game.table().local(), nullptr);
        game.onOwnId(7, 1, 1);
        ASSERT_NE(game.table().local(), nullptr) << announcedFirst;
        EXPECT_EQ(game.table().localId(), 7);
        EXPECT_EQ(game.table().players().size(), 1u) << announcedFirst;
        game.onPlayerInfos(7, encodeBankroll(500));
        game.onPlayerLeft(7);
        ASSERT_NE(game.table().local(), nullptr);
        game.ante();
        game.call();
        game.fold();
        game.draw(0);
        game.tick();
    }
}

TEST(PokerGame, APlayerJoiningDuringAHandWaitsForTheNext) {
    Hub hub;
    PokerGame& a = hub.join(10, "alice");
    settle(hub);
    PokerGame& b = hub.join(20, "bob");
    settle(hub);
    a.ante();
    settle(hub);
    PokerGame& c = hub.join(15, "carol");
    settle(hub);
    EXPECT_FALSE(a.table().find(15)->inHand);
    EXPECT_EQ(a.table().find(15)->seat, 1);
    EXPECT_FALSE(c.followsTheHand());
    b.ante();
    settle(hub);
    // The turn skips carol and comes back to alice for the betting.
    EXPECT_EQ(a.localTurn(), LocalTurn::Bet);
    EXPECT_EQ(c.localTurn(), LocalTurn::None);
}

TEST(PokerGame, TheMasterHandsOnTheTurnOfAPlayerWhoLeaves) {
    Hub hub;
    PokerGame& a = hub.join(10, "alice");
    settle(hub);
    PokerGame& b = hub.join(20, "bob");
    hub.join(30, "carol");
    settle(hub);
    a.ante();
    settle(hub);
    b.ante();
    settle(hub);
    PokerGame& c = *hub.game(30);
    ASSERT_EQ(c.localTurn(), LocalTurn::Ante);
    hub.leave(30);
    settle(hub);
    EXPECT_EQ(hub.database[30], 250);
    EXPECT_EQ(a.localTurn(), LocalTurn::Bet);
    EXPECT_EQ(a.table().players().size(), 2u);
    EXPECT_EQ(b.table().players().size(), 2u);
}

TEST(PokerGame, TheLastPlayerLeftTakesThePot) {
    Hub hub;
    PokerGame& a = hub.join(10, "alice");
    settle(hub);
    hub.join(20, "bob");
    settle(hub);
    a.ante();
    settle(hub);
    hub.game(20)->ante();
    settle(hub);
    hub.leave(20);
    settle(hub);
    EXPECT_TRUE(a.table().newHandPending());
    EXPECT_EQ(a.table().find(10)->money, 255);
    EXPECT_EQ(a.localTurn(), LocalTurn::Ante);
}

}  // namespace
}  // namespace tessary::poker
