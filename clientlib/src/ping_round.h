// One measuring round of an arena: a worker thread at the lowest priority
// sends ten echoes and leaves the round's value. The worker can be stopped at
// any moment and never outlives its round.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "echo_probe.h"
#include "stop_signal.h"

namespace tessary::clientlib {

struct PingSettings {
    int echoesPerRound = 10;
    std::chrono::milliseconds firstTimeout{1000};
    std::chrono::milliseconds timeoutIncrease{200};  // after each lost echo
    std::chrono::milliseconds penaltyExtra{400};     // a lost echo counts 2 x time-out + this
    int64_t roundIntervalSeconds = 2;
    size_t roundsKeptBeforeNew = 30;
};

inline constexpr int32_t kRoundRunning = -1;

class PingRound {
public:
    // Starts the worker at once.
    PingRound(std::string host, EchoProbe& probe, const PingSettings& settings);
    // Stops the worker if it still runs.
    ~PingRound();
    PingRound(const PingRound&) = delete;
    PingRound& operator=(const PingRound&) = delete;

    // -1 while running; then the mean in ms (lost echoes counted with their
    // penalty), -1 when no echo came back or the round was stopped, -2 on an
    // error.
    int32_t result() const { return result_.load(std::memory_order_acquire); }
    bool finished() const { return finished_.load(std::memory_order_acquire); }

    // Asks the worker to stop without waiting for it (so that many rounds can
    // be stopped together), then stop() waits for it.
    void requestStop() { stop_.raise(); }
    void stop();

private:
    void run();
    int32_t measure();

    const std::string host_;
    EchoProbe& probe_;
    const PingSettings settings_;
    std::atomic<int32_t> result_{kRoundRunning};
    std::atomic<bool> finished_{false};
    StopSignal stop_;
    std::thread worker_;
};

}  // namespace tessary::clientlib
