// The library's millisecond clock: milliseconds since the game session was
// created, cut to 32 bits like every stamp the library keeps or sends.
#pragma once

#include <cstdint>

#include "local_time.h"
#include "platform/clock.h"

namespace tessary::gamelib {

class LocalClock {
public:
    // `clock` must outlive this object.
    explicit LocalClock(const platform::Clock& clock) : clock_(clock), origin_(clock.monotonicMs()) {}

    LocalMs now() const { return LocalMs(uint32_t(uint64_t(clock_.monotonicMs() - origin_))); }
    const platform::Clock& source() const { return clock_; }

private:
    const platform::Clock& clock_;
    int64_t origin_;
};

}  // namespace tessary::gamelib
