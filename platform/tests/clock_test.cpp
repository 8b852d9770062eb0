#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/fake_clock.h"

namespace tessary::platform {
namespace {

TEST(SystemClock, WallClockMatchesTime) {
    const int64_t before = std::time(nullptr);
    const int64_t read = systemClock().wallSeconds();
    const int64_t after = std::time(nullptr);
    EXPECT_LE(before, read);
    EXPECT_LE(read, after);
}

TEST(SystemClock, MonotonicClockMovesForwardInMilliseconds) {
    const int64_t start = systemClock().monotonicMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int64_t elapsed = systemClock().monotonicMs() - start;
    EXPECT_GE(elapsed, 20);
    EXPECT_LT(elapsed, 5000);
}

TEST(FakeClock, MovesOnlyWhenAdvancedAndKeepsBothClocksTogether) {
    FakeClock clock(500);
    EXPECT_EQ(clock.wallSeconds(), 500);
    EXPECT_EQ(clock.monotonicMs(), 0);

    clock.advanceMs(999);
    EXPECT_EQ(clock.wallSeconds(), 500);  // a second is not over yet
    clock.advanceMs(1);
    EXPECT_EQ(clock.wallSeconds(), 501);
    clock.advanceSeconds(180);
    EXPECT_EQ(clock.wallSeconds(), 681);
    EXPECT_EQ(clock.monotonicMs(), 181'000);
}

}  // namespace
}  // namespace tessary::platform
