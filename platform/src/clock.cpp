#include "platform/clock.h"

#include <ctime>

namespace tessary::platform {
namespace {

class SystemClock final : public Clock {
public:
    int64_t wallSeconds() const override { return int64_t(std::time(nullptr)); }

    int64_t monotonicMs() const override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
    }
};

}  // namespace

const Clock& systemClock() {
    static const SystemClock clock;
    return clock;
}

}  // namespace tessary::platform
