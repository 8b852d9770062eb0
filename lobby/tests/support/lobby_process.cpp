#include "lobby_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/testing/test_objects.h"

extern char** environ;

namespace tessary::lobby::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

LobbyProcess::LobbyProcess(const DistAppDirectory& directory, const fs::path& folder, const std::string& platform)
    : registry_(folder / "registry.ini"),
      prefix_(platform::testing::shmPrefix("lobbyprogram-")),
      log_(folder / "TSClient.log") {
    const auto replaced = [](std::string_view entry) {
        for (const char* name : {"TESSARY_REGISTRY=", "TESSARY_SHM_PREFIX=", "XDG_RUNTIME_DIR=", "QT_QPA_PLATFORM=",
                                 "SDL_AUDIODRIVER="}) {
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
    environment.push_back("QT_QPA_PLATFORM=" + platform);
    environment.push_back("SDL_AUDIODRIVER=dummy");
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const std::string program = (directory.root() / "TSClient").string();
    std::string argument0 = program;
    char* argv[] = {argument0.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

LobbyProcess::~LobbyProcess() {
    if (running()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    platform::testing::removeShmObjects(prefix_);
}

bool LobbyProcess::running() const {
    if (pid_ <= 0 || endStatus_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
    endStatus_ = status;
    return false;
}

bool LobbyProcess::hasSharedBlock() const { return fs::exists("/dev/shm/" + prefix_ + "Tessary ShareMem Block"); }
bool LobbyProcess::hasSharedMutex() const { return fs::exists("/dev/shm/" + prefix_ + "Tessary ShareMem Mutex"); }

std::optional<std::string> LobbyProcess::registeredDirectory() const {
    return platform::Registry(registry_).get("SOFTWARE\\Quillon\\Tessary Client", "Directory");
}

std::optional<int> LobbyProcess::terminate() {
    if (running()) ::kill(pid_, SIGTERM);
    if (!waitUntil([&] { return !running(); }, 10s)) return std::nullopt;
    return endStatus_;
}

std::string LobbyProcess::log() const {
    std::ifstream file(log_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace tessary::lobby::testing
