#include "stop_signal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <thread>

namespace tessary::clientlib {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (fd_ >= 0) ::close(fd_);
}

void StopSignal::raise() {
    raised_.store(true, std::memory_order_release);
    if (fd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
    }
}

bool StopSignal::waitFor(std::chrono::milliseconds duration) const {
    if (raised()) return true;
    if (fd_ < 0) {
        std::this_thread::sleep_for(duration);
        return raised();
    }
    pollfd wake{fd_, POLLIN, 0};
    ::poll(&wake, 1, int(duration.count()));
    return raised();
}

}  // namespace tessary::clientlib
