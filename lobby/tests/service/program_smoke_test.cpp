// The real TSClient program, started from a copy of the built application
// directory with no display (offscreen), reaches its login window and ends
// normally on SIGTERM, the stand-in for a close request.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/dist_app_directory.h"
#include "platform/registry.h"
#include "platform/testing/test_objects.h"

extern char** environ;

namespace tessary::lobby {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::DistAppDirectory;

constexpr const char* kProgram = "TSClient";

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

// The program as a child with its own registry, shared-memory names and
// runtime folder; its output goes to a log file.
class LobbyProcess {
public:
    LobbyProcess(const DistAppDirectory& directory, const fs::path& folder)
        : registry_(folder / "registry.ini"),
          prefix_(platform::testing::shmPrefix("lobbysmoke-")),
          log_(folder / "TSClient.log") {
        const auto replaced = [](std::string_view entry) {
            for (const char* name : {"TESSARY_REGISTRY=", "TESSARY_SHM_PREFIX=", "XDG_RUNTIME_DIR=",
                                     "QT_QPA_PLATFORM=", "SDL_AUDIODRIVER="}) {
                if (entry.starts_with(name)) return true;
            }
            return false;
        };
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (!replaced(*entry)) environment.emplace_back(*entry);
        }
        environment.push_back("TESSARY_REGISTRY=" + registry_.string());
        environment.push_back("TESSARY_SHM_PREFIX=" + prefix_);
        environment.push_back("XDG_RUNTIME_DIR=" + folder.string());
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        environment.push_back("SDL_AUDIODRIVER=dummy");
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);

        const std::string program = (directory.root() / kProgram).string();
        std::string argument0 = program;
        char* argv[] = {argument0.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    ~LobbyProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        platform::testing::removeShmObjects(prefix_);
    }

    bool started() const { return pid_ > 0; }
    bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    bool hasSharedBlock() const { return fs::exists("/dev/shm/" + prefix_ + "Tessary ShareMem Block"); }
    bool hasSharedMutex() const { return fs::exists("/dev/shm/" + prefix_ + "Tessary ShareMem Mutex"); }
    std::optional<std::string> registeredDirectory() const {
        return platform::Registry(registry_).get("SOFTWARE\\Quillon\\Tessary Client", "Directory");
    }

    // SIGTERM, then the exit status (nothing when it did not end in 10 s).
    std::optional<int> terminate() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        const bool ended = waitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 10s);
        if (!ended) return std::nullopt;
        pid_ = -1;
        return status;
    }

    std::string log() const {
        std::ifstream file(log_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    fs::path registry_;
    std::string prefix_;
    fs::path log_;
    pid_t pid_{-1};
};

TEST(TSClientProgram, ReachesItsLoginWindowAndEndsNormallyOnSigterm) {
    const char* dist = std::getenv("TESSARY_DIST");
    ASSERT_NE(dist, nullptr);
    // Sounds on through a value the ending writes back as 1.
    DistAppDirectory directory(dist, 7000, 7);
    directory.copyProgram(dist, kProgram);
    std::string pattern = (fs::temp_directory_path() / "lobby-smoke-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> removeFolder(&folder, [](const fs::path* f) {
        std::error_code ignored;
        fs::remove_all(*f, ignored);
    });

    {
        LobbyProcess lobby(directory, folder);
        ASSERT_TRUE(lobby.started());
        // The registry entry is written during start-up, the shared block by
        // the main window's creation, which ends by showing the login window.
        ASSERT_TRUE(waitUntil([&] { return lobby.registeredDirectory() == directory.path(); }, 20s))
            << lobby.log();
        ASSERT_TRUE(waitUntil([&] { return lobby.hasSharedBlock(); }, 20s)) << lobby.log();
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(lobby.running()) << lobby.log();

        const auto status = lobby.terminate();
        ASSERT_TRUE(status.has_value()) << lobby.log();
        EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        // Only the normal ending writes the sound toggle back.
        EXPECT_EQ(directory.storedSound(), 1);
        // The last one out of the mailbox takes it away.
        EXPECT_FALSE(lobby.hasSharedBlock());
        EXPECT_FALSE(lobby.hasSharedMutex());
    }
}

}  // namespace
}  // namespace tessary::lobby
