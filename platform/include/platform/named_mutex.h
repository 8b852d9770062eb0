// A mutex shared by name between processes: a robust, process-shared pthread
// mutex that lives in a shared-memory object of its own. A holder that dies
// while holding it does not lock the others out: the next waiter gets it
// (and is told, so that it can check the data the mutex guards).
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/shared_memory.h"

namespace tessary::platform {

class NamedMutex {
public:
    // Opens the mutex `name` (an object name, see SharedMemory::objectName),
    // creating and initialising it on first use. Nothing when the object
    // cannot be had or its first user died half-way through initialising it
    // and is still being replaced after `setupWait`.
    [[nodiscard]] static std::optional<NamedMutex> open(const std::string& name,
                                                        std::chrono::milliseconds setupWait = std::chrono::milliseconds(1000));

    enum class LockResult {
        Locked,
        LockedAfterOwnerDied,  // locked; the previous holder died holding it
        TimedOut,
        Failed,
    };

    // Waits at most `timeout` for the mutex. Not recursive: a thread that
    // holds it must not wait for it again.
    [[nodiscard]] LockResult lock(std::chrono::milliseconds timeout);
    void unlock();

    // Whether `name` still names this mutex (see SharedMemory::isNamed).
    [[nodiscard]] bool isNamed(const std::string& name) const { return memory_.isNamed(name); }

    // Holds the mutex for a scope.
    class Hold {
    public:
        Hold(NamedMutex& mutex, std::chrono::milliseconds timeout) : mutex_(mutex), result_(mutex.lock(timeout)) {}
        ~Hold() {
            if (held()) mutex_.unlock();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        bool held() const { return result_ == LockResult::Locked || result_ == LockResult::LockedAfterOwnerDied; }
        LockResult result() const { return result_; }

    private:
        NamedMutex& mutex_;
        LockResult result_;
    };

private:
    explicit NamedMutex(SharedMemory memory) : memory_(std::move(memory)) {}

    SharedMemory memory_;
};

}  // namespace tessary::platform
