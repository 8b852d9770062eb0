#include "lobby/lobby_flow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../support/fake_client.h"
#include "../support/recording_view.h"

namespace tessary::lobby {
namespace {

using testing::fake;
using testing::RecordingView;

class LobbyFlowTest : public ::testing::Test {
protected:
    LobbyFlowTest() : api(prepared()), flow(api, view) { flow.setRouter("127.0.0.1", 7000); }

    static ClientApi prepared() {
        testing::resetFake();
        return testing::fakeApi();
    }

    // Delivers one poll result to the lobby.
    void deliver(int32_t type) {
        fake().messages.push_back(type);
        flow.poll();
    }

    void loggedIn() {
        flow.logIn();
        deliver(206);
        fake().logins.clear();
        fake().connects.clear();
        fake().disconnects = 0;
    }

    AccountForm completeForm(std::string name) {
        AccountForm form;
        form.name = std::move(name);
        form.password = form.confirmation = "secret";
        form.field1003 = "a", form.field1004 = "b", form.field1005 = "c";
        form.country = "France", form.description = "me";
        form.gender = 1, form.photoNumber = 4;
        return form;
    }

    ClientApi api;
    RecordingView view;
    LobbyFlow flow;
};

TEST_F(LobbyFlowTest, LoginNeedsBothFields) {
    view.login = {"", "pw"};
    flow.logIn();
    EXPECT_EQ(view.focused, LoginField::Name);
    view.login = {"Ann", ""};
    flow.logIn();
    EXPECT_EQ(view.focused, LoginField::Password);
    EXPECT_TRUE(fake().connects.empty());
}

TEST_F(LobbyFlowTest, SuccessfulLoginShowsTheRouterView) {
    flow.logIn();
    ASSERT_EQ(fake().connects.size(), 1u);
    EXPECT_EQ(fake().connects[0].host, "127.0.0.1");
    EXPECT_EQ(fake().connects[0].port, 7000);
    EXPECT_EQ(fake().connects[0].kind, kRouterKind);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].name, "Ann");
    EXPECT_EQ(fake().logins[0].client, "text 88");
    EXPECT_EQ(fake().logins[0].reason, 1);
    EXPECT_TRUE(view.busyCursor);

    deliver(206);
    EXPECT_FALSE(view.busyCursor);
    EXPECT_EQ(view.title, "TSClient - Ann");
    EXPECT_EQ(view.storedUserInfo, (std::vector<LoginPair>{{"Ann", "pw"}}));
    EXPECT_FALSE(view.loginVisible);
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(LobbyFlowTest, RefusedLoginShowsTheServerTextAndGoesOffline) {
    fake().login = {kAnswerFailure, "Wrong password\x01"};
    view.title = "TSClient - Ann";
    flow.logIn();
    deliver(206);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Wrong password "}));
    EXPECT_EQ(view.title, "TSClient");
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_TRUE(view.storedUserInfo.empty());
}

TEST_F(LobbyFlowTest, UnreachableRouterLeavesTheStateAlone) {
    fake().connectResult = 0;
    flow.logIn();
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{44, 45}}));
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_TRUE(fake().logins.empty());
    EXPECT_FALSE(view.busyCursor);
}

TEST_F(LobbyFlowTest, NewAccountIsCreatedOverASecondConnectionWithTheNameTrimmed) {
    view.login = {"", ""};
    flow.newUser();
    EXPECT_EQ(flow.state(), LobbyState::CreatingAccount);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 5);

    view.form.name = "stale";
    deliver(206);
    EXPECT_EQ(view.accountShown, AccountMode::Create);
    EXPECT_EQ(view.form, AccountForm{});  // photo 1, gender 0
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_FALSE(view.loginVisible);

    view.form = completeForm("  Bob Lee ");
    flow.saveAccount();
    EXPECT_EQ(fake().connects.size(), 2u);
    EXPECT_EQ(fake().logins.size(), 1u);  // this connection only creates
    ASSERT_EQ(fake().creations.size(), 1u);
    const auto& sent = fake().creations[0];
    EXPECT_EQ(sent.texts, (std::vector<std::string>{"Bob Lee", "secret", "b", "a", "France", "c", "me"}));
    EXPECT_EQ(sent.gender, 1);
    EXPECT_EQ(sent.one, 1);
    EXPECT_EQ(sent.photo, 4);

    deliver(1);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    EXPECT_EQ(view.title, "TSClient - Bob Lee");
    EXPECT_EQ(view.storedUserInfo, (std::vector<LoginPair>{{"Bob Lee", "secret"}}));
    EXPECT_EQ(view.login, (LoginPair{"Bob Lee", "secret"}));
    EXPECT_FALSE(view.accountShown.has_value());
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(LobbyFlowTest, RefusedCreationDisconnectsAndKeepsTheForm) {
    flow.newUser();
    deliver(206);
    view.form = completeForm("Bob");
    flow.saveAccount();
    fake().creation = {kAnswerFailure, "Name taken"};
    deliver(1);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Name taken"}));
    EXPECT_EQ(fake().disconnects, 2);
    EXPECT_EQ(view.accountShown, AccountMode::Create);
    EXPECT_EQ(flow.state(), LobbyState::CreatingAccount);
}

TEST_F(LobbyFlowTest, SaveChecksRequiredFieldsAndThePasswordConfirmation) {
    flow.newUser();
    deliver(206);
    for (auto AccountForm::*field : {&AccountForm::name, &AccountForm::field1003,
                                     &AccountForm::field1004, &AccountForm::field1005,
                                     &AccountForm::country, &AccountForm::password,
                                     &AccountForm::description}) {
        view.form = completeForm("Bob");
        view.form.*field = "";
        view.messages.clear();
        flow.saveAccount();
        EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{2, 3}}));
    }
    view.form = completeForm("Bob");
    view.form.confirmation = "other";
    view.messages.clear();
    flow.saveAccount();
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{4, 3}}));
    EXPECT_TRUE(view.form.password.empty());
    EXPECT_TRUE(view.form.confirmation.empty());
    EXPECT_TRUE(fake().creations.empty());
}

TEST_F(LobbyFlowTest, ModifyingSendsTheNameUntrimmedAfterAReason4Login) {
    loggedIn();
    fake().accountInfo = {" Ann ", "f4", "f3", "Chile", "f5", "desc"};
    deliver(26);  // the information panel's data, used by the modification
    EXPECT_EQ(flow.userName(), " Ann ");

    flow.modifyAccount();
    EXPECT_EQ(flow.state(), LobbyState::ModifyingAccount);
    EXPECT_FALSE(view.mainVisible);
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_EQ(view.accountShown, AccountMode::Modify);
    EXPECT_EQ(view.form.name, " Ann ");
    EXPECT_EQ(view.form.country, "Chile");
    EXPECT_EQ(view.form.gender, 1);
    EXPECT_EQ(view.form.photoNumber, 3);
    EXPECT_EQ(view.form.password, "pw");
    EXPECT_EQ(view.form.confirmation, "pw");

    view.form.description = "new";
    flow.saveAccount();
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 4);
    EXPECT_TRUE(fake().modifications.empty());
    deliver(206);
    ASSERT_EQ(fake().modifications.size(), 1u);
    EXPECT_EQ(fake().modifications[0].texts[0], " Ann ");
    EXPECT_EQ(fake().modifications[0].texts[6], "new");

    deliver(201);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    EXPECT_TRUE(view.mainVisible);
    EXPECT_FALSE(view.accountShown.has_value());
}

TEST_F(LobbyFlowTest, RefusedModificationKeepsTheWindowOpen) {
    loggedIn();
    flow.modifyAccount();
    view.form = completeForm("Ann");
    flow.saveAccount();
    deliver(206);
    fake().modification = {kAnswerFailure, "Too long"};
    deliver(201);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Too long"}));
    EXPECT_EQ(view.accountShown, AccountMode::Modify);
    EXPECT_EQ(flow.state(), LobbyState::ModifyingAccount);
}

TEST_F(LobbyFlowTest, CancelWhileModifyingLogsBackInWithReason2) {
    loggedIn();
    flow.modifyAccount();
    flow.cancelAccount();
    EXPECT_FALSE(view.accountShown.has_value());
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 2);
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(LobbyFlowTest, AccountDataWhileModifyingFillsTheFormAndDisconnects) {
    loggedIn();
    flow.modifyAccount();
    fake().disconnects = 0;
    fake().accountInfo = {std::string(5000, 'n'), "f4", "f3", "Peru", "f5", std::string(3000, 'd')};
    fake().accountGender = 0;
    deliver(26);
    EXPECT_EQ(view.form.name, std::string(15, 'n'));
    EXPECT_EQ(view.form.description.size(), 1024u);
    EXPECT_EQ(view.form.gender, 0);
    EXPECT_EQ(view.form.password, "pw");
    EXPECT_EQ(fake().disconnects, 1);
}

TEST_F(LobbyFlowTest, AccountDataAfterTheSaveLeavesTheModificationAlone) {
    loggedIn();
    flow.modifyAccount();
    view.form = completeForm("Ann");
    view.form.description = "typed by the player";
    flow.saveAccount();
    fake().disconnects = 0;
    // A Router that sends the player's card right behind the login answer.
    fake().messages.push_back(206);
    fake().messages.push_back(26);
    flow.poll();
    ASSERT_EQ(fake().modifications.size(), 1u);
    EXPECT_EQ(fake().disconnects, 0);
    EXPECT_EQ(view.form.description, "typed by the player");
    EXPECT_EQ(flow.accountRecord().description, "about me");

    deliver(201);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    EXPECT_FALSE(flow.busy().busy());
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(LobbyFlowTest, OwnPhotoChecksAndUpload) {
    const auto dir = std::filesystem::temp_directory_path() / "lobby_flow_photo";
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, std::size_t size) {
        std::ofstream(dir / name, std::ios::binary) << std::string(size, 'j');
        return (dir / name).string();
    };
    EXPECT_FALSE(flow.chooseOwnPhoto(write("big.jpg", 20'481)));
    EXPECT_FALSE(flow.chooseOwnPhoto(write("me.png", 10)));
    EXPECT_TRUE(view.form.ownPhotoPath.empty());
    const auto accepted = write("ME.JPG", 20'480);
    EXPECT_TRUE(flow.chooseOwnPhoto(accepted));
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{12, 11}, {10, 11}, {13, 7}}));
    EXPECT_EQ(view.form.ownPhotoPath, accepted);

    flow.newUser();
    deliver(206);
    view.form = completeForm("Bob");
    view.form.ownPhotoPath = accepted;
    flow.saveAccount();
    deliver(1);
    ASSERT_EQ(fake().photos.size(), 1u);
    EXPECT_EQ(fake().photos[0].size, 20'480);
    EXPECT_EQ(fake().photos[0].type, ".JPG");
    EXPECT_TRUE(view.form.ownPhotoPath.empty());
    std::filesystem::remove_all(dir);
}

TEST_F(LobbyFlowTest, StoredLoginThatWouldBreakTheSettingsFileIsForgotten) {
    view.login = {"a[SOUND]", "pw"};
    flow.logIn();
    deliver(206);
    EXPECT_EQ(view.storedUserInfo, (std::vector<LoginPair>{{"DUMMY", "DUMMY"}}));
}

TEST_F(LobbyFlowTest, ConnectionLossOnTheRouterIsSilent) {
    loggedIn();
    flow.busy().increment();
    deliver(-1);
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_EQ(flow.busy().value(), 0);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(LobbyFlowTest, ConnectionLossInAnArenaReturnsToTheRouterOnce) {
    loggedIn();
    flow.setState(LobbyState::InArena);
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
    deliver(61);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"adios"}));
    EXPECT_EQ(view.ended, 0);
    fake().urgent = "ADIOS";
    deliver(61);
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
        {"optional, download cannot run", 0, MessageResult::Ok, false, {{49, 48}, {38, 1}}, 1, 0, false},
        {"optional, update started", 0, MessageResult::Ok, true, {{49, 48}}, 1, 1, true},
        {"mandatory declined", 1, MessageResult::Cancel, false, {{47, 48}}, 0, 1, false},
        {"mandatory, download cannot run", 1, MessageResult::Ok, false, {{47, 48}, {38, 1}}, 1, 1, false},
    };
    for (const auto& row : rows) {
        RecordingView rowView;
        LobbyFlow rowFlow(api, rowView);
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
    flow.setArenaName("North");
    deliver(4);
    EXPECT_EQ(fake().disconnects, 1);
    ASSERT_EQ(fake().connects.size(), 1u);
    EXPECT_EQ(fake().connects[0].port, 7001);
    EXPECT_EQ(fake().connects[0].kind, kArenaKind);
    EXPECT_EQ(fake().arenaLogins, (std::vector<std::string>{"Ann"}));
    EXPECT_TRUE(view.busyCursor);

    deliver(208);
    EXPECT_FALSE(view.busyCursor);
    EXPECT_EQ(flow.state(), LobbyState::InArena);
    EXPECT_EQ(view.view, View::Arena);
    EXPECT_EQ(view.chatLines, (std::vector<std::pair<int, std::string>>{{53, "North"}}));
    EXPECT_EQ(view.arenasPrepared, 1);
}

TEST_F(LobbyFlowTest, FailedArenaConnectionReturnsToTheRouter) {
    loggedIn();
    fake().connectResult = 0;
    deliver(4);
    EXPECT_EQ(view.messages.front(), std::make_pair(17, 15));
    fake().connectResult = 1;
}

TEST_F(LobbyFlowTest, RefusedArenaLoginReturnsToTheRouterWithReason2) {
    loggedIn();
    deliver(4);
    fake().arenaLogin = {kAnswerFailure, "Arena full"};
    deliver(208);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Arena full"}));
    EXPECT_EQ(view.view, View::Router);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 2);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
}

TEST_F(LobbyFlowTest, RefusedJoinShowsTheText) {
    loggedIn();
    fake().join = {kAnswerFailure, "Closed"};
    deliver(4);
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Closed"}));
    EXPECT_TRUE(fake().connects.empty());
}

TEST_F(LobbyFlowTest, WhileAGameRunsOnlyTheHandOffIsWatched) {
    loggedIn();
    flow.setState(LobbyState::InGame);
    flow.setGameRunning(true);
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
    EXPECT_EQ(fake().connects[0].kind, kArenaKind);
}

TEST_F(LobbyFlowTest, CloseRequestFromTheGameEndsQuietly) {
    flow.setGameRunning(true);
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

TEST_F(LobbyFlowTest, LogOutHidesTheMainWindowAndShowsTheLogin) {
    loggedIn();
    flow.logOut();
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_FALSE(view.mainVisible);
    EXPECT_TRUE(view.loginVisible);
}

}  // namespace
}  // namespace tessary::lobby
