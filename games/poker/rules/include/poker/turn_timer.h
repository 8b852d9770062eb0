// The local player's 45-second turn countdown and what happens when it runs out.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "poker/rules_constants.h"

namespace tessary::poker {

// Milliseconds of a monotonic clock; tests replace it.
using MillisecondClock = std::function<int64_t()>;
MillisecondClock steadyMillisecondClock();

class TurnTimer {
public:
    enum class Event { None, Warning, Expired };

    explicit TurnTimer(MillisecondClock clock = steadyMillisecondClock()) : clock_(std::move(clock)) {}

    void start();
    void stop() { running_ = false; }
    [[nodiscard]] bool running() const { return running_; }

    // Whole seconds left, kTurnSeconds down to 0; 0 when stopped.
    [[nodiscard]] int secondsLeft() const;

    // Called at least once a second: reports the warning once when 10 s are
    // left, and the expiry once (which also stops the timer).
    [[nodiscard]] Event poll();

private:
    MillisecondClock clock_;
    int64_t startedAt_ = 0;
    bool running_ = false;
    bool warned_ = false;
};

enum class TimeoutOutcome {
    Fold,                // he has a bet in the running hand
    StartNewHandAndPass, // a new hand was pending: start it without ante
    SitOutAndPass,       // otherwise he sits the hand out
};

[[nodiscard]] constexpr TimeoutOutcome timeoutOutcome(bool newHandPending, int32_t bet) {
    if (!newHandPending && bet > 0) return TimeoutOutcome::Fold;
    return newHandPending ? TimeoutOutcome::StartNewHandAndPass : TimeoutOutcome::SitOutAndPass;
}

}  // namespace tessary::poker
