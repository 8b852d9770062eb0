// A clock that only moves when told to, for tests of keep-alives and time-outs.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tessary::platform {

class FakeClock : public Clock {
public:
    // Starts at `wallSeconds` on the wall clock and 0 on the monotonic clock.
    explicit FakeClock(int64_t wallSeconds = 1'000'000'000) : wallOrigin_(wallSeconds) {}

    int64_t wallSeconds() const override { return wallOrigin_ + elapsedMs_ / 1000; }
    int64_t monotonicMs() const override { return elapsedMs_; }

    // Moves both clocks forward together.
    void advanceMs(int64_t ms) { elapsedMs_ += ms; }
    void advanceSeconds(int64_t seconds) { elapsedMs_ += seconds * 1000; }

private:
    int64_t wallOrigin_;
    int64_t elapsedMs_ = 0;
};

}  // namespace tessary::platform
