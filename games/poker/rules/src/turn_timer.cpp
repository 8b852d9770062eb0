#include "poker/turn_timer.h"

#include <algorithm>
#include <chrono>

namespace tessary::poker {

MillisecondClock steadyMillisecondClock() {
    return [] {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    };
}

void TurnTimer::start() {
    startedAt_ = clock_();
    running_ = true;
    warned_ = false;
}

int TurnTimer::secondsLeft() const {
    if (!running_) return 0;
    const int64_t elapsed = (clock_() - startedAt_) / 1000;
    return static_cast<int>(std::clamp<int64_t>(kTurnSeconds - elapsed, 0, kTurnSeconds));
}

TurnTimer::Event TurnTimer::poll() {
    if (!running_) return Event::None;
    const int left = secondsLeft();
    if (left <= 0) {
        running_ = false;
        return Event::Expired;
    }
    if (left <= kWarningSeconds && !warned_) {
        warned_ = true;
        return Event::Warning;
    }
    return Event::None;
}

}  // namespace tessary::poker
