// A stop request that a worker can wait on inside poll(): a flag plus an
// eventfd that becomes readable when the stop is raised.
#pragma once

#include <atomic>
#include <chrono>

namespace tessary::clientlib {

class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void raise();
    bool raised() const { return raised_.load(std::memory_order_acquire); }
    // Readable once raised; -1 when no eventfd could be had (the flag still works).
    int fd() const { return fd_; }

    // Sleeps for `duration` or until raised; true when raised.
    bool waitFor(std::chrono::milliseconds duration) const;

private:
    std::atomic<bool> raised_{false};
    int fd_ = -1;
};

}  // namespace tessary::clientlib
