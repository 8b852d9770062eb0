// The real poker program, started as the lobby's library starts it, through
// the real libTSGame.so: a stand-in lobby in the hand-off block leaves the
// start order, a stand-in game server on loopback takes the registration and
// plays the server's part. Every wait is bounded.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "fake_game_server.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/testing/test_objects.h"
#include "poker/messages.h"
#include "protocol/handoff.h"

namespace tessary::poker {
namespace {

namespace fs = std::filesystem;

using gamelib::testing::FakeGameServer;
using protocol::Bytes;
using protocol::RawMessage;

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

void endProgram(pid_t& pid, int signal = SIGTERM) {
    if (pid <= 0) return;
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = 0;
}

RawMessage fromServer(Bytes payload, uint8_t kind = protocol::SENDTOOTHERPLAYERS, uint16_t sender = 0) {
    RawMessage m;
    m.kind = kind;
    m.sender = sender;
    m.payload = std::move(payload);
    return m;
}

class PokerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/poker-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        setenv("TESSARY_REGISTRY", (scratch_ / "registry.ini").c_str(), 1);
        setenv("TESSARY_SHM_PREFIX", prefix().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", scratch_.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The lobby's directory, where the game finds libTSGame.so: a folder
        // of our own that holds the library but no lobby program to start.
        const fs::path lobbyDirectory = scratch_ / "lobby";
        fs::create_directories(lobbyDirectory);
        fs::create_symlink(fs::path(TESSARY_DIST_DIR) / "libTSGame.so", lobbyDirectory / "libTSGame.so");
        ASSERT_TRUE(platform::Registry::shared().set("SOFTWARE\\Quillon\\Tessary Client", "Directory",
                                                     lobbyDirectory.string() + "/"));
    }

    void TearDown() override {
        endProgram(poker_, SIGKILL);
        endProgram(lobby_);
        platform::testing::removeShmObjects(prefix());
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    void startLobby(const std::string& order) {
        setenv("FAKE_LOBBY_GAME", "POKER", 1);
        setenv("FAKE_LOBBY_ORDER", order.c_str(), 1);
        setenv("FAKE_LOBBY_OUT", lobbyLog().c_str(), 1);
        setenv("FAKE_LOBBY_LINGER_MS", "30000", 1);
        auto pid = platform::spawnProgram(FAKE_LOBBY_PATH, {"fake_lobby"});
        ASSERT_TRUE(pid);
        lobby_ = *pid;
        ASSERT_TRUE(waitUntil(
            [] {
                protocol::HandoffView onlooker;
                if (!protocol::OpenHandoff(onlooker, "onlooker", uint32_t(getpid()))) return false;
                return protocol::WindowOf(onlooker, "TSClient") != 0;
            },
            5000));
    }

    void startPoker() {
        auto pid = platform::spawnProgram(POKER_PROGRAM_PATH, {"child"});
        ASSERT_TRUE(pid);
        poker_ = *pid;
    }

    std::string lobbyLogText() const {
        std::ifstream in(lobbyLog());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path lobbyLog() const { return scratch_ / "lobby.log"; }

    // Raw frames from the program until `wanted` has been seen or time is up.
    std::vector<RawMessage> receiveUntil(FakeGameServer& server, const std::function<bool(const RawMessage&)>& wanted,
                                         int timeoutMs) {
        std::vector<RawMessage> all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            for (RawMessage& m : server.receiveRawUntilQuiet(100)) {
                all.push_back(std::move(m));
                if (wanted(all.back())) return all;
            }
        }
        return all;
    }

    static std::string prefix() { return platform::testing::shmPrefix("poker-e2e-"); }

    fs::path scratch_;
    pid_t lobby_ = 0;
    pid_t poker_ = 0;
};

TEST_F(PokerProgram, JoinsAnnouncesItsBankrollTakesTheFirstTurnAndReportsTheEnd) {
    FakeGameServer server;
    ASSERT_TRUE(server.ready());
    startLobby("alice@report@77@127.0.0.1@" + std::to_string(server.port()) + "@");
    startPoker();
    ASSERT_TRUE(server.accept(15000)) << "poker did not connect";

    // Registration: type 250 with the name from the start order.
    const auto registration = receiveUntil(
        server, [](const RawMessage& m) { return !m.payload.empty() && m.payload[0] == 250; }, 5000);
    ASSERT_FALSE(registration.empty());
    const Bytes& reg = registration.back().payload;
    ASSERT_EQ(reg.size(), 17u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&reg[1]), 5), "alice");

    // The server: own id 7 (first in the session), the player list, and a
    // stored bankroll of 100, which the table raises to 250.
    Bytes newPlayer{243, 7, 0};
    newPlayer.resize(3 + 16, 0);
    std::memcpy(&newPlayer[3], "alice", 5);
    ASSERT_TRUE(server.send(fromServer({249, 7, 0, 1, 0, 1, 0})));
    ASSERT_TRUE(server.send(fromServer(newPlayer)));
    ASSERT_TRUE(server.send(fromServer({239, 7, 0, 100, 0, 0, 0})));

    bool announced = false;
    bool turn = false;
    receiveUntil(
        server,
        [&](const RawMessage& m) {
            if (m.kind == protocol::SENDTOOTHERPLAYERS && m.payload.size() == 9 && m.payload[0] == kActionMessage) {
                const auto action = decodeAction(std::span(m.payload).subspan(1));
                announced = announced || (action && action->code == ActionCode::Money && action->value == 250);
            }
            if (m.kind == protocol::SENDTOALLPLAYERS && m.payload.size() == 5 && m.payload[0] == kTurnMessage) {
                turn = decodeTurn(std::span(m.payload).subspan(1)) == uint16_t{7};
            }
            return announced && turn;
        },
        8000);
    EXPECT_TRUE(announced) << "no bankroll announcement of 250";
    EXPECT_TRUE(turn) << "the first player did not take the first turn";

    // The lobby asks the game to close (SIGTERM): the window closes and the
    // finish report reaches the lobby.
    ASSERT_TRUE(platform::signalProgram(poker_, SIGTERM));
    int status = -1;
    ASSERT_TRUE(waitUntil([&] { return waitpid(poker_, &status, WNOHANG) == poker_; }, 10000));
    poker_ = 0;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(waitUntil([&] { return lobbyLogText().find("report:report@77") != std::string::npos; }, 5000))
        << lobbyLogText();
}

TEST_F(PokerProgram, EndsAtOnceWithoutALobby) {
    // No lobby present, and none in the lobby's directory to start.
    startPoker();
    int status = -1;
    ASSERT_TRUE(waitUntil([&] { return waitpid(poker_, &status, WNOHANG) == poker_; }, 15000));
    poker_ = 0;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace tessary::poker
