#include "lobby/account_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;
using testing::answerTo;

using testing::fake;
using testing::RecordingView;

// Each received message or command of the account, and what the windows are
// asked to do.
TEST(AccountControllerTable, MessagesAndCommands) {
    using testing::LobbyStage;
    const auto complete = [](LobbyStage& s, const char* name) {
        s.view.form = {name, "secret", "secret", "a", "b", "c", "France", "me", 1, 4, {}};
    };
    const auto creating = [](LobbyStage& s) { s.account.newUser(), s.deliver(answerTo(LOGIN)); };
    const auto modifying = [](LobbyStage& s) { s.loggedIn(), s.account.modifyAccount(); };
    const auto logIn = [](LobbyStage& s) { s.account.logIn(); };
    const auto login206 = [](LobbyStage& s) { s.deliver(answerTo(LOGIN)); };
    const testing::Row rows[] = {
        {"login without a name", [](LobbyStage& s) { s.view.login = {"", "pw"}; }, logIn,
         {"focusName"}},
        {"login without a password", [](LobbyStage& s) { s.view.login = {"Ann", ""}; }, logIn,
         {"focusPassword"}},
        {"login, Router unreachable", [](LobbyStage&) { fake().connectResult = 0; }, logIn,
         {"busy", "notBusy", "message 44/45"}},
        {"login sent", {}, logIn, {"busy", "notBusy", "busy"}},
        {"login accepted (206)", logIn, login206,
         {"notBusy", "title TSClient - Ann", "store Ann/pw", "hideLogin", "showMain"}},
        {"login refused (206)",
         [](LobbyStage& s) { fake().login = {kAnswerFailure, "Wrong"}, s.account.logIn(); },
         login206, {"notBusy", "title TSClient", "serverText Wrong"}},
        {"login under a name the settings file cannot hold (206)",
         [](LobbyStage& s) { s.view.login = {"a[SOUND]", "pw"}, s.account.logIn(); }, login206,
         {"notBusy", "title TSClient - a[SOUND]", "store DUMMY/DUMMY", "hideLogin", "showMain"}},
        {"login before a creation (206)", [](LobbyStage& s) { s.account.newUser(); }, login206,
         {"notBusy", "title TSClient - Ann", "hideLogin", "showAccountCreate", "setForm"}},
        {"save with a field missing", creating, [](LobbyStage& s) { s.account.saveAccount(); },
         {"message 2/3"}},
        {"save with differing passwords",
         [&](LobbyStage& s) { creating(s), complete(s, "Bob"), s.view.form.confirmation = "x"; },
         [](LobbyStage& s) { s.account.saveAccount(); }, {"message 4/3", "setForm"}},
        {"creation accepted (1)",
         [&](LobbyStage& s) { creating(s), complete(s, "Bob"), s.account.saveAccount(); },
         [](LobbyStage& s) { s.deliver(answerTo(NEWUSERREQUEST)); },
         {"notBusy", "title TSClient - Bob", "store Bob/secret", "setLogin Bob", "hideAccount",
          "showMain"}},
        {"creation refused (1)",
         [&](LobbyStage& s) {
             creating(s), complete(s, "Bob"), s.account.saveAccount();
             fake().creation = {kAnswerFailure, "Name taken"};
         },
         [](LobbyStage& s) { s.deliver(answerTo(NEWUSERREQUEST)); }, {"notBusy", "serverText Name taken"}},
        {"modify (1027)", [](LobbyStage& s) { s.loggedIn(); },
         [](LobbyStage& s) { s.account.modifyAccount(); },
         {"hideMain", "setForm", "showAccountModify"}},
        {"account card while modifying (26)", modifying, [](LobbyStage& s) { s.deliver(PLAYERINFO); },
         {"setForm"}},
        {"account card while logged in (26)", [](LobbyStage& s) { s.loggedIn(); },
         [](LobbyStage& s) { s.deliver(PLAYERINFO); }, {"ownPhoto default", "ownInfo Ann"}},
        {"modification accepted (201)",
         [&](LobbyStage& s) {
             modifying(s), complete(s, "Ann"), s.account.saveAccount(), s.deliver(answerTo(LOGIN));
         },
         [](LobbyStage& s) { s.deliver(answerTo(MODIFYUSER)); },
         {"notBusy", "store Ann/secret", "setLogin Ann", "hideAccount", "showMain"}},
        {"card after an accepted modification refills the panel (201, 26)",
         [&](LobbyStage& s) {
             modifying(s), complete(s, "Ann"), s.account.saveAccount(), s.deliver(answerTo(LOGIN));
         },
         [](LobbyStage& s) { s.deliver(answerTo(MODIFYUSER)), s.deliver(PLAYERINFO); },
         {"notBusy", "store Ann/secret", "setLogin Ann", "hideAccount", "showMain",
          "ownPhoto default", "ownInfo Ann"}},
        {"cancel while modifying", modifying, [](LobbyStage& s) { s.account.cancelAccount(); },
         {"hideAccount", "busy", "notBusy", "busy", "showMain"}},
        {"cancel while creating", creating, [](LobbyStage& s) { s.account.cancelAccount(); },
         {"hideAccount", "showLogin"}},
        {"log out (112)", [](LobbyStage& s) { s.loggedIn(); },
         [](LobbyStage& s) { s.account.logOut(); }, {"stopPings", "hideMain", "showLogin"}},
    };
    testing::runRows(rows);
}

class AccountControllerTest : public testing::LobbyFixture {
protected:
    AccountForm completeForm(std::string name) {
        AccountForm form;
        form.name = std::move(name);
        form.password = form.confirmation = "secret";
        form.field1003 = "a", form.field1004 = "b", form.field1005 = "c";
        form.country = "France", form.description = "me";
        form.gender = 1, form.photoNumber = 4;
        return form;
    }
};

TEST_F(AccountControllerTest, LoginNeedsBothFields) {
    view.login = {"", "pw"};
    account.logIn();
    EXPECT_EQ(view.focused, LoginField::Name);
    view.login = {"Ann", ""};
    account.logIn();
    EXPECT_EQ(view.focused, LoginField::Password);
    EXPECT_TRUE(fake().connects.empty());
}

TEST_F(AccountControllerTest, SuccessfulLoginShowsTheRouterView) {
    account.logIn();
    ASSERT_EQ(fake().connects.size(), 1u);
    EXPECT_EQ(fake().connects[0].host, "127.0.0.1");
    EXPECT_EQ(fake().connects[0].port, 7000);
    EXPECT_EQ(fake().connects[0].kind, protocol::kModuleRouter);
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].name, "Ann");
    EXPECT_EQ(fake().logins[0].client, "text 88");
    EXPECT_EQ(fake().logins[0].reason, 1);
    EXPECT_TRUE(view.busyCursor);

    deliver(answerTo(LOGIN));
    EXPECT_FALSE(view.busyCursor);
    EXPECT_EQ(view.title, "TSClient - Ann");
    EXPECT_EQ(view.storedUserInfo, (std::vector<LoginPair>{{"Ann", "pw"}}));
    EXPECT_FALSE(view.loginVisible);
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(AccountControllerTest, RefusedLoginShowsTheServerTextAndGoesOffline) {
    fake().login = {kAnswerFailure, "Wrong password\x01"};
    view.title = "TSClient - Ann";
    account.logIn();
    deliver(answerTo(LOGIN));
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Wrong password "}));
    EXPECT_EQ(view.title, "TSClient");
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_TRUE(view.storedUserInfo.empty());
}

TEST_F(AccountControllerTest, UnreachableRouterLeavesTheStateAlone) {
    fake().connectResult = 0;
    account.logIn();
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{44, 45}}));
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_TRUE(fake().logins.empty());
    EXPECT_FALSE(view.busyCursor);
}

TEST_F(AccountControllerTest, NewAccountIsCreatedOverASecondConnectionWithTheNameTrimmed) {
    view.login = {"", ""};
    account.newUser();
    EXPECT_EQ(flow.state(), LobbyState::CreatingAccount);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 5);

    view.form.name = "stale";
    deliver(answerTo(LOGIN));
    EXPECT_EQ(view.accountShown, AccountMode::Create);
    EXPECT_EQ(view.form, AccountForm{});  // photo 1, gender 0
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_FALSE(view.loginVisible);

    view.form = completeForm("  Bob Lee ");
    account.saveAccount();
    EXPECT_EQ(fake().connects.size(), 2u);
    EXPECT_EQ(fake().logins.size(), 1u);  // this connection only creates
    ASSERT_EQ(fake().creations.size(), 1u);
    const auto& sent = fake().creations[0];
    EXPECT_EQ(sent.texts,
              (std::vector<std::string>{"Bob Lee", "secret", "b", "a", "France", "c", "me"}));
    EXPECT_EQ(sent.gender, 1);
    EXPECT_EQ(sent.one, 1);
    EXPECT_EQ(sent.photo, 4);

    deliver(answerTo(NEWUSERREQUEST));
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    EXPECT_EQ(view.title, "TSClient - Bob Lee");
    EXPECT_EQ(view.storedUserInfo, (std::vector<LoginPair>{{"Bob Lee", "secret"}}));
    EXPECT_EQ(view.login, (LoginPair{"Bob Lee", "secret"}));
    EXPECT_FALSE(view.accountShown.has_value());
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(AccountControllerTest, RefusedCreationDisconnectsAndKeepsTheForm) {
    account.newUser();
    deliver(answerTo(LOGIN));
    view.form = completeForm("Bob");
    account.saveAccount();
    fake().creation = {kAnswerFailure, "Name taken"};
    deliver(answerTo(NEWUSERREQUEST));
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Name taken"}));
    EXPECT_EQ(fake().disconnects, 2);
    EXPECT_EQ(view.accountShown, AccountMode::Create);
    EXPECT_EQ(flow.state(), LobbyState::CreatingAccount);
}

TEST_F(AccountControllerTest, SaveChecksRequiredFieldsAndThePasswordConfirmation) {
    account.newUser();
    deliver(answerTo(LOGIN));
    for (auto AccountForm::*field :
         {&AccountForm::name, &AccountForm::field1003, &AccountForm::field1004,
          &AccountForm::field1005, &AccountForm::country, &AccountForm::password,
          &AccountForm::description}) {
        view.form = completeForm("Bob");
        view.form.*field = "";
        view.messages.clear();
        account.saveAccount();
        EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{2, 3}}));
    }
    view.form = completeForm("Bob");
    view.form.confirmation = "other";
    view.messages.clear();
    account.saveAccount();
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{4, 3}}));
    EXPECT_TRUE(view.form.password.empty());
    EXPECT_TRUE(view.form.confirmation.empty());
    EXPECT_TRUE(fake().creations.empty());
}

TEST_F(AccountControllerTest, ModifyingSendsTheNameUntrimmedAfterAReason4Login) {
    loggedIn();
    fake().accountInfo = {" Ann ", "f4", "f3", "Chile", "f5", "desc"};
    deliver(PLAYERINFO);  // the information panel's data, used by the modification
    EXPECT_EQ(flow.userName(), " Ann ");

    account.modifyAccount();
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
    account.saveAccount();
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 4);
    EXPECT_TRUE(fake().modifications.empty());
    deliver(answerTo(LOGIN));
    ASSERT_EQ(fake().modifications.size(), 1u);
    EXPECT_EQ(fake().modifications[0].texts[0], " Ann ");
    EXPECT_EQ(fake().modifications[0].texts[6], "new");

    deliver(answerTo(MODIFYUSER));
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    EXPECT_TRUE(view.mainVisible);
    EXPECT_FALSE(view.accountShown.has_value());
}

TEST_F(AccountControllerTest, RefusedModificationKeepsTheWindowOpen) {
    loggedIn();
    account.modifyAccount();
    view.form = completeForm("Ann");
    account.saveAccount();
    deliver(answerTo(LOGIN));
    fake().modification = {kAnswerFailure, "Too long"};
    deliver(answerTo(MODIFYUSER));
    EXPECT_EQ(view.serverTexts, (std::vector<std::string>{"Too long"}));
    EXPECT_EQ(view.accountShown, AccountMode::Modify);
    EXPECT_EQ(flow.state(), LobbyState::ModifyingAccount);
}

TEST_F(AccountControllerTest, CancelWhileModifyingLogsBackInWithReason2) {
    loggedIn();
    account.modifyAccount();
    account.cancelAccount();
    EXPECT_FALSE(view.accountShown.has_value());
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].reason, 2);
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(AccountControllerTest, AccountDataWhileModifyingFillsTheFormAndDisconnects) {
    loggedIn();
    account.modifyAccount();
    fake().disconnects = 0;
    fake().accountInfo = {std::string(5000, 'n'), "f4", "f3", "Peru", "f5", std::string(3000, 'd')};
    fake().accountGender = 0;
    deliver(PLAYERINFO);
    EXPECT_EQ(view.form.name, std::string(15, 'n'));
    EXPECT_EQ(view.form.description.size(), 1024u);
    EXPECT_EQ(view.form.gender, 0);
    EXPECT_EQ(view.form.password, "pw");
    EXPECT_EQ(fake().disconnects, 1);
}

TEST_F(AccountControllerTest, AccountDataAfterTheSaveLeavesTheModificationAlone) {
    loggedIn();
    account.modifyAccount();
    view.form = completeForm("Ann");
    view.form.description = "typed by the player";
    account.saveAccount();
    fake().disconnects = 0;
    // A Router that sends the player's card right behind the login answer.
    fake().messages.push_back(answerTo(LOGIN));
    fake().messages.push_back(PLAYERINFO);
    flow.poll();
    ASSERT_EQ(fake().modifications.size(), 1u);
    EXPECT_EQ(fake().disconnects, 0);
    EXPECT_EQ(view.form.description, "typed by the player");
    EXPECT_EQ(account.record().description, "about me");

    deliver(answerTo(MODIFYUSER));
    EXPECT_EQ(flow.state(), LobbyState::RouterLoggedIn);
    EXPECT_FALSE(flow.busy().busy());
    EXPECT_TRUE(view.mainVisible);
}

TEST_F(AccountControllerTest, OwnPhotoChecksAndUpload) {
    const auto dir = std::filesystem::temp_directory_path() / "lobby_flow_photo";
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, std::size_t size) {
        std::ofstream(dir / name, std::ios::binary) << std::string(size, 'j');
        return (dir / name).string();
    };
    EXPECT_FALSE(account.chooseOwnPhoto(write("big.jpg", 20'481)));
    EXPECT_FALSE(account.chooseOwnPhoto(write("me.png", 10)));
    EXPECT_TRUE(view.form.ownPhotoPath.empty());
    const auto accepted = write("ME.JPG", 20'480);
    EXPECT_TRUE(account.chooseOwnPhoto(accepted));
    EXPECT_EQ(view.messages, (std::vector<std::pair<int, int>>{{12, 11}, {10, 11}, {13, 7}}));
    EXPECT_EQ(view.form.ownPhotoPath, accepted);

    account.newUser();
    deliver(answerTo(LOGIN));
    view.form = completeForm("Bob");
    view.form.ownPhotoPath = accepted;
    account.saveAccount();
    deliver(answerTo(NEWUSERREQUEST));
    ASSERT_EQ(fake().photos.size(), 1u);
    EXPECT_EQ(fake().photos[0].size, 20'480);
    EXPECT_EQ(fake().photos[0].type, ".JPG");
    EXPECT_TRUE(view.form.ownPhotoPath.empty());
    std::filesystem::remove_all(dir);
}

TEST_F(AccountControllerTest, StoredLoginThatWouldBreakTheSettingsFileIsForgotten) {
    view.login = {"a[SOUND]", "pw"};
    account.logIn();
    deliver(answerTo(LOGIN));
    EXPECT_EQ(view.storedUserInfo, (std::vector<LoginPair>{{"DUMMY", "DUMMY"}}));
}

TEST_F(AccountControllerTest, LogOutHidesTheMainWindowAndShowsTheLogin) {
    loggedIn();
    account.logOut();
    EXPECT_EQ(flow.state(), LobbyState::Offline);
    EXPECT_EQ(fake().disconnects, 1);
    EXPECT_FALSE(view.mainVisible);
    EXPECT_TRUE(view.loginVisible);
}

}  // namespace
}  // namespace tessary::lobby
