#include "platform/named_mutex.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <thread>

#include "platform/process.h"

namespace tessary::platform {
namespace {

// The shared object: the mutex and the state of its one-time set-up, which
// the first process to find the object zeroed performs.
struct MutexObject {
    uint32_t setupState;  // SetupState, accessed atomically
    int32_t setupPid;     // the process performing the set-up
    pthread_mutex_t mutex;
};

enum SetupState : uint32_t { kBlank = 0, kSettingUp = 1, kReady = 2 };

bool initialise(pthread_mutex_t& mutex) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    const bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                    pthread_mutex_init(&mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ok;
}

// Brings the object to kReady: sets it up when blank, waits while another
// process does, and takes over when that process died half-way.
bool ensureReady(MutexObject& object, std::chrono::milliseconds wait) {
    std::atomic_ref<uint32_t> state(object.setupState);
    std::atomic_ref<int32_t> setupPid(object.setupPid);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        uint32_t seen = state.load(std::memory_order_acquire);
        if (seen == kReady) return true;
        if (seen == kBlank && state.compare_exchange_strong(seen, kSettingUp, std::memory_order_acq_rel)) {
            setupPid.store(::getpid(), std::memory_order_relaxed);
            if (!initialise(object.mutex)) {
                state.store(kBlank, std::memory_order_release);
                return false;
            }
            state.store(kReady, std::memory_order_release);
            return true;
        }
        if (seen == kSettingUp) {
            const pid_t owner = setupPid.load(std::memory_order_relaxed);
            if (owner != 0 && !processAlive(owner)) state.compare_exchange_strong(seen, kBlank);
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

MutexObject& objectIn(const SharedMemory& memory) { return *reinterpret_cast<MutexObject*>(memory.data()); }

}  // namespace

std::optional<NamedMutex> NamedMutex::open(const std::string& name, std::chrono::milliseconds setupWait) {
    auto memory = SharedMemory::openOrCreate(name, sizeof(MutexObject));
    if (!memory || !ensureReady(objectIn(*memory), setupWait)) return std::nullopt;
    return NamedMutex(std::move(*memory));
}

NamedMutex::LockResult NamedMutex::lock(std::chrono::milliseconds timeout) {
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    const auto total = std::chrono::nanoseconds(timeout).count() + deadline.tv_nsec;
    deadline.tv_sec += time_t(total / 1'000'000'000);
    deadline.tv_nsec = long(total % 1'000'000'000);

    pthread_mutex_t& mutex = objectIn(memory_).mutex;
    int error;
    do {
        error = ::pthread_mutex_clocklock(&mutex, CLOCK_MONOTONIC, &deadline);
    } while (error == EINTR);
    switch (error) {
        case 0:
            return LockResult::Locked;
        case EOWNERDEAD:
            pthread_mutex_consistent(&mutex);
            return LockResult::LockedAfterOwnerDied;
        case ETIMEDOUT:
            return LockResult::TimedOut;
        default:
            return LockResult::Failed;
    }
}

void NamedMutex::unlock() { pthread_mutex_unlock(&objectIn(memory_).mutex); }

}  // namespace tessary::platform
