#include <gtest/gtest.h>
#include <sched.h>

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "TSClient.h"
#include "echo_probe.h"
#include "library.h"
#include "ping_registry.h"
#include "ping_round.h"
#include "platform/fake_clock.h"
#include "test_support.h"

namespace tessary::clientlib {
namespace {

using std::chrono::milliseconds;

// Worker threads start at once but may wait long for a core.
constexpr std::chrono::seconds kWaitBound{10};

// Answers echoes from a script instead of the network: the n-th echo of a
// round gets script(n). Records the time-outs it was given.
class ScriptedEcho : public EchoProbe {
public:
    explicit ScriptedEcho(std::function<int32_t(int)> script) : script_(std::move(script)) {}

    int32_t echo(const std::string&, milliseconds timeout, const StopSignal&) override {
        const std::lock_guard lock(mutex_);
        timeouts_.push_back(timeout);
        workerPolicies_.push_back(sched_getscheduler(0));
        return script_(int(timeouts_.size()) - 1);
    }
    std::vector<milliseconds> timeouts() {
        const std::lock_guard lock(mutex_);
        return timeouts_;
    }
    std::vector<int> workerPolicies() {
        const std::lock_guard lock(mutex_);
        return workerPolicies_;
    }

private:
    std::function<int32_t(int)> script_;
    std::mutex mutex_;
    std::vector<milliseconds> timeouts_;
    std::vector<int> workerPolicies_;
};

// An echo that never comes back until the round is stopped.
class HangingEcho : public EchoProbe {
public:
    int32_t echo(const std::string&, milliseconds, const StopSignal& stop) override {
        ++waiting;
        while (!stop.waitFor(milliseconds(1000))) {
        }
        return kEchoLost;
    }
    std::atomic<int> waiting{0};
};

int32_t finishedResult(PingRound& round) {
    for (int i = 0; i < 5000 && !round.finished(); ++i) std::this_thread::sleep_for(milliseconds(1));
    EXPECT_TRUE(round.finished());
    return round.result();
}

TEST(PingRound, ValueOfARound) {
    struct Case {
        const char* name;
        std::function<int32_t(int)> script;
        int32_t expected;
    };
    const Case cases[] = {
        {"all answered in 20 ms", [](int) { return 20; }, 20},
        {"first lost, nine of 20 ms", [](int n) { return n == 0 ? kEchoLost : 20; }, 258},
        {"two lost: the second with the longer time-out",
         [](int n) { return n < 2 ? kEchoLost : 10; },
         (2 * 1000 + 400 + 2 * 1200 + 400 + 8 * 10) / 10},
        {"all lost", [](int) { return kEchoLost; }, -1},
        {"error on the third", [](int n) { return n == 2 ? kEchoError : 5; }, -2},
        {"answers of 0 ms count", [](int) { return 0; }, 0},
    };
    for (const auto& c : cases) {
        ScriptedEcho echo(c.script);
        PingRound round("127.0.0.1", echo, PingSettings{});
        EXPECT_EQ(finishedResult(round), c.expected) << c.name;
    }
}

TEST(PingRound, TimeOutGrowsAfterEachLostEcho) {
    ScriptedEcho echo([](int n) { return n == 1 || n == 3 ? kEchoLost : 1; });
    PingRound round("127.0.0.1", echo, PingSettings{});
    finishedResult(round);
    const std::vector<milliseconds> expected{milliseconds(1000), milliseconds(1000), milliseconds(1200),
                                             milliseconds(1200), milliseconds(1400), milliseconds(1400),
                                             milliseconds(1400), milliseconds(1400), milliseconds(1400),
                                             milliseconds(1400)};
    EXPECT_EQ(echo.timeouts(), expected);
}

TEST(PingRound, WorkerRunsAtIdlePriority) {
    ScriptedEcho echo([](int) { return 1; });
    PingRound round("127.0.0.1", echo, PingSettings{});
    finishedResult(round);
    for (int policy : echo.workerPolicies()) EXPECT_EQ(policy, SCHED_IDLE);
}

TEST(PingRound, ARoundStoppedByForceReadsMinusOne) {
    HangingEcho echo;
    PingRound round("127.0.0.1", echo, PingSettings{});
    ASSERT_TRUE(protocol::testing::waitUntil([&] { return echo.waiting > 0; }, kWaitBound))
        << "the round never sent an echo";
    round.stop();
    EXPECT_TRUE(round.finished());
    EXPECT_EQ(round.result(), -1);
}

class PingRegistryTest : public ::testing::Test {
protected:
    // Workers store their results a moment after their last echo.
    static std::optional<int32_t> settledValue(const PingRegistry& registry, const char* name, int32_t expected) {
        for (int i = 0; i < 5000 && registry.value(name) != expected; ++i) std::this_thread::sleep_for(milliseconds(1));
        return registry.value(name);
    }
    platform::FakeClock clock_;
};

TEST_F(PingRegistryTest, NamesAreUniqueAndUnknownNamesReadNothing) {
    ScriptedEcho echo([](int) { return 20; });
    PingRegistry registry(echo, clock_);
    EXPECT_TRUE(registry.add("Arena one", "127.0.0.1"));
    EXPECT_FALSE(registry.add("Arena one", "127.0.0.2"));
    EXPECT_TRUE(registry.add("arena one", "127.0.0.1")) << "names compare with their case";
    EXPECT_FALSE(registry.value("Arena two"));
    EXPECT_EQ(registry.value("Arena one"), -1) << "nothing measured yet";
}

TEST_F(PingRegistryTest, RoundsStartEveryTwoSecondsAndTheMeanSkipsFailedRounds) {
    // Four rounds: 20 ms, all lost, an error at the first echo, 40 ms.
    std::atomic<int> echoes{0};
    ScriptedEcho echo([&](int) {
        const int n = echoes++;
        return n < 10 ? 20 : n < 20 ? kEchoLost : n == 20 ? kEchoError : 40;
    });
    PingRegistry registry(echo, clock_);
    ASSERT_TRUE(registry.add("a", "127.0.0.1"));

    auto waitForEchoes = [&](int count) {
        for (int i = 0; i < 5000 && echoes < count; ++i) std::this_thread::sleep_for(milliseconds(1));
    };
    registry.poll();
    EXPECT_EQ(registry.roundCount("a"), 1u);
    waitForEchoes(10);
    EXPECT_EQ(settledValue(registry, "a", 20), 20);

    clock_.advanceSeconds(1);
    registry.poll();
    EXPECT_EQ(registry.roundCount("a"), 1u) << "one second is not enough";
    for (int echoesAfter : {20, 21, 31}) {
        clock_.advanceSeconds(2);
        registry.poll();
        waitForEchoes(echoesAfter);
    }
    EXPECT_EQ(registry.roundCount("a"), 4u);
    EXPECT_EQ(settledValue(registry, "a", 30), (20 + 40) / 2);
}

TEST_F(PingRegistryTest, KeepsAtMost31Rounds) {
    ScriptedEcho echo([](int) { return 3; });
    PingRegistry registry(echo, clock_);
    ASSERT_TRUE(registry.add("a", "127.0.0.1"));
    for (int second = 0; second < 100; ++second) {
        registry.poll();
        EXPECT_LE(registry.roundCount("a"), 31u);
        clock_.advanceSeconds(1);
    }
    EXPECT_EQ(registry.roundCount("a"), 31u);
}

TEST_F(PingRegistryTest, AWallClockSetBackDoesNotStopTheRounds) {
    ScriptedEcho echo([](int) { return 3; });
    PingRegistry registry(echo, clock_);
    ASSERT_TRUE(registry.add("a", "127.0.0.1"));
    registry.poll();
    clock_.advanceSeconds(-3600);
    registry.poll();
    EXPECT_EQ(registry.roundCount("a"), 2u);
}

TEST_F(PingRegistryTest, StopAllEndsHangingWorkersAndForgetsTheArenas) {
    HangingEcho echo;
    PingRegistry registry(echo, clock_);
    ASSERT_TRUE(registry.add("a", "127.0.0.1"));
    ASSERT_TRUE(registry.add("b", "127.0.0.1"));
    for (int i = 0; i < 5; ++i) {
        registry.poll();
        clock_.advanceSeconds(2);
    }
    ASSERT_TRUE(protocol::testing::waitUntil([&] { return echo.waiting >= 10; }, kWaitBound))
        << echo.waiting << " of 10 echoes sent";
    registry.stopAll();  // must not wait for any echo
    EXPECT_FALSE(registry.value("a"));
    EXPECT_FALSE(registry.value("b"));
    EXPECT_TRUE(registry.add("a", "127.0.0.1"));
}

// The real echo, to loopback only.
TEST(IcmpEcho, LoopbackAnswers) {
    IcmpEcho echo;
    StopSignal stop;
    const int32_t value = echo.echo("127.0.0.1", milliseconds(1000), stop);
    if (value == kEchoError) GTEST_SKIP() << "this machine allows neither ping sockets nor raw ICMP sockets";
    EXPECT_GE(value, 0);
    EXPECT_LT(value, 1000);

    stop.raise();
    EXPECT_EQ(echo.echo("127.0.0.1", milliseconds(1000), stop), kEchoLost) << "a stopped round sends nothing more";
}

TEST(IcmpEcho, RoundToLoopback) {
    IcmpEcho echo;
    StopSignal probe;
    if (echo.echo("127.0.0.1", milliseconds(1000), probe) == kEchoError)
        GTEST_SKIP() << "this machine allows neither ping sockets nor raw ICMP sockets";
    PingRound round("127.0.0.1", echo, PingSettings{});
    const int32_t value = finishedResult(round);
    EXPECT_GE(value, 0);
    EXPECT_LT(value, 1000);
}

// The exports keep one registry for the process.
TEST(PingExports, AddReadAndStopAll) {
    EXPECT_EQ(TSRouter_AddArenaPingProcessing("Export arena", "127.0.0.1"), 1);
    EXPECT_EQ(TSRouter_AddArenaPingProcessing("Export arena", "127.0.0.1"), 0);
    int32_t value = 12345;
    EXPECT_EQ(TSRouter_GetArenaPing("Unknown arena", &value), 0);
    EXPECT_EQ(value, 12345) << "untouched for an unknown arena";
    EXPECT_EQ(TSRouter_GetArenaPing("Export arena", &value), 1);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(TSRouter_StopAllPingProcessings(), 1);
    EXPECT_EQ(TSRouter_GetArenaPing("Export arena", &value), 0);
    EXPECT_EQ(TSRouter_AddArenaPingProcessing(nullptr, nullptr), 1) << "null texts read as empty";
    EXPECT_EQ(TSRouter_StopAllPingProcessings(), 1);
}

TEST(PingExports, DisconnectingNeverWaitsForAnEcho) {
    HangingEcho echo;
    auto& pings = Library::instance().pings();
    ASSERT_TRUE(pings.useProbe(&echo));
    ASSERT_EQ(TSRouter_AddArenaPingProcessing("Slow arena", "127.0.0.1"), 1);
    for (int i = 0; i < 500 && echo.waiting == 0; ++i) {
        TS_GetMessageType();
        std::this_thread::sleep_for(milliseconds(10));
    }
    ASSERT_GT(echo.waiting, 0);
    EXPECT_EQ(TS_DisconnectFromHost(), 1);  // returns although the echo never comes
    int32_t value = 0;
    EXPECT_EQ(TSRouter_GetArenaPing("Slow arena", &value), 0);
    ASSERT_TRUE(pings.useProbe(nullptr));
}

// Polls start the rounds, with or without a connection; a disconnect ends them.
TEST(PingExports, PollsMeasureAndDisconnectStops) {
    StopSignal probe;
    if (IcmpEcho().echo("127.0.0.1", milliseconds(1000), probe) == kEchoError)
        GTEST_SKIP() << "this machine allows neither ping sockets nor raw ICMP sockets";
    ASSERT_EQ(TSRouter_AddArenaPingProcessing("Loopback arena", "127.0.0.1"), 1);
    int32_t value = -1;
    for (int i = 0; i < 500 && value < 0; ++i) {
        EXPECT_EQ(TS_GetMessageType(), -1);
        ASSERT_EQ(TSRouter_GetArenaPing("Loopback arena", &value), 1);
        std::this_thread::sleep_for(milliseconds(10));
    }
    EXPECT_GE(value, 0);
    EXPECT_EQ(TS_DisconnectFromHost(), 1);
    EXPECT_EQ(TSRouter_GetArenaPing("Loopback arena", &value), 0);
}

}  // namespace
}  // namespace tessary::clientlib
