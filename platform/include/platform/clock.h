// Time as the rest of the system reads it: a wall clock in whole seconds and a
// monotonic millisecond clock. Code that waits or times out takes a Clock so
// that tests can drive time by hand (see fake_clock.h).
#pragma once

#include <cstdint>

namespace tessary::platform {

class Clock {
public:
    virtual ~Clock() = default;

    // Seconds since the Unix epoch, with the resolution of time().
    virtual int64_t wallSeconds() const = 0;
    // Milliseconds since an arbitrary fixed origin; never goes back.
    virtual int64_t monotonicMs() const = 0;
};

// The real clocks: time() and CLOCK_MONOTONIC. Lives for the whole process.
const Clock& systemClock();

// The system clock's wall seconds, for code that takes no Clock.
inline int64_t unixNow() { return systemClock().wallSeconds(); }

}  // namespace tessary::platform
