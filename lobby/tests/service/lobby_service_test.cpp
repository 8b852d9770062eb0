// The lobby against the reference service: tessaryd runs on free loopback
// ports with a fresh database, the lobby starts from a copy of the built
// application directory, exactly as TSClient's main starts it, and the tests
// click through its windows.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "../support/dist_app_directory.h"
#include "../support/gui_driving.h"
#include "../support/recording_view.h"
#include "../support/service_process.h"
#include "desktop/jpeg_writer.h"
#include "lobby/account_window.h"
#include "lobby/lobby_app.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "lobby/session_screens.h"
#include "lobby/session_windows.h"
#include "platform/registry.h"
#include "platform/testing/test_objects.h"

namespace tessary::lobby {
namespace {

namespace fs = std::filesystem;
using testing::click;
using testing::DistAppDirectory;
using testing::MessageAnswerer;
using testing::savePreview;
using testing::ServiceProcess;
using testing::typeText;

constexpr int kAnswerWaitMs = 10000;

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? fs::path(value) : fs::path();
}

struct NewAccount {
    QString name{"Newcomer"};
    QString password{"secret1"};
    QString field1003{"Ann Newcomer"};
    QString field1004{"ann@example.org"};
    QString field1005{"http://ann.example.org/"};
    QString description{"Plays in the evening."};
};

class LobbyServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The second lobby of the two-lobby tests is this program started again
        // for one test, against the first one's service.
        const char* secondRouter = std::getenv("TESSARY_SECOND_ROUTER");
        const bool second = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) ==
                            "SecondLobbyJoinsAndPlays";
        if (second && secondRouter == nullptr) GTEST_SKIP() << "started by the two-lobby tests";
        char pattern[] = "/tmp/lobby-service-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        ::setenv("TESSARY_REGISTRY", (folder_ / "registry.ini").c_str(), 1);
        shm_.emplace("lobbytest-");
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        ::setenv("HOME", folder_.c_str(), 1);
        int routerPort = second ? std::atoi(secondRouter) : 0;
        if (!second) {
            service_ = std::make_unique<ServiceProcess>(fromEnvironment("TESSARY_TEST_SERVICE"), folder_);
            ASSERT_TRUE(service_->start()) << service_->log();
            routerPort = service_->routerPort();
        }
        appDir_ = std::make_unique<DistAppDirectory>(fromEnvironment("TESSARY_DIST"), routerPort);
        app_ = std::make_unique<LobbyApp>(LobbyAppOptions{appDir_->path(), {}});
        ASSERT_TRUE(app_->start());
        ASSERT_NE(app_->mainWindow(), nullptr);
    }

    void TearDown() override {
        endGames();
        if (app_ && app_->mainWindow() != nullptr) app_->mainWindow()->requestClose();
        app_.reset();
        appDir_.reset();
        service_.reset();
        shm_.reset();
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }

    std::string serviceLog() const { return service_ ? service_->log() : std::string(); }

    LobbyWindow& window() { return *app_->mainWindow(); }
    LoginWindow& login() { return *window().loginWindow(); }
    AccountWindow& account() { return *window().accountWindow(); }
    LobbyState state() { return window().flow().state(); }

    template <class Condition>
    [[nodiscard]] static bool waitFor(Condition condition) {
        return QTest::qWaitFor(condition, kAnswerWaitMs);
    }

    bool inRouterView(const QString& name) {
        return waitFor([&] {
            return window().isVisible() && state() == LobbyState::RouterLoggedIn &&
                   window().windowTitle() == "TSClient - " + name && !login().isVisible() &&
                   !account().isVisible() && !window().flow().busy().busy();
        });
    }

    void fillAccount(const NewAccount& data) {
        typeText(account().nameField(), data.name);
        for (const auto& [id, text] : {std::pair{1001, data.password}, std::pair{1002, data.password},
                                       std::pair{1003, data.field1003}, std::pair{1004, data.field1004},
                                       std::pair{1005, data.field1005}}) {
            account().field(id)->setText(text);
        }
        account().countryField()->setCurrentIndex(account().countryField()->findText("Chile"));
        account().descriptionField()->setPlainText(data.description);
    }

    // From the login window to the router view with a new account.
    void createAccount(const NewAccount& data = {}) {
        click(login(), LoginWindow::kCommandNewUser);
        ASSERT_TRUE(waitFor([&] { return account().isVisible(); }));
        EXPECT_EQ(state(), LobbyState::CreatingAccount);
        EXPECT_EQ(account().mode(), AccountMode::Create);
        EXPECT_TRUE(account().nameField()->isEnabled());
        fillAccount(data);
        savePreview(account(), "account_create");
        click(account(), skin::SkinnedDialog::kCommandOk);
        ASSERT_TRUE(inRouterView(data.name)) << serviceLog();
    }

    void logInWith(const QString& name, const QString& password) {
        login().nameField()->setText(name);
        login().passwordField()->setText(password);
        click(login(), skin::SkinnedDialog::kCommandOk);
    }

    void clickMain(int command) {
        auto* button = window().button(command, View::Router);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void logOut() {
        clickMain(LobbyWindow::kCommandLogOut);
        ASSERT_TRUE(login().isVisible());
        EXPECT_FALSE(window().isVisible());
        EXPECT_EQ(state(), LobbyState::Offline);
    }

    void enterArena() {
        window().flow().joinArena("Arena 1");
        ASSERT_TRUE(waitFor([&] { return state() == LobbyState::InArena && !window().flow().busy().busy(); }))
            << serviceLog();
    }

    // The game programs this process's lobby started (children of the process).
    static std::vector<std::pair<pid_t, std::string>> games() {
        std::vector<std::pair<pid_t, std::string>> found;
        std::error_code error;
        for (const auto& task : fs::directory_iterator("/proc/self/task", error)) {
            std::ifstream children(task.path() / "children");
            for (pid_t pid = 0; children >> pid;) {
                const std::string program = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename();
                if (program == "Slimefray" || program == "poker") found.emplace_back(pid, program);
            }
        }
        return found;
    }
    static void endGames() {
        for (const auto& [pid, program] : games()) {
            ::kill(pid, SIGTERM);
            if (!QTest::qWaitFor([pid] { return ::waitpid(pid, nullptr, WNOHANG) == pid; }, 5000)) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }

    // One table's whole visit; `winner`: the result the service stores, if any.
    struct Visit {
        std::string game, program;
        bool spectator = false;
        std::string winner;
    };
    void playAndReturn(const Visit& visit);

    fs::path folder_;
    std::optional<platform::testing::ShmPrefixScope> shm_;
    std::unique_ptr<ServiceProcess> service_;
    std::unique_ptr<DistAppDirectory> appDir_;
    std::unique_ptr<LobbyApp> app_;
};

TEST_F(LobbyServiceTest, NewPlayerCreatesAnAccountLogsOutAndBackIn) {
    EXPECT_TRUE(login().isVisible());
    EXPECT_EQ(login().fields(), LoginPair{});
    EXPECT_EQ(platform::Registry::shared().get("SOFTWARE\\Quillon\\Tessary Client", "Directory"),
              appDir_->path());

    MessageAnswerer unexpected;
    createAccount();
    EXPECT_EQ(appDir_->storedUser(), (LoginPair{"Newcomer", "secret1"}));
    // The Router sends the player's card after the creation.
    ASSERT_TRUE(waitFor([&] { return window().lobby().account().record().name == "Newcomer"; }));
    EXPECT_EQ(window().lobby().account().record().country, "Chile");
    savePreview(window(), "router_view");

    logOut();
    EXPECT_EQ(login().fields(), (LoginPair{"Newcomer", "secret1"}));
    savePreview(login(), "login");
    click(login(), skin::SkinnedDialog::kCommandOk);
    EXPECT_TRUE(inRouterView("Newcomer"));
    EXPECT_TRUE(unexpected.texts().empty());
}

TEST_F(LobbyServiceTest, WrongPasswordShowsTheServerTextAndStaysOffline) {
    createAccount();
    logOut();
    MessageAnswerer answerer;
    logInWith("Newcomer", "wrong");
    ASSERT_TRUE(waitFor([&] { return !answerer.texts().empty(); }));
    EXPECT_EQ(answerer.texts(), (std::vector<QString>{"Wrong password, or no account of that name."}));
    EXPECT_TRUE(waitFor([&] { return state() == LobbyState::Offline; }));
    EXPECT_EQ(window().windowTitle(), "TSClient");
    EXPECT_TRUE(login().isVisible());
    EXPECT_FALSE(window().isVisible());
    // Refused logins are not remembered.
    EXPECT_EQ(appDir_->storedUser(), (LoginPair{"Newcomer", "secret1"}));
}

TEST_F(LobbyServiceTest, ModifiedAccountIsKeptByTheService) {
    createAccount();
    ASSERT_TRUE(waitFor([&] { return window().lobby().account().record().name == "Newcomer"; }));

    clickMain(LobbyWindow::kCommandModify);
    ASSERT_TRUE(account().isVisible());
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(account().mode(), AccountMode::Modify);
    EXPECT_FALSE(account().nameField()->isEnabled());
    EXPECT_EQ(account().nameField()->text(), "Newcomer");
    EXPECT_EQ(account().field(1005)->text(), "http://ann.example.org/");
    EXPECT_EQ(account().field(1001)->text(), "secret1");
    savePreview(account(), "account_modify");

    MessageAnswerer unexpected;
    account().field(1005)->setText("http://poker.example.org/");
    account().descriptionField()->setPlainText("Plays at night.");
    click(account(), skin::SkinnedDialog::kCommandOk);
    ASSERT_TRUE(inRouterView("Newcomer")) << serviceLog();
    EXPECT_TRUE(unexpected.texts().empty()) << unexpected.texts().front().toStdString();
    ASSERT_TRUE(waitFor([&] { return window().lobby().account().record().field1005 == "http://poker.example.org/"; }));

    // A later login gets the changed card from the database.
    logOut();
    click(login(), skin::SkinnedDialog::kCommandOk);
    ASSERT_TRUE(inRouterView("Newcomer"));
    ASSERT_TRUE(waitFor([&] { return window().lobby().account().record().name == "Newcomer"; }));
    EXPECT_EQ(window().lobby().account().record().field1005, "http://poker.example.org/");
    EXPECT_EQ(window().lobby().account().record().description, "Plays at night.");
}

TEST_F(LobbyServiceTest, CancelledModificationLogsBackIntoTheRouter) {
    createAccount();
    clickMain(LobbyWindow::kCommandModify);
    ASSERT_TRUE(account().isVisible());
    click(account(), skin::SkinnedDialog::kCommandCancel);
    EXPECT_TRUE(inRouterView("Newcomer")) << serviceLog();
}

TEST_F(LobbyServiceTest, ServiceShutdownWhileLoggedInFallsBackSilently) {
    createAccount();
    MessageAnswerer unexpected;
    ASSERT_TRUE(service_->stop());
    ASSERT_TRUE(waitFor([&] { return state() == LobbyState::Offline; }));
    QTest::qWait(300);
    EXPECT_TRUE(unexpected.texts().empty());
    EXPECT_FALSE(window().flow().busy().busy());
    EXPECT_FALSE(window().hasEnded());
}

TEST_F(LobbyServiceTest, UrgentMessagesAreShownAndAdiosEndsTheProgram) {
    createAccount();
    {
        MessageAnswerer answerer;
        ASSERT_TRUE(service_->sendCommand("urgent Maintenance at noon"));
        ASSERT_TRUE(waitFor([&] { return !answerer.texts().empty(); }));
        EXPECT_EQ(answerer.texts(), (std::vector<QString>{"Maintenance at noon"}));
    }
    MessageAnswerer unexpected;
    QSignalSpy ended(&window(), &LobbyWindow::programEnded);
    ASSERT_TRUE(service_->sendCommand("adios"));
    ASSERT_TRUE(ended.wait(kAnswerWaitMs));
    EXPECT_TRUE(window().hasEnded());
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(unexpected.texts().empty());
}

}  // namespace
}  // namespace tessary::lobby

namespace tessary::lobby {
namespace {

// The router view's own panel, a page to oneself through the Router, the
// player search and the buddy window, against the real service.
TEST_F(LobbyServiceTest, OwnPanelPageSearchAndBuddies) {
    createAccount();
    auto& pages = window().pagesWindows();
    ASSERT_TRUE(waitFor([&] {
        return pages.ownRows()->rowCount() > 0 && pages.ownRows()->rowText(0) == "Name: Newcomer";
    }));
    savePreview(window(), "router_view_profile");

    // A stock photo through the chooser: back from 1 wraps to 12; the save
    // sends the number and the Router's photo shows it in the panel.
    clickMain(LobbyWindow::kCommandModify);
    ASSERT_TRUE(account().isVisible());
    click(account(), AccountWindow::kCommandStockPhoto);
    ASSERT_TRUE(pages.photoWindow()->isVisible());
    EXPECT_EQ(pages.chooserPictures(), (std::array<int32_t, 3>{12, 1, 2}));
    click(*pages.photoWindow(), 1034);  // back
    EXPECT_EQ(pages.chooserPictures(), (std::array<int32_t, 3>{11, 12, 1}));
    savePreview(*pages.photoWindow(), "photo_chooser");
    click(*pages.photoWindow(), skin::SkinnedDialog::kCommandOk);
    EXPECT_FALSE(pages.photoWindow()->isVisible());
    EXPECT_EQ(account().form().photoNumber, 12);
    click(account(), skin::SkinnedDialog::kCommandOk);
    ASSERT_TRUE(inRouterView("Newcomer")) << service_->log();
    ASSERT_TRUE(waitFor([&] { return pages.ownPhoto().stock == 12; })) << service_->log();

    MessageAnswerer boxes;
    window().lobby().pages().writePage("Newcomer");
    ASSERT_TRUE(pages.pageWindow()->isVisible());
    // Send with no message: the window stays for it.
    click(*pages.pageWindow(), skin::SkinnedDialog::kCommandOk);
    EXPECT_TRUE(pages.pageWindow()->isVisible());
    pages.messageField()->setPlainText("Are you there?");
    savePreview(*pages.pageWindow(), "page_write");
    click(*pages.pageWindow(), skin::SkinnedDialog::kCommandOk);
    ASSERT_TRUE(waitFor([&] { return pages.readWindow()->isVisible(); })) << serviceLog();
    EXPECT_EQ(pages.receivedField()->toPlainText(), "Are you there?");
    EXPECT_EQ(pages.readWindow()->windowTitle(), "Page - Newcomer");
    savePreview(*pages.readWindow(), "page_read");
    click(*pages.readWindow(), 1032);  // reply
    ASSERT_TRUE(pages.pageWindow()->isVisible());

    window().runCommand(LobbyWindow::kCommandSearch);
    ASSERT_TRUE(pages.searchWindow()->isVisible());
    pages.searchField()->setText("Newcomer");
    click(*pages.searchWindow(), 1030);
    // Outside every arena the player counts as not found (text 71).
    ASSERT_TRUE(waitFor([&] { return !boxes.texts().empty(); }));
    EXPECT_FALSE(window().lobby().pages().model().search.found);
    savePreview(*pages.searchWindow(), "player_search");

    // More buddies than rows: the lobby's scroll bar comes with them.
    for (int i = 0; i < 30; ++i) window().lobby().pages().addBuddy("Buddy" + std::to_string(i));
    window().runCommand(LobbyWindow::kCommandBuddy);
    ASSERT_TRUE(pages.buddyWindow()->isVisible());
    ASSERT_EQ(pages.buddyList()->count(), 30);
    EXPECT_TRUE(pages.buddyList()->scrollbar()->isVisible());
    pages.buddyList()->item(1)->setSelected(true);
    savePreview(*pages.buddyWindow(), "buddies");
    EXPECT_EQ(boxes.texts().size(), 1u);
}

}  // namespace
}  // namespace tessary::lobby

namespace tessary::lobby {
namespace {

// A second player in the same test: the lobby's controllers over recording
// views, bound to a copy of the client library of its own (the library keeps
// one connection per loaded copy, as it would per process).
class SecondPlayer {
public:
    SecondPlayer(const fs::path& dist, const fs::path& folder, int routerPort) : folder_(folder) {
        fs::create_directories(folder_);
        fs::copy_file(dist / kClientLibraryName, folder_ / kClientLibraryName);
        bound_ = library_.bindTable(folder_ / kClientLibraryName, api_).bound;
        view_.photoFolder = folder_;
        lobby_ = std::make_unique<Lobby>(api_, view_.views());
        lobby_->flow().setRouter("127.0.0.1", routerPort);
        // The lobby's 50 ms poll, run by the same event loop as the first player's.
        QObject::connect(&poll_, &QTimer::timeout, [this] { lobby_->flow().poll(); });
        poll_.start(LobbyWindow::kPollPeriodMs);
    }
    ~SecondPlayer() {
        poll_.stop();
        lobby_->flow().disconnect();
    }

    bool bound() const { return bound_; }
    Lobby& lobby() { return *lobby_; }
    testing::RecordingView& view() { return view_; }
    bool called(const std::string& line) const {
        return std::find(view_.calls.begin(), view_.calls.end(), line) != view_.calls.end();
    }

private:
    fs::path folder_;
    platform::SharedLibrary library_;
    ClientApi api_{};
    bool bound_{false};
    testing::RecordingView view_;
    std::unique_ptr<Lobby> lobby_;
    QTimer poll_;
};

// A picture of its own, small enough for an upload.
std::vector<uint8_t> ownPhotoFile() {
    desktop::DecodedImage image{40, 30, {}};
    for (int i = 0; i < image.width * image.height; ++i) image.pixels.push_back(0xFF000000u | uint32_t(i * 2111u));
    return desktop::encodeJpeg(image, 80);
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Two players meet: Bea uploads her photo and waits in the arena; Newcomer
// pages her from the Router, gets her reply, finds her, goes to her arena
// and opens her information with the photo.
TEST_F(LobbyServiceTest, TwoPlayersPageFindJoinAndSeeThePhoto) {
    const auto photo = ownPhotoFile();
    const fs::path photoPath = folder_ / "bea.jpg";
    std::ofstream(photoPath, std::ios::binary).write(reinterpret_cast<const char*>(photo.data()),
                                                     static_cast<std::streamsize>(photo.size()));
    SecondPlayer bea(fromEnvironment("TESSARY_DIST"), folder_ / "bea", service_->routerPort());
    ASSERT_TRUE(bea.bound());
    bea.lobby().account().newUser();
    bea.view().form = {"Bea", "pw2", "pw2", "Bea Second", "bea@example.org", "http://bea.example.org/",
                       "Chile", "Plays poker.", 1, 1, photoPath.string()};
    bea.lobby().account().saveAccount();
    ASSERT_TRUE(waitFor([&] { return bea.called("ownPhoto file photo.jpg"); })) << service_->log();
    EXPECT_EQ(fileBytes(folder_ / "bea" / "photo.jpg"), fileBytes(photoPath));
    bea.lobby().arenaList().join("Arena 1");
    ASSERT_TRUE(waitFor([&] { return bea.lobby().flow().state() == LobbyState::InArena; })) << service_->log();

    MessageAnswerer unexpected;
    createAccount();
    auto& pages = window().pagesWindows();
    window().lobby().pages().writePage("Bea");
    typeText(pages.messageField(), "Hello Bea");
    click(*pages.pageWindow(), skin::SkinnedDialog::kCommandOk);
    ASSERT_TRUE(waitFor([&] { return bea.called("pageRead Newcomer: Hello Bea"); })) << service_->log();
    bea.lobby().pages().reply();
    EXPECT_EQ(bea.view().page.recipients, "Newcomer");
    bea.view().page.message = "Hi, come over";
    bea.lobby().pages().sendPage();
    ASSERT_TRUE(waitFor([&] { return pages.readWindow()->isVisible(); })) << service_->log();
    EXPECT_EQ(pages.readWindow()->windowTitle(), "Page - Bea");
    EXPECT_EQ(pages.receivedField()->toPlainText(), "Hi, come over");

    window().runCommand(LobbyWindow::kCommandSearch);
    typeText(pages.searchField(), "Bea");
    click(*pages.searchWindow(), 1030);
    ASSERT_TRUE(waitFor([&] { return window().lobby().pages().model().search.found; })) << service_->log();
    EXPECT_EQ(pages.foundArenaField()->text(), "Arena 1");
    click(*pages.searchWindow(), 1031);  // go
    ASSERT_TRUE(waitFor([&] { return state() == LobbyState::InArena && window().currentView() == View::Arena; }))
        << service_->log();

    window().lobby().playerInfo().askPlayerInfo("Bea");
    ASSERT_TRUE(waitFor([&] { return !pages.infoPhoto().file.empty(); })) << service_->log();
    EXPECT_EQ(pages.infoWindow()->windowTitle(), "Playerinfo: Bea");
    EXPECT_EQ(pages.infoRows()->rowText(2), "Real name: Bea Second");
    EXPECT_EQ(fileBytes(pages.infoPhoto().file), fileBytes(photoPath));
    EXPECT_EQ(photoPixmap(pages.infoPhoto()).size(), QSize(40, 30));
    savePreview(*pages.infoWindow(), "player_information");
    EXPECT_TRUE(unexpected.texts().empty()) << unexpected.texts().front().toStdString();
}

}  // namespace
}  // namespace tessary::lobby

extern char** environ;

namespace tessary::lobby {
namespace {

// Another lobby: this test program again, running only
// SecondLobbyJoinsAndPlays with its own folder, registry, mailbox and home,
// as player `name` (or spectator). It reports through a status file, closes
// its game when it finds "<status>.endgame" and ends at "<status>.stop".
class SecondLobby {
public:
    SecondLobby(const fs::path& folder, int routerPort, const std::string& session, const std::string& name,
                bool spectator)
        : status_(folder / (name + ".status")) {
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        const std::string filter = "--gtest_filter=LobbyServiceTest.SecondLobbyJoinsAndPlays";
        std::vector<std::string> environment{"TESSARY_SECOND_ROUTER=" + std::to_string(routerPort),
                                             "TESSARY_SECOND_STATUS=" + status_.string(),
                                             "TESSARY_SECOND_SESSION=" + session, "TESSARY_SECOND_NAME=" + name,
                                             std::string("TESSARY_SECOND_SPECTATOR=") + (spectator ? "1" : "0")};
        for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        const char* argv[] = {self.c_str(), filter.c_str(), nullptr};
        // A group of its own, so that its game programs go with it.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        if (::posix_spawn(&pid_, self.c_str(), nullptr, &attributes, const_cast<char* const*>(argv), envp.data()) != 0)
            pid_ = -1;
        posix_spawnattr_destroy(&attributes);
    }
    ~SecondLobby() {
        if (pid_ <= 0) return;
        std::ofstream(status_.string() + ".stop") << "stop\n";
        if (!QTest::qWaitFor([this] { return ::waitpid(pid_, &exitStatus_, WNOHANG) == pid_; }, 15000)) {
            ::kill(-pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::kill(-pid_, SIGKILL);  // games it left behind
    }
    bool started() const { return pid_ > 0; }
    std::string status() const {
        std::ifstream file(status_);
        std::string text;
        std::getline(file, text);
        return text;
    }
    void closeGame() const { std::ofstream(status_.string() + ".endgame") << "end\n"; }

private:
    fs::path status_;
    pid_t pid_{-1};
    int exitStatus_{0};
};

void writeStatus(const std::string& text) {
    const std::string path = std::getenv("TESSARY_SECOND_STATUS");
    std::ofstream(path + ".part") << text << "\n";
    fs::rename(path + ".part", path);
}

bool waitForFile(const fs::path& path, int timeoutMs) {
    return QTest::qWaitFor([&] { return fs::exists(path); }, timeoutMs);
}

// The whole visit: the first lobby opens a table of the game, the others join
// it (Bob as player, Cid as spectator when asked), the master begins and every
// lobby starts the game's program. Then each player closes the game, and
// every lobby reads the finish report and is back in Arena 1 without the table.
void LobbyServiceTest::playAndReturn(const Visit& visit) {
    const std::string& game = visit.game;
    const std::string& program = visit.program;
    const bool withSpectator = visit.spectator;
    createAccount();
    enterArena();
    auto& sessions = window().lobby().sessions();
    auto& screens = window().sessionScreens();
    const std::size_t index = sessions.games().indexOf(game);
    ASSERT_LT(index, sessions.games().size()) << game << " is not installed";
    screens.gameChoice = [index](const std::vector<std::string>&) { return std::optional<std::size_t>(index); };
    screens.playerOrSpectator = [] { return std::optional<bool>(false); };
    window().runCommand(SessionScreens::kCommandCreate);
    SessionWindow* create = screens.openWindow();
    ASSERT_NE(create, nullptr);
    typeText(create->nameField(), "Evening table");
    savePreview(*create, ("session_create_" + program).c_str());
    testing::click(*create, SessionWindow::kCommandCreate);
    ASSERT_TRUE(waitFor([&] { return sessions.model().joined == "Evening table"; })) << serviceLog();

    std::vector<std::unique_ptr<SecondLobby>> others;
    others.push_back(std::make_unique<SecondLobby>(folder_, service_->routerPort(), "Evening table", "Bob", false));
    if (withSpectator)
        others.push_back(std::make_unique<SecondLobby>(folder_, service_->routerPort(), "Evening table", "Cid", true));
    const int spectators = withSpectator ? 1 : 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const SessionEntry* entry = sessions.find("Evening table");
            return entry != nullptr && entry->players == 2 && entry->spectators == spectators;
        },
        40000))
        << "Bob: " << others.front()->status() << ", Cid: " << others.back()->status() << ", "
        << (sessions.find("Evening table") ? sessions.find("Evening table")->players : -1) << " players, "
        << (sessions.find("Evening table") ? sessions.find("Evening table")->spectators : -1) << " spectators\n"
        << serviceLog();
    savePreview(window(), ("arena_sessions_" + program).c_str());

    window().runCommand(SessionScreens::kCommandBegin);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().flow().gameRunning(); }, 40000)) << serviceLog();
    const auto started = games();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started.front().second, program);
    for (const auto& other : others)
        ASSERT_TRUE(QTest::qWaitFor([&] { return other->status() == "playing " + program; }, 40000))
            << other->status();

    // Every program plays on the game server (its datagrams arrive) before
    // anyone closes the game.
    std::vector<std::string> members{"Newcomer", "Bob"};
    if (withSpectator) members.push_back("Cid");
    for (const std::string& name : members)
        EXPECT_TRUE(QTest::qWaitFor([&] { return serviceLog().find(": " + name + " sends datagrams") != std::string::npos; },
                                    30000))
            << name << "\n" << serviceLog();

    // The master closes the game first; the others follow.
    endGames();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !window().flow().gameRunning() && state() == LobbyState::InArena && !window().flow().busy().busy(); },
        30000))
        << serviceLog();
    EXPECT_EQ(window().flow().arenaName(), "Arena 1");
    if (!visit.winner.empty()) {
        // The master's leaving ended the game: the player left at the table
        // won, and the player information says so.
        auto& pages = window().pagesWindows();
        const auto won = [&] {
            const auto* rows = pages.infoRows();
            for (int row = 0; rows != nullptr && row < rows->rowCount(); ++row)
                if (rows->rowText(row).contains(QString::fromStdString(visit.program) + ": played 1, won 1")) return true;
            return false;
        };
        bool seen = false;
        for (int ask = 0; ask < 20 && !seen; ++ask) {
            window().lobby().playerInfo().askPlayerInfo(visit.winner);
            seen = QTest::qWaitFor(won, 1000);
        }
        EXPECT_TRUE(seen) << "no win in the information of " << visit.winner << "\n" << serviceLog();
    }

    for (const auto& other : others) other->closeGame();
    for (const auto& other : others)
        EXPECT_TRUE(QTest::qWaitFor([&] { return other->status() == "back in Arena 1 without the table"; }, 40000))
            << other->status();
    EXPECT_TRUE(waitFor([&] { return sessions.find("Evening table") == nullptr; })) << serviceLog();
}

TEST_F(LobbyServiceTest, SlimefrayTableFromCreateToReturn) {
    playAndReturn({"SLIMEFRAY", "Slimefray", true, "Bob"});
}

TEST_F(LobbyServiceTest, PokerTableFromCreateToReturn) {
    // Every poker program keeps its own table: the service stores no result.
    playAndReturn({"POKER", "poker", false, ""});
}

TEST_F(LobbyServiceTest, SecondLobbyJoinsAndPlays) {
    const std::string session = std::getenv("TESSARY_SECOND_SESSION");
    const fs::path status = std::getenv("TESSARY_SECOND_STATUS");
    const bool spectator = std::string(std::getenv("TESSARY_SECOND_SPECTATOR")) == "1";
    NewAccount account;
    account.name = QString::fromStdString(std::getenv("TESSARY_SECOND_NAME"));
    createAccount(account);
    enterArena();
    auto& sessions = window().lobby().sessions();
    window().sessionScreens().playerOrSpectator = [spectator] { return std::optional<bool>(spectator); };
    ASSERT_TRUE(waitFor([&] { return sessions.find(session) != nullptr; }));
    sessions.join(session);
    ASSERT_TRUE(waitFor([&] { return sessions.model().joined == session; }));
    writeStatus("joined");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().flow().gameRunning(); }, 40000));
    const auto started = games();
    writeStatus(started.size() == 1 ? "playing " + started.front().second : "no game program");

    ASSERT_TRUE(waitForFile(status.string() + ".endgame", 60000));
    endGames();
    const bool back = QTest::qWaitFor(
        [&] { return !window().flow().gameRunning() && state() == LobbyState::InArena && !window().flow().busy().busy(); },
        30000);
    // The table ends when its last member is back.
    const bool tableGone = back && waitFor([&] { return sessions.find(session) == nullptr; });
    writeStatus(!back ? "not back in an arena"
                      : "back in " + window().flow().arenaName() + (tableGone ? " without the table" : " with the table"));
    EXPECT_TRUE(waitForFile(status.string() + ".stop", 60000));
}

}  // namespace
}  // namespace tessary::lobby
