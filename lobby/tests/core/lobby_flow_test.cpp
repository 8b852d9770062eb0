#include "lobby/lobby_flow.h"

#include <gtest/gtest.h>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;
using testing::answerTo;

using testing::fake;
using testing::RecordingView;

using LobbyFlowTest = testing::LobbyFixture;

// Each received message or command of the connection, and what the windows
// are asked to do.
TEST(LobbyFlowTable, MessagesAndCommands) {
    using testing::LobbyStage;
    const auto joining = [](LobbyStage& s) { s.loggedIn(), s.flow.joinArena("North"); };
    const auto deliver = [](int32_t type) { return [type](LobbyStage& s) { s.deliver(type); }; };
    const auto inArena = [](LobbyStage& s) { s.inArena(); };
    const testing::Row rows[] = {
        {"urgent message (61)", [](LobbyStage&) { fake().urgent = "adios"; }, deliver(URGENTMESSAGE),
         {"serverText adios"}},
        {"urgent goodbye (61)", [](LobbyStage&) { fake().urgent = "ADIOS"; }, deliver(URGENTMESSAGE),
         {"end"}},
        {"optional version declined (204)",
         [](LobbyStage& s) { s.view.answer = MessageResult::Cancel; }, deliver(CHANGEVERSION),
         {"message 49/48"}},
        {"mandatory version declined (204)",
         [](LobbyStage& s) {
             s.view.answer = MessageResult::Cancel, fake().versionMandatory = 1;
         },
         deliver(CHANGEVERSION), {"message 47/48", "end"}},
        {"join an arena", [](LobbyStage& s) { s.loggedIn(); },
         [](LobbyStage& s) { s.flow.joinArena("North"); }, {"busy"}},
        {"join refused (4)",
         [&](LobbyStage& s) { fake().join = {kAnswerFailure, "Closed"}, joining(s); }, deliver(answerTo(CONNECTIONREQUEST)),
         {"notBusy", "serverText Closed"}},
        {"join accepted (4)", joining, deliver(answerTo(CONNECTIONREQUEST)), {"notBusy", "busy", "notBusy", "busy"}},
        {"join accepted, arena unreachable (4)",
         [&](LobbyStage& s) { joining(s), fake().connectResult = 0; }, deliver(answerTo(CONNECTIONREQUEST)),
         {"notBusy", "busy", "notBusy", "message 17/15", "busy", "notBusy", "message 44/45"}},
        {"arena login accepted (208)", [&](LobbyStage& s) { joining(s), s.deliver(answerTo(CONNECTIONREQUEST)); },
         deliver(answerTo(LOGINARENA)), {"notBusy", "chat 53 North", "prepareArena", "arenaView"}},
        {"arena login refused (208)",
         [&](LobbyStage& s) {
             joining(s), s.deliver(answerTo(CONNECTIONREQUEST)), fake().arenaLogin = {kAnswerFailure, "Arena full"};
         },
         deliver(answerTo(LOGINARENA)),
         {"notBusy", "serverText Arena full", "routerView", "busy", "notBusy", "busy"}},
        {"back to the Router (1022)", inArena, [](LobbyStage& s) { s.flow.backToRouter(); },
         {"chat 54 ", "routerView", "busy", "notBusy", "busy"}},
        {"connection lost in an arena (-1)", inArena, deliver(-1),
         {"message 52/1", "chat 54 ", "routerView", "busy", "notBusy", "busy"}},
        {"connection lost on the Router (-1)", [](LobbyStage& s) { s.loggedIn(); }, deliver(-1),
         {}},
        {"a game starts", inArena, [](LobbyStage& s) { s.flow.enterGame(); }, {"minimiseMain"}},
        {"the game finished",
         [](LobbyStage& s) { s.inArena(), s.flow.enterGame(), fake().gameFinished = 1; },
         [](LobbyStage& s) { s.flow.poll(); }, {"restoreMain", "busy", "notBusy", "busy"}},
        {"the game asks the lobby to close",
         [](LobbyStage& s) { s.inArena(), s.flow.enterGame(), fake().closeAsked = 1; },
         [](LobbyStage& s) { s.flow.poll(); }, {"end"}},
    };
    testing::runRows(rows);
}

TEST_F(LobbyFlowTest, ConnectionLossOnTheRouterIsSilent) {
    loggedIn();
    flow.busy().awaitAnswer(4);
    deliver(-1);
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_EQ(flow.busy().value(), 0);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(LobbyFlowTest, ConnectionLossInAnArenaReturnsToTheRouterOnce) {
    inArena();
    ASSERT_EQ(flow.state(), LobbyState::InArena);
    fake().pollWhenEmpty = -1;  // still no connection while the message is open
    view.whileMessageOpen = [&] { flow.poll(); };
    flow.poll();
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{52, 1}}));
    EXPECT_EQ(view.view, View::Router);
    EXPECT_EQ(view.chatLines.back().first, 54);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 2);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
}

TEST_F(LobbyFlowTest, NoConnectionIsHandledOncePerTick) {
    fake().pollWhenEmpty = -1;
    flow.poll();
    EXPECT_EQ(fake().polls, 1);
}

TEST_F(LobbyFlowTest, AFloodOfMessagesIsSpreadOverTicks) {
    fake().pollWhenEmpty = 18;
    flow.poll();
    EXPECT_EQ(fake().polls, kMaxMessagesPerTick);
}

TEST_F(LobbyFlowTest, UrgentMessageAdiosEndsTheProgram) {
    fake().urgent = "adios";
    deliver(URGENTMESSAGE);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"adios"}));
    EXPECT_EQ(view.ended, 0);
    fake().urgent = "ADIOS";
    deliver(URGENTMESSAGE);
    EXPECT_EQ(view.ended, 1);
    EXPECT_EQ(view.serverTexts.size(), 1u);
}

TEST_F(LobbyFlowTest, VersionCheck) {
    struct Row {
        const char* name;
        int32_t mandatory;
        MessageResult answer;
        bool updateRuns;
        std::vector<std::pair<int, int>> messages;
        int updates, ended;
        bool quiet;
    };
    const Row rows[] = {
        {"optional declined", 0, MessageResult::Cancel, false, {{49, 48}}, 0, 0, false},
        {"optional, download cannot run",
         0,
         MessageResult::Ok,
         false,
         {{49, 48}, {38, 1}},
         1,
         0,
         false},
        {"optional, update started", 0, MessageResult::Ok, true, {{49, 48}}, 1, 1, true},
        {"mandatory declined", 1, MessageResult::Cancel, false, {{47, 48}}, 0, 1, false},
        {"mandatory, download cannot run",
         1,
         MessageResult::Ok,
         false,
         {{47, 48}, {38, 1}},
         1,
         1,
         false},
    };
    for (const auto& row : rows) {
        RecordingView rowView;
        Lobby rowLobby(api, rowView.views());
        LobbyFlow& rowFlow = rowLobby.flow();
        rowView.answer = row.answer;
        rowView.updateRuns = row.updateRuns;
        rowView.mainVisible = true;
        fake().versionMandatory = row.mandatory;
        fake().messages = {204};
        rowFlow.poll();
        EXPECT_EQ(rowView.messages, row.messages) << row.name;
        EXPECT_EQ(rowView.updates, row.updates) << row.name;
        EXPECT_EQ(rowView.ended, row.ended) << row.name;
        EXPECT_EQ(rowFlow.quietExit(), row.quiet) << row.name;
        if (!row.updateRuns) {
            EXPECT_TRUE(rowView.mainVisible) << row.name;
        }
    }
}

TEST_F(LobbyFlowTest, JoiningAnArenaMovesTheConnectionAndLogsIn) {
    loggedIn();
    flow.joinArena("North");
    EXPECT_EQ(fake().joins, (std::vector<std::string>{"North"}));
    deliver(answerTo(CONNECTIONREQUEST));
    EXPECT_EQ(fake().disconnects, 1);
    ASSERT_EQ(fake().connects.size(), 1u);
    EXPECT_EQ(fake().connects[0].port, 7001);
    EXPECT_EQ(fake().connects[0].kind, protocol::kModuleArenaW);
    EXPECT_EQ(fake().arenaLogins, (std::vector<std::string>{"Ann"}));
    EXPECT_TRUE(view.busyCursor);

    deliver(answerTo(LOGINARENA));
    EXPECT_FALSE(view.busyCursor);
    EXPECT_EQ(flow.state(), LobbyState::InArena);
    EXPECT_EQ(view.view, View::Arena);
    EXPECT_EQ(view.chatLines, (std::vector<std::pair<int, std::string>>{{53, "North"}}));
    EXPECT_EQ(view.arenasPrepared, 1);
}

TEST_F(LobbyFlowTest, FailedArenaConnectionReturnsToTheRouter) {
    loggedIn();
    fake().connectResult = 0;
    deliver(answerTo(CONNECTIONREQUEST));
    EXPECT_EQ(view.messages.front(), std::make_pair(17, 15));
    fake().connectResult = 1;
}

TEST_F(LobbyFlowTest, RefusedArenaLoginReturnsToTheRouterWithReason2) {
    loggedIn();
    deliver(answerTo(CONNECTIONREQUEST));
    fake().arenaLogin = {kAnswerFailure, "Arena full"};
    deliver(answerTo(LOGINARENA));
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Arena full"}));
    EXPECT_EQ(view.view, View::Router);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 2);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
}

TEST_F(LobbyFlowTest, RefusedJoinShowsTheText) {
    loggedIn();
    fake().join = {kAnswerFailure, "Closed"};
    deliver(answerTo(CONNECTIONREQUEST));
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Closed"}));
    EXPECT_TRUE(fake().connects.empty());
}

TEST_F(LobbyFlowTest, WhileAGameRunsOnlyTheHandOffIsWatched) {
    inArena();
    flow.enterGame();
    EXPECT_EQ(flow.state(), LobbyState::InGame);
    EXPECT_TRUE(view.minimised);
    EXPECT_EQ(fake().disconnects, 1);
    fake().messages = {61, 61};
    const int pollsBefore = fake().polls;
    flow.poll();
    EXPECT_EQ(fake().polls, pollsBefore);

    fake().gameFinished = 1;
    flow.poll();
    EXPECT_FALSE(flow.gameRunning());
    EXPECT_EQ(view.restored, 1);
    ASSERT_EQ(fake().connects.size(), 1u);
    EXPECT_EQ(fake().connects[0].port, 7002);
    EXPECT_EQ(fake().connects[0].kind, protocol::kModuleArenaW);
}

TEST_F(LobbyFlowTest, CloseRequestFromTheGameEndsQuietly) {
    flow.enterGame();
    fake().closeAsked = 1;
    flow.poll();
    EXPECT_EQ(view.ended, 1);
    EXPECT_TRUE(flow.quietExit());
}

TEST_F(LobbyFlowTest, StartingAfterAFinishedGameGoesStraightToItsArena) {
    const LobbyFlow::WallClock clock{[] { return int64_t{0}; }, [] {}};
    ASSERT_TRUE(flow.initialiseSharedMemory(42, clock));
    EXPECT_FALSE(flow.resumeFinishedGame());
    fake().gameFinished = 1;
    EXPECT_TRUE(flow.resumeFinishedGame());
    EXPECT_EQ(fake().arenaLogins, (std::vector<std::string>{"Ann"}));
}

TEST_F(LobbyFlowTest, SharedMemoryThatNeverComesEndsQuietlyAfterTenSeconds) {
    fake().initialiseResult = 0;
    int64_t now = 100;
    int pauses = 0;
    const LobbyFlow::WallClock clock{[&] { return now; }, [&] { ++pauses, ++now; }};
    EXPECT_FALSE(flow.initialiseSharedMemory(42, clock));
    EXPECT_EQ(pauses, 10);
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{46, 1}}));
    EXPECT_TRUE(flow.quietExit());
    EXPECT_EQ(view.ended, 1);
    EXPECT_FALSE(flow.sharedMemoryReady());
}

}  // namespace
}  // namespace tessary::lobby
