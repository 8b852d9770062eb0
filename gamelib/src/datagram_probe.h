// The datagram probe: from the connect on, a message of type 237 every 500 ms
// until the server answers with one.
#pragma once

#include <cstdint>

#include "local_time.h"

namespace tessary::gamelib {

class DatagramProbe {
public:
    static constexpr int32_t kPeriodMs = 500;

    void start(LocalMs now) {
        active_ = true;
        last_ = now;
    }
    void stop() { active_ = false; }

    [[nodiscard]] bool due(LocalMs now) const { return active_ && msBetween(last_, now) > kPeriodMs; }
    // A probe went out at `now`; a failed send keeps the old period.
    void sent(LocalMs now) { last_ = now; }
    bool active() const { return active_; }

private:
    bool active_ = false;
    LocalMs last_ = 0;
};

}  // namespace tessary::gamelib
