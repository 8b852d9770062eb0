// The real TSClient program as a child of a test, started from a prepared
// application directory with its own registry, shared-memory names and
// runtime folder; its output goes to a log file in that folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "dist_app_directory.h"

namespace tessary::lobby::testing {

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

class LobbyProcess {
public:
    // `platform`: the Qt platform plugin ("offscreen", or "xcb" on the
    // display named by DISPLAY); `folder` must exist and outlive this.
    LobbyProcess(const DistAppDirectory& directory, const std::filesystem::path& folder,
                 const std::string& platform = "offscreen");
    // Kills what is still running and removes its shared-memory objects.
    ~LobbyProcess();
    LobbyProcess(const LobbyProcess&) = delete;
    LobbyProcess& operator=(const LobbyProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    bool running() const;
    // How it ended (the waitpid status) once it has ended.
    std::optional<int> endStatus() const { return endStatus_; }
    bool hasSharedBlock() const;
    bool hasSharedMutex() const;
    std::optional<std::string> registeredDirectory() const;

    // SIGTERM, then the exit status (nothing when it did not end in 10 s).
    std::optional<int> terminate();
    std::string log() const;

private:
    std::filesystem::path registry_;
    std::string prefix_;
    std::filesystem::path log_;
    pid_t pid_{-1};
    mutable std::optional<int> endStatus_;
};

}  // namespace tessary::lobby::testing
