// The real poker program, started as the lobby's library starts it, through
// the real libTSGame.so: a stand-in lobby in the hand-off block leaves the
// start order, a stand-in game server on loopback takes the registration and
// plays the server's part. Every wait is bounded.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "poker/messages.h"
#include "program_harness.h"

namespace tessary::poker {
namespace {

using gamelib::testing::FakeGameServer;
using gamelib::testing::fromServer;
using gamelib::testing::newPlayerEvent;
using gamelib::testing::ProgramHarness;
using protocol::Bytes;
using protocol::RawMessage;

class PokerProgram : public ::testing::Test {
protected:
    void startLobbyAndPoker(const FakeGameServer& server) {
        ASSERT_TRUE(harness.startLobby("POKER", "alice@report@77@127.0.0.1@" + std::to_string(server.port()) + "@"));
        ASSERT_TRUE(harness.startProgram(POKER_PROGRAM_PATH));
    }

    ProgramHarness harness{"poker-e2e", TESSARY_DIST_DIR, FAKE_LOBBY_PATH};
};

TEST_F(PokerProgram, JoinsAnnouncesItsBankrollTakesTheFirstTurnAndReportsTheEnd) {
    FakeGameServer server;
    ASSERT_TRUE(server.ready());
    startLobbyAndPoker(server);
    ASSERT_TRUE(server.accept(15000)) << "poker did not connect";

    // Registration: type 250 with the name from the start order.
    const auto registration = harness.receiveUntil(
        server, [](const RawMessage& m) { return !m.payload.empty() && m.payload[0] == 250; }, 5000);
    ASSERT_FALSE(registration.empty());
    const Bytes& reg = registration.back().payload;
    ASSERT_EQ(reg.size(), 17u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&reg[1]), 5), "alice");

    // The server: own id 7 (first in the session), the player list, and a
    // stored bankroll of 100, which the table raises to 250.
    ASSERT_TRUE(server.send(fromServer({249, 7, 0, 1, 0, 1, 0})));
    ASSERT_TRUE(server.send(fromServer(newPlayerEvent(7, "alice"))));
    ASSERT_TRUE(server.send(fromServer({239, 7, 0, 100, 0, 0, 0})));

    bool announced = false;
    bool turn = false;
    harness.receiveUntil(
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
    const int status = harness.closeProgram(10000);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(gamelib::testing::waitUntil(
        [&] { return harness.lobbyLogText().find("report:report@77") != std::string::npos; }, 5000))
        << harness.lobbyLogText();
}

// A hostile game server: well-framed messages of every kind the table reads,
// with wrong sizes and values, names with control characters and path
// separators, 2 MB payloads and a stream of chat at full speed. The program
// stays alive, still answers a newcomer with its bankroll, and still ends
// normally when asked.
TEST_F(PokerProgram, SurvivesAHostileServerAndStillAnswers) {
    FakeGameServer server;
    ASSERT_TRUE(server.ready());
    startLobbyAndPoker(server);
    ASSERT_TRUE(server.accept(15000)) << "poker did not connect";
    ASSERT_FALSE(harness.receiveUntil(server, [](const RawMessage& m) { return !m.payload.empty() && m.payload[0] == 250; },
                              5000)
                     .empty());

    const auto newPlayer = newPlayerEvent;
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
    ASSERT_TRUE(harness.running(status)) << "poker ended under the hostile stream: " << status;

    // Still listening: a newcomer is told our bankroll.
    ASSERT_TRUE(server.send(fromServer(newPlayer(20, "newcomer"))));
    const auto answer = harness.receiveUntil(
        server,
        [](const RawMessage& m) {
            if (m.payload.size() != 9 || m.payload[0] != kActionMessage) return false;
            const auto action = decodeAction(std::span(m.payload).subspan(1));
            return action && action->code == ActionCode::Money;
        },
        20000);
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer.back().payload[0], kActionMessage) << "no bankroll for the newcomer";

    status = harness.closeProgram(20000);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(PokerProgram, EndsAtOnceWithoutALobby) {
    // No lobby present, and none in the lobby's directory to start.
    ASSERT_TRUE(harness.startProgram(POKER_PROGRAM_PATH));
    int status = -1;
    ASSERT_TRUE(gamelib::testing::waitUntil([&] { return !harness.running(status); }, 15000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace tessary::poker
