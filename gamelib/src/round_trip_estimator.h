// Round trips measured on the datagram channel and the relay interval that
// follows their trend: the interval grows while round trips grow well above
// the best one seen, and shrinks while they fall back towards it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "local_time.h"

namespace tessary::gamelib {

class RoundTripEstimator {
public:
    static constexpr int32_t kInitialIntervalTenths = 800;
    static constexpr int32_t kMinimumIntervalTenths = 200;
    static constexpr int32_t kNoMinimum = 99'999;
    // Shorter round trips are too good to be true (local echo, clock steps)
    // and never become the minimum.
    static constexpr int32_t kPlausibleRoundTripMs = 25;

    // A round trip of `roundTripMs` was measured at `now`.
    void addRoundTrip(LocalMs now, int32_t roundTripMs);

    // Minimum gap between two relayed messages, in tenths of a millisecond.
    int32_t intervalTenths() const { return intervalTenths_; }
    int32_t minimumRoundTrip() const { return minimum_; }

private:
    struct Sample {
        LocalMs time = 0;  // 0: never filled
        int32_t roundTrip = 0;
    };

    void adapt(LocalMs now, int32_t roundTripMs);

    int32_t intervalTenths_ = kInitialIntervalTenths;
    int32_t minimum_ = kNoMinimum;
    std::array<Sample, 10> samples_{};
    size_t next_ = 0;
};

}  // namespace tessary::gamelib
