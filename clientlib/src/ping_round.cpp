#include "ping_round.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <system_error>

namespace tessary::clientlib {
namespace {

// Measurements must never take time from the lobby: the worker runs only
// when nothing else wants the processor.
void lowerOwnPriority() {
    const sched_param idle{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle) != 0)
        ::setpriority(PRIO_PROCESS, ::gettid(), 19);
}

}  // namespace

PingRound::PingRound(std::string host, EchoProbe& probe, const PingSettings& settings)
    : host_(std::move(host)), probe_(probe), settings_(settings) {
    try {
        worker_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        result_.store(kEchoError, std::memory_order_release);
        finished_.store(true, std::memory_order_release);
    }
}

PingRound::~PingRound() { stop(); }

void PingRound::stop() {
    const bool wasRunning = !finished();
    stop_.raise();
    if (worker_.joinable()) worker_.join();
    if (wasRunning) result_.store(kEchoLost, std::memory_order_release);
}

void PingRound::run() {
    lowerOwnPriority();
    const int32_t value = measure();
    result_.store(stop_.raised() ? kEchoLost : value, std::memory_order_release);
    finished_.store(true, std::memory_order_release);
}

int32_t PingRound::measure() {
    auto timeout = settings_.firstTimeout;
    int64_t sum = 0;
    int answered = 0;
    for (int i = 0; i < settings_.echoesPerRound && !stop_.raised(); ++i) {
        const int32_t echo = probe_.echo(host_, timeout, stop_);
        if (echo == kEchoError) return kEchoError;
        if (echo < 0) {
            sum += 2 * timeout.count() + settings_.penaltyExtra.count();
            timeout += settings_.timeoutIncrease;
        } else {
            sum += echo;
            ++answered;
        }
    }
    if (answered == 0 || settings_.echoesPerRound <= 0) return kEchoLost;
    return int32_t(sum / settings_.echoesPerRound);
}

}  // namespace tessary::clientlib
