// The library's time-driven logic with time given by hand: the server clock
// and its request rhythm, the relay pacing and the round-trip adaptation.
#include <gtest/gtest.h>

#include "TSGame.h"
#include "library_messages.h"
#include "relay_list.h"
#include "round_trip_estimator.h"
#include "server_clock.h"

namespace tessary::gamelib {
namespace {

protocol::Bytes timeAnswer(uint32_t seconds, uint32_t milliseconds) {
    protocol::Bytes payload;
    appendLe32(payload, seconds);
    appendLe32(payload, milliseconds);
    return payload;
}

TEST(ServerClock, AnswerIsMovedOnByHalfTheRoundTrip) {
    struct Case {
        uint32_t seconds, milliseconds;
        int32_t roundTrip;
        uint32_t wantSeconds;
        int32_t wantMilliseconds;
    } cases[] = {
        {100, 900, 300, 101, 50},   // 1050 ms before normalisation
        {100, 900, 200, 101, 0},
        {100, 0, 2999, 101, 499},   // odd round trip: the half is truncated
        {7, 999, 0, 7, 999},
        {7, 2500, 0, 9, 500},       // a server's out-of-range milliseconds still give a valid time
    };
    for (const Case& c : cases) {
        ServerClock clock;
        clock.setSynchronization(true);
        clock.requestSent(40'000);
        ASSERT_TRUE(clock.takeAnswer(timeAnswer(c.seconds, c.milliseconds), 40'000 + c.roundTrip));
        uint32_t seconds = 0;
        int32_t milliseconds = -1;
        ASSERT_EQ(clock.read(40'000 + c.roundTrip, &seconds, &milliseconds), TS_SUCCESS);
        EXPECT_EQ(seconds, c.wantSeconds) << c.seconds << "." << c.milliseconds << " +" << c.roundTrip;
        EXPECT_EQ(milliseconds, c.wantMilliseconds) << c.seconds << "." << c.milliseconds << " +" << c.roundTrip;
    }
}

TEST(ServerClock, ReadingCarriesTheAnswerForwardWithTheLocalClock) {
    ServerClock clock;
    uint32_t seconds = 77;
    int32_t milliseconds = 77;
    EXPECT_EQ(clock.read(5, &seconds, &milliseconds), TS_ERROR_NO_SERVER_TIME);
    EXPECT_EQ(seconds, 77u);
    EXPECT_EQ(milliseconds, 77);

    clock.requestSent(1000);
    ASSERT_TRUE(clock.takeAnswer(timeAnswer(500, 600), 1000));
    ASSERT_EQ(clock.read(1000 + 12'750, &seconds, &milliseconds), TS_SUCCESS);
    EXPECT_EQ(seconds, 513u);
    EXPECT_EQ(milliseconds, 350);
}

TEST(ServerClock, AnswersOfTheWrongSizeChangeNothing) {
    ServerClock clock;
    clock.setSynchronization(true);
    clock.requestSent(10);
    for (size_t size : {0, 7, 9}) {
        protocol::Bytes payload(size, 1);
        EXPECT_FALSE(clock.takeAnswer(payload, 20));
    }
    EXPECT_TRUE(clock.requestPending());
    EXPECT_FALSE(clock.valid());
}

TEST(ServerClock, RequestsFollowTheThirtySecondRhythm) {
    ServerClock clock;
    EXPECT_FALSE(clock.requestDue(0));  // synchronization off
    clock.setSynchronization(true);
    ASSERT_TRUE(clock.requestDue(0));   // the first request leaves at once
    clock.requestSent(0);
    EXPECT_FALSE(clock.requestDue(20'000));
    EXPECT_FALSE(clock.requestDue(40'000));  // not answered yet
    ASSERT_TRUE(clock.takeAnswer(timeAnswer(1, 0), 100));
    EXPECT_FALSE(clock.requestDue(30'000));
    EXPECT_TRUE(clock.requestDue(30'001));
    clock.setSynchronization(false);
    EXPECT_FALSE(clock.requestDue(60'000));
}

// Feeds round trips one per `stepMs` starting at time `start`.
void feed(RoundTripEstimator& estimator, LocalMs& now, std::initializer_list<int32_t> roundTrips,
          int32_t stepMs = 100) {
    for (int32_t r : roundTrips) {
        now += stepMs;
        estimator.addRoundTrip(now, r);
    }
}

TEST(RoundTripEstimator, ShortRoundTripsNeverBecomeTheMinimum) {
    RoundTripEstimator estimator;
    LocalMs now = 0;
    feed(estimator, now, {25, 10, 1, 0});
    EXPECT_EQ(estimator.minimumRoundTrip(), RoundTripEstimator::kNoMinimum);
    feed(estimator, now, {26});
    EXPECT_EQ(estimator.minimumRoundTrip(), 26);
    feed(estimator, now, {40, 20});
    EXPECT_EQ(estimator.minimumRoundTrip(), 26);
}

TEST(RoundTripEstimator, IntervalFollowsTheTrend) {
    struct Case {
        const char* name;
        std::initializer_list<int32_t> roundTrips;
        int32_t wantInterval;
    } cases[] = {
        // The first sample sets the minimum (50); from the second on the
        // slope is positive and the round trip more than 100 ms above it.
        {"rising far above the minimum", {50, 160, 170, 180}, 800 + 3 * 4},
        // Rising but never more than 100 ms above the minimum.
        {"rising near the minimum", {50, 60, 70, 150}, 800},
        // Falling: each sample is the new minimum, so it is close to it.
        {"falling near the minimum", {300, 250, 200, 150}, 800 - 3 * 4},
        {"flat", {80, 80, 80, 80}, 800},
    };
    for (const Case& c : cases) {
        RoundTripEstimator estimator;
        LocalMs now = 1000;
        feed(estimator, now, c.roundTrips);
        EXPECT_EQ(estimator.intervalTenths(), c.wantInterval) << c.name;
    }
}

TEST(RoundTripEstimator, FallingFarAboveTheMinimumKeepsTheInterval) {
    RoundTripEstimator estimator;
    LocalMs now = 1000;
    feed(estimator, now, {30, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000});
    const int32_t before = estimator.intervalTenths();
    EXPECT_GT(before, 800);  // the climb from 30 to 1000 raised it
    feed(estimator, now, {900, 800, 700});
    EXPECT_EQ(estimator.intervalTenths(), before);
}

TEST(RoundTripEstimator, SteepTrendsAndEqualTimesAreIgnored) {
    RoundTripEstimator steep;
    LocalMs now = 1000;
    feed(steep, now, {50, 5000, 20000}, 10);  // 1,500 ms of round trip per ms
    EXPECT_EQ(steep.intervalTenths(), 800);

    RoundTripEstimator sameTime;
    sameTime.addRoundTrip(500, 50);
    sameTime.addRoundTrip(500, 300);
    EXPECT_EQ(sameTime.intervalTenths(), 800);
}

TEST(RoundTripEstimator, IntervalNeverDropsBelowTwoHundred) {
    RoundTripEstimator estimator;
    LocalMs now = 1000;
    feed(estimator, now, {30});
    // A long slow fall near the minimum: each sample takes 4 off.
    int32_t r = 129;
    for (int i = 0; i < 400; ++i) {
        now += 100;
        estimator.addRoundTrip(now, r);
        if (r > 31) --r;
        else r = 129;  // saw-tooth keeps some slopes negative
        ASSERT_GE(estimator.intervalTenths(), RoundTripEstimator::kMinimumIntervalTenths);
    }
    EXPECT_EQ(estimator.intervalTenths(), RoundTripEstimator::kMinimumIntervalTenths);
}

TEST(RoundTripEstimator, OnlyTheLastTenSamplesCount) {
    RoundTripEstimator estimator;
    LocalMs now = 1000;
    feed(estimator, now, {30});
    // Ten rising samples far above the minimum, then ten flat ones: once the
    // rising ones have left the ring, the slope is 0 and nothing changes.
    feed(estimator, now, {200, 210, 220, 230, 240, 250, 260, 270, 280, 290});
    feed(estimator, now, {500, 500, 500, 500, 500, 500, 500, 500, 500, 500});
    const int32_t settled = estimator.intervalTenths();
    feed(estimator, now, {500, 500, 500});
    EXPECT_EQ(estimator.intervalTenths(), settled);
}

protocol::RawMessage relayed(uint8_t type, uint8_t last, uint16_t sender = 7, uint8_t kind = protocol::SENDTOOTHERPLAYERS) {
    protocol::RawMessage m;
    m.kind = kind;
    m.sender = sender;
    m.flags = *flagsOfSendMode(2);
    m.payload = {type, last};
    return m;
}

TEST(RelayList, OnlyTheNewestMessageOfEachSenderTypeAndKindWaits) {
    RelayList list;
    list.insert(relayed(5, 1));
    list.insert(relayed(6, 1));
    list.insert(relayed(5, 2));
    list.insert(relayed(5, 3));
    list.insert(relayed(5, 4, 8));                              // other sender
    list.insert(relayed(5, 5, 7, protocol::SENDTOALLPLAYERS));  // other kind
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.waiting()[0].payload, (protocol::Bytes{6, 1}));
    EXPECT_EQ(list.waiting()[1].payload, (protocol::Bytes{5, 3}));
}

TEST(RelayList, MessagesLeaveOnePerIntervalAtPriorityThirtyOne) {
    RelayList list;
    list.insert(relayed(5, 1));
    list.insert(relayed(6, 1));
    // The interval starts at 80 ms counted from the list's creation at 0.
    EXPECT_FALSE(list.takeDue(80));
    auto first = list.takeDue(81);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->message.payload[0], 5);
    EXPECT_EQ(first->message.flags, protocol::kReplaceFlag | 31);
    EXPECT_FALSE(list.takeDue(81 + 80));
    auto second = list.takeDue(81 + 81);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->message.payload[0], 6);
    EXPECT_FALSE(list.takeDue(10'000));  // empty
}

TEST(RelayList, EchoStampCarriesThePeerStampPlusItsWaitOnce) {
    RelayList list;
    list.datagramReceived(50'000, 0, 1000);
    list.insert(relayed(5, 1));
    list.insert(relayed(6, 1));
    auto first = list.takeDue(1250);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->echoStamp, 50'250u);
    auto second = list.takeDue(2000);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->echoStamp, 0u);  // echoed once only
}

TEST(RelayList, EchoedStampsFeedTheRoundTripsAndResetForgetsThem) {
    RelayList list;
    list.datagramReceived(1, 4000, 4060);
    EXPECT_EQ(list.roundTrips().minimumRoundTrip(), 60);
    list.datagramReceived(1, 0, 5000);  // no echo: nothing measured
    EXPECT_EQ(list.roundTrips().minimumRoundTrip(), 60);
    list.insert(relayed(5, 1));
    list.reset();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.roundTrips().minimumRoundTrip(), RoundTripEstimator::kNoMinimum);
}

}  // namespace
}  // namespace tessary::gamelib
