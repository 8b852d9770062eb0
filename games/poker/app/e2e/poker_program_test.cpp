// The real poker program, started as the lobby's library starts it, through
// the real libTSGame.so: a stand-in lobby in the hand-off block leaves the
// start order, a stand-in game server on loopback takes the registration and
// plays the server's part. Every wait is bounded.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "fake_game_server.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "poker/messages.h"
#include "protocol/handoff.h"

namespace tessary::poker {
namespace {

namespace fs = std::filesystem;

// The mailbox's shared-memory objects outlive the programs by design; a test
// removes the ones of its own prefix.
void removeMailbox(const std::string& prefix) {
    for (const char* name : {"Tessary ShareMem Block", "Tessary ShareMem Mutex"}) {
        shm_unlink(("/" + prefix + name).c_str());
    }
}
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
        removeMailbox(prefix());
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

    static std::string prefix() { return "poker-e2e-" + std::to_string(getpid()); }

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

// A hostile game server: well-framed messages of every kind the table reads,
// with wrong sizes and values, names with control characters and path
// separators, 2 MB payloads and a stream of chat at full speed. The program
// stays alive, still answers a newcomer with its bankroll, and still ends
// normally when asked.
TEST_F(PokerProgram, SurvivesAHostileServerAndStillAnswers) {
    FakeGameServer server;
    ASSERT_TRUE(server.ready());
    startLobby("alice@report@77@127.0.0.1@" + std::to_string(server.port()) + "@");
    startPoker();
    ASSERT_TRUE(server.accept(15000)) << "poker did not connect";
    ASSERT_FALSE(receiveUntil(server, [](const RawMessage& m) { return !m.payload.empty() && m.payload[0] == 250; },
                              5000)
                     .empty());

    auto newPlayer = [](uint16_t id, std::string_view name) {
        Bytes payload{243, uint8_t(id), uint8_t(id >> 8)};
        payload.resize(3 + 16, 0);
        std::memcpy(&payload[3], name.data(), std::min<size_t>(name.size(), 16));
        return payload;
    };
    auto game = [](uint8_t type, Bytes body, uint16_t sender = 8) {
        body.insert(body.begin(), type);
        return fromServer(std::move(body), protocol::SENDTOOTHERPLAYERS, sender);
    };
    std::vector<RawMessage> hostile = {
        fromServer({249, 0, 0, 1, 0, 1, 0}),  // own id 0
        fromServer(newPlayer(7, "alice")),    // our id, announced before the own id
        fromServer({249, 7, 0, 1, 0, 1, 0}),
        fromServer({249, 9, 0, 2, 0, 2, 0}),  // a second own id
        fromServer(newPlayer(8, "\x01\x1b[31m\r\n\t\x7f")),
        fromServer(newPlayer(10, "../../etc/passwd")),
        fromServer(newPlayer(11, "a\\b/c:d*e?f")),
        fromServer(newPlayer(12, "sixteen-bytes-no-nul")),
        fromServer(newPlayer(13, "e")),
        fromServer(newPlayer(0, "zero")),
        fromServer({243, 14, 0}),  // a name field that is missing
        fromServer({239, 7, 0, 100, 0, 0, 0}),
        fromServer({239, 8, 0}),
        fromServer({242, 7, 0}),  // "we" left
        fromServer({241, 99, 0}),  // an unknown master
        fromServer({240, 1, 2, 3}),
    };
    Bytes huge(2'000'000, 'x');
    hostile.push_back(fromServer([&] {
        Bytes infos{239, 8, 0};
        infos.insert(infos.end(), huge.begin(), huge.end());
        return infos;
    }()));
    hostile.push_back(game(kChatMessage, huge));
    for (uint8_t type = 0; type <= 8; ++type) {
        for (size_t size : {size_t{0}, size_t{1}, size_t{4}, size_t{8}, size_t{20}, size_t{1000}}) {
            hostile.push_back(game(type, Bytes(size, 0xFF)));
            hostile.push_back(game(type, Bytes(size, 0x00), 7));
        }
    }
    for (const RawMessage& m : hostile) ASSERT_TRUE(server.send(m));
    // Chat at full speed, read back while it goes so that neither side stalls.
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(server.send(game(kChatMessage, Bytes(200, uint8_t('a' + i % 26)))));
        if (i % 500 == 0) (void)server.receiveRawUntilQuiet(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(poker_, &status, WNOHANG), 0) << "poker ended under the hostile stream: " << status;

    // Still listening: a newcomer is told our bankroll.
    ASSERT_TRUE(server.send(fromServer(newPlayer(20, "newcomer"))));
    const auto answer = receiveUntil(
        server,
        [](const RawMessage& m) {
            if (m.payload.size() != 9 || m.payload[0] != kActionMessage) return false;
            const auto action = decodeAction(std::span(m.payload).subspan(1));
            return action && action->code == ActionCode::Money;
        },
        20000);
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer.back().payload[0], kActionMessage) << "no bankroll for the newcomer";

    ASSERT_TRUE(platform::signalProgram(poker_, SIGTERM));
    ASSERT_TRUE(waitUntil([&] { return waitpid(poker_, &status, WNOHANG) == poker_; }, 20000));
    poker_ = 0;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
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
