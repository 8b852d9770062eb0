#include <gtest/gtest.h>

#include <set>

#include "poker/deck.h"
#include "poker/lcg.h"
#include "poker/turn_timer.h"

namespace tessary::poker {
namespace {

TEST(Lcg, ProducesTheClassicSequence) {
    Lcg g(1);
    const uint32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724};
    for (uint32_t e : expected) EXPECT_EQ(g.next(), e);
}

TEST(Deck, FirstDrawFollowsTheClockSeed) {
    Lcg g(1000);
    const Card expected = static_cast<Card>(g.next() % 52);
    Deck deck([] { return int64_t{1000}; });
    EXPECT_EQ(deck.draw(), expected);
}

TEST(Deck, ReseedsBeforeEveryDrawAndSkipsTakenCards) {
    // Within one second the sequence restarts: the second draw is the next
    // card of the same sequence that is still available.
    Lcg g(77);
    std::vector<Card> sequence;
    while (sequence.size() < 2) {
        const Card c = static_cast<Card>(g.next() % 52);
        if (sequence.empty() || sequence.front() != c) sequence.push_back(c);
    }
    Deck deck([] { return int64_t{77}; });
    EXPECT_EQ(deck.draw(), sequence[0]);
    EXPECT_EQ(deck.draw(), sequence[1]);
}

TEST(Deck, DrawsEveryCardOnceThenNothing) {
    int64_t now = 5;
    Deck deck([&] { return now; });
    std::set<Card> seen;
    for (int i = 0; i < 52; ++i) {
        const Card c = deck.draw();
        ASSERT_TRUE(isCard(c));
        EXPECT_TRUE(seen.insert(c).second) << "drawn twice: " << c;
        if (i % 7 == 0) ++now;
    }
    EXPECT_EQ(deck.draw(), kNoCard);
    deck.refill();
    EXPECT_EQ(deck.availableCount(), 52);
}

TEST(Deck, ReceivedCardsAreNotDrawn) {
    Deck deck([] { return int64_t{3}; });
    Deck probe([] { return int64_t{3}; });
    const Card first = probe.draw();
    deck.markTaken(first);
    deck.markTaken(kNoCard);  // ignored
    deck.markTaken(60);       // ignored
    EXPECT_NE(deck.draw(), first);
    EXPECT_EQ(deck.availableCount(), 50);
}

TEST(Deck, RedrawKeepsHeldCards) {
    Deck deck([] { return int64_t{9}; });
    const Hand first = deck.drawHand();
    const Hand second = deck.redraw(first, 0b10101);
    EXPECT_EQ(second[0], first[0]);
    EXPECT_EQ(second[2], first[2]);
    EXPECT_EQ(second[4], first[4]);
    EXPECT_NE(second[1], first[1]);
    EXPECT_NE(second[3], first[3]);
    EXPECT_EQ(deck.availableCount(), 52 - 7);
}

TEST(TurnTimer, CountsDownWarnsOnceAndExpiresOnce) {
    int64_t now = 100'000;
    TurnTimer timer([&] { return now; });
    EXPECT_EQ(timer.secondsLeft(), 0);
    timer.start();
    EXPECT_EQ(timer.secondsLeft(), 45);
    EXPECT_EQ(timer.poll(), TurnTimer::Event::None);
    now += 34'999;
    EXPECT_EQ(timer.secondsLeft(), 11);
    EXPECT_EQ(timer.poll(), TurnTimer::Event::None);
    now += 1;
    EXPECT_EQ(timer.secondsLeft(), 10);
    EXPECT_EQ(timer.poll(), TurnTimer::Event::Warning);
    EXPECT_EQ(timer.poll(), TurnTimer::Event::None);
    now += 10'000;
    EXPECT_EQ(timer.poll(), TurnTimer::Event::Expired);
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(timer.poll(), TurnTimer::Event::None);
}

TEST(TurnTimer, RestartClearsTheWarning) {
    int64_t now = 0;
    TurnTimer timer([&] { return now; });
    timer.start();
    now = 36'000;
    EXPECT_EQ(timer.poll(), TurnTimer::Event::Warning);
    timer.start();
    EXPECT_EQ(timer.secondsLeft(), 45);
    now += 35'000;
    EXPECT_EQ(timer.poll(), TurnTimer::Event::Warning);
}

TEST(TurnTimer, OutcomeAtZero) {
    struct Row {
        bool pending;
        int32_t bet;
        TimeoutOutcome outcome;
    };
    const Row rows[] = {
        {false, 5, TimeoutOutcome::Fold},                // paid the ante, then did nothing
        {false, 40, TimeoutOutcome::Fold},
        {false, 0, TimeoutOutcome::SitOutAndPass},       // offered the ante, let it pass
        {true, 0, TimeoutOutcome::StartNewHandAndPass},
        {true, 25, TimeoutOutcome::StartNewHandAndPass}, // last hand's bet does not count
    };
    for (const Row& r : rows) EXPECT_EQ(timeoutOutcome(r.pending, r.bet), r.outcome) << r.pending << " " << r.bet;
}

}  // namespace
}  // namespace tessary::poker
