// A real game program started as the lobby's library starts it, for the
// whole-program tests of the games: a scratch folder with its own registry,
// shared-memory prefix and runtime folder; a stand-in lobby (gamelib's
// fake_lobby) that leaves the start order in the hand-off block; the program
// itself ("child" as argument 0); every wait bounded.
#pragma once

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "fake_game_server.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/testing/test_objects.h"
#include "protocol/handoff.h"

namespace tessary::gamelib::testing {

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

inline void endProgram(pid_t& pid, int signal = SIGTERM) {
    if (pid <= 0) return;
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = 0;
}

inline protocol::RawMessage fromServer(protocol::Bytes payload, uint8_t kind = protocol::SENDTOOTHERPLAYERS,
                                       uint16_t sender = 0) {
    protocol::RawMessage m;
    m.kind = kind;
    m.sender = sender;
    m.payload = std::move(payload);
    return m;
}

// A library event announcing player `id` under `name` (cut to its 16 bytes).
inline protocol::Bytes newPlayerEvent(uint16_t id, std::string_view name) {
    protocol::Bytes payload{protocol::EVENT_NEWPLAYER, uint8_t(id), uint8_t(id >> 8)};
    payload.resize(3 + 16, 0);
    std::copy_n(name.begin(), std::min<size_t>(name.size(), 16), payload.begin() + 3);
    return payload;
}

class ProgramHarness {
public:
    // `libraryDirectory` holds libTSGame.so; `fakeLobby` is gamelib_fake_lobby.
    ProgramHarness(const std::string& tag, std::filesystem::path libraryDirectory, std::string fakeLobby)
        : prefix_(platform::testing::shmPrefix(tag + "-")), fakeLobby_(std::move(fakeLobby)) {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix_ + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        scratch_ = pattern;
        ::setenv("TESSARY_REGISTRY", (scratch_ / "registry.ini").c_str(), 1);
        ::setenv("TESSARY_SHM_PREFIX", prefix_.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", scratch_.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The lobby's directory, where the game finds libTSGame.so: a folder
        // of our own that holds the library but no lobby program to start.
        const auto lobbyDirectory = scratch_ / "lobby";
        std::filesystem::create_directories(lobbyDirectory);
        std::filesystem::create_symlink(libraryDirectory / "libTSGame.so", lobbyDirectory / "libTSGame.so");
        if (!platform::Registry::shared().set("SOFTWARE\\Quillon\\Tessary Client", "Directory",
                                              lobbyDirectory.string() + "/"))
            throw std::runtime_error("registry");
    }
    ~ProgramHarness() {
        endProgram(program_, SIGKILL);
        endProgram(lobby_);
        // The mailbox's objects outlive the programs by design.
        platform::testing::removeShmObjects(prefix_);
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
    }
    ProgramHarness(const ProgramHarness&) = delete;
    ProgramHarness& operator=(const ProgramHarness&) = delete;

    // Starts the stand-in lobby with a start order for `game`; true once it
    // is present in the mailbox.
    [[nodiscard]] bool startLobby(const std::string& game, const std::string& order) {
        ::setenv("FAKE_LOBBY_GAME", game.c_str(), 1);
        ::setenv("FAKE_LOBBY_ORDER", order.c_str(), 1);
        ::setenv("FAKE_LOBBY_OUT", lobbyLog().c_str(), 1);
        ::setenv("FAKE_LOBBY_LINGER_MS", "30000", 1);
        auto pid = platform::spawnProgram(fakeLobby_, {"fake_lobby"});
        if (!pid) return false;
        lobby_ = *pid;
        return waitUntil(
            [] {
                protocol::HandoffView onlooker;
                if (!protocol::OpenHandoff(onlooker, "onlooker", uint32_t(::getpid()))) return false;
                return protocol::WindowOf(onlooker, "TSClient") != 0;
            },
            5000);
    }

    [[nodiscard]] bool startProgram(const std::string& path) {
        auto pid = platform::spawnProgram(path, {"child"});
        if (pid) program_ = *pid;
        return pid.has_value();
    }

    // True while the program runs; `status` receives its end otherwise.
    bool running(int& status) {
        if (program_ <= 0) return false;
        if (::waitpid(program_, &status, WNOHANG) != program_) return true;
        program_ = 0;
        return false;
    }

    // Asks the program to close as the lobby does (SIGTERM); its exit status,
    // or -1 when it did not end within `timeoutMs`.
    int closeProgram(int timeoutMs) {
        int status = -1;
        if (!platform::signalProgram(program_, SIGTERM)) return -1;
        if (!waitUntil([&] { return ::waitpid(program_, &status, WNOHANG) == program_; }, timeoutMs)) return -1;
        program_ = 0;
        return status;
    }

    // Raw frames from the program until `wanted` has been seen or time is up.
    std::vector<protocol::RawMessage> receiveUntil(FakeGameServer& server,
                                                   const std::function<bool(const protocol::RawMessage&)>& wanted,
                                                   int timeoutMs) {
        std::vector<protocol::RawMessage> all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            for (protocol::RawMessage& m : server.receiveRawUntilQuiet(100)) {
                all.push_back(std::move(m));
                if (wanted(all.back())) return all;
            }
        }
        return all;
    }

    // The game library keeps sending its datagram probe (type 237) every
    // 500 ms while the server leaves it unanswered: after what is waiting
    // has been read, a fresh probe shows that the program's engine still runs.
    bool engineTicks(FakeGameServer& server, int timeoutMs) {
        while (server.receiveDatagram(50)) {
        }
        (void)server.receiveRawUntilQuiet(50);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (auto datagram = server.receiveDatagram(50);
                datagram && !datagram->message.payload.empty() && datagram->message.payload[0] == kProbeType)
                return true;
            for (const protocol::RawMessage& m : server.receiveRawUntilQuiet(20))
                if (!m.payload.empty() && m.payload[0] == kProbeType) return true;
        }
        return false;
    }
    static constexpr uint8_t kProbeType = 237;

    std::string lobbyLogText() const {
        std::ifstream in(lobbyLog());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::filesystem::path lobbyLog() const { return scratch_ / "lobby.log"; }
    const std::filesystem::path& scratch() const { return scratch_; }
    pid_t program() const { return program_; }

private:
    std::string prefix_;
    std::string fakeLobby_;
    std::filesystem::path scratch_;
    pid_t lobby_ = 0;
    pid_t program_ = 0;
};

}  // namespace tessary::gamelib::testing
