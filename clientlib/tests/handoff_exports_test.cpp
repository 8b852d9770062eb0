#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "TSClient.h"
#include "helpers/peer_process.h"
#include "lobby_handoff.h"
#include "platform/registry.h"
#include "platform/shared_memory.h"
#include "platform/testing/test_objects.h"
#include "protocol/handoff.h"

namespace tessary::clientlib {
namespace {

namespace fs = std::filesystem;
using testing::PeerProcess;

// Mailbox objects, registry file and window-title folder of the test's own.
class HandoffExports : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        shm_.emplace("tessary-lobby-" + std::to_string(++serial) + "-");
        std::string pattern = (fs::temp_directory_path() / "tessary-handoff-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        ::setenv("TESSARY_REGISTRY", (folder_ / "registry.ini").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    }
    void TearDown() override {
        TS_FreeSharedMemory();
        closeRunningGames();
        shm_.reset();
        fs::remove_all(folder_);
    }
    std::optional<platform::testing::ShmPrefixScope> shm_;

    // Games this test started must not run on into the next test.
    static void closeRunningGames() {
        protocol::HandoffView view;
        if (!OpenHandoff(view, "cleanup", 0)) return;
        while (const auto game = FirstOther(view)) {
            const pid_t pid = pid_t(WindowOf(view, *game));
            if (pid <= 1 || pid == ::getpid() || ::kill(pid, SIGKILL) != 0) break;
            for (int i = 0; i < 500 && WindowOf(view, *game) == uint32_t(pid); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    static int32_t ownWindow() { return int32_t(::getpid()); }

    // A launch line that starts the peer as game `game`, logging to `log`.
    std::string gameLaunchLine(const std::string& game, const fs::path& log, const std::string& title = "-") const {
        return std::string(HANDOFF_PEER) + "|" + game + " " + log.string() + " " + title;
    }

    static std::string readLog(const fs::path& log) {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Waits until the log holds `line` (the game writes it at its own pace).
    static bool logHas(const fs::path& log, const std::string& line) {
        for (int i = 0; i < 500; ++i) {
            if (readLog(log).find(line + "\n") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    fs::path folder_;
};

TEST_F(HandoffExports, OneLobbyAtATime) {
    PeerProcess otherLobby(HANDOFF_PEER);
    ASSERT_EQ(otherLobby.ask("open\tTSClient"), "1");
    ASSERT_EQ(otherLobby.ask("claim"), "1");
    EXPECT_EQ(TS_InitializeSharedMemory(ownWindow()), 0);

    ASSERT_EQ(otherLobby.ask("close"), "ok");
    EXPECT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    EXPECT_EQ(TS_InitializeSharedMemory(ownWindow()), 0) << "already initialised";
    EXPECT_EQ(otherLobby.ask("open\tTSClient"), "0") << "and now the other one is refused";

    EXPECT_EQ(TS_FreeSharedMemory(), 1);
    EXPECT_EQ(TS_FreeSharedMemory(), 0);
    EXPECT_EQ(otherLobby.ask("open\tTSClient"), "1") << "the presence went with the view";
}

TEST_F(HandoffExports, ACrashedLobbyDoesNotLockTheNextOneOut) {
    {
        PeerProcess crashed(HANDOFF_PEER);
        ASSERT_EQ(crashed.ask("open\tTSClient"), "1");
        ASSERT_EQ(crashed.ask("claim"), "1");
        crashed.send("crash");
        ASSERT_TRUE(crashed.reap(std::chrono::seconds(5)));
    }
    EXPECT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
}

TEST_F(HandoffExports, NothingWithoutTheMailbox) {
    char text[TS_TEXT_OUT_SIZE] = "untouched";
    int32_t number = 7;
    EXPECT_EQ(TS_GetStartedGame(text), 0);
    EXPECT_EQ(TS_IsGameFinished(text, &number, text), 0);
    EXPECT_EQ(TS_IsCloseAsked(), 0);
    EXPECT_EQ(TS_StartGame("me", "POKER", "", "/bin/true", "h", 1, "127.0.0.1", 4000), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(number, 7);
}

TEST_F(HandoffExports, FinishReportAndCloseRequestOfTheRunningGame) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    char r1[1024] = "x";
    char r3[1024] = "x";
    int32_t r2 = 99;
    EXPECT_EQ(TS_IsGameFinished(r1, &r2, r3), 0);
    EXPECT_STREQ(r1, "x") << "no game: nothing written";

    PeerProcess game(HANDOFF_PEER);
    ASSERT_EQ(game.ask("open\tPOKER"), "1");
    ASSERT_EQ(game.ask("claim"), "1");
    char started[TS_STARTED_GAME_SIZE];
    ASSERT_EQ(TS_GetStartedGame(started), 1);
    EXPECT_STREQ(started, "POKER");

    EXPECT_EQ(TS_IsGameFinished(r1, &r2, r3), 0);
    EXPECT_STREQ(r1, "");
    EXPECT_EQ(r2, 0);

    ASSERT_EQ(game.ask("post\t3\tTSClient\th@4000@@ok"), "1");
    EXPECT_EQ(TS_IsGameFinished(r1, &r2, r3), 1);
    EXPECT_STREQ(r1, "h");
    EXPECT_EQ(r2, 4000);
    EXPECT_STREQ(r3, "ok");
    EXPECT_EQ(TS_IsGameFinished(r1, &r2, r3), 0) << "taken once";

    EXPECT_EQ(TS_IsCloseAsked(), 0);
    ASSERT_EQ(game.ask("post\t5\tTSClient"), "1");
    EXPECT_EQ(TS_IsCloseAsked(), 1);
    EXPECT_EQ(TS_IsCloseAsked(), 0);
}

TEST_F(HandoffExports, AFinishReportOutlivesTheGameThatPostedIt) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    {
        PeerProcess game(HANDOFF_PEER);
        ASSERT_EQ(game.ask("open\tPOKER"), "1");
        ASSERT_EQ(game.ask("claim"), "1");
        char started[TS_STARTED_GAME_SIZE];
        ASSERT_EQ(TS_GetStartedGame(started), 1);
        ASSERT_EQ(game.ask("post\t3\tTSClient\th@4000@@won"), "1");
        game.send("crash");
        ASSERT_TRUE(game.reap(std::chrono::seconds(5)));
    }
    char r1[1024] = "x";
    char r3[1024] = "x";
    int32_t r2 = 0;
    EXPECT_EQ(TS_IsGameFinished(r1, &r2, r3), 1) << "the report of a game that has gone is still read";
    EXPECT_STREQ(r1, "h");
    EXPECT_EQ(r2, 4000);
    EXPECT_STREQ(r3, "won");
    EXPECT_EQ(TS_IsGameFinished(r1, &r2, r3), 0);
}

TEST_F(HandoffExports, LaunchesTheGameWithChildAndItsArguments) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    const auto log = folder_ / "poker.log";
    const std::string line = gameLaunchLine("POKER", log) + "   -a  -b ";
    ASSERT_EQ(TS_StartGame("me", "POKER", "extra text", line.c_str(), "127.0.0.1", 4000, "127.0.0.2", 5000), 1);

    ASSERT_TRUE(logHas(log, "order me@127.0.0.1@4000@127.0.0.2@5000@extra text"));
    EXPECT_EQ(readLog(log).substr(0, readLog(log).find("order")),
              "arg child\narg POKER\narg " + log.string() + "\narg -\narg -a\narg -b\n");
    char started[TS_STARTED_GAME_SIZE];
    ASSERT_EQ(TS_GetStartedGame(started), 1);
    EXPECT_STREQ(started, "POKER");
}

TEST_F(HandoffExports, WakesAGameWhoseWindowIsUp) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    ASSERT_TRUE(platform::Registry::shared().set(std::string(platform::kGamesKeyPath) + "POKER", "window",
                                                 "Poker Table"));
    PeerProcess game(HANDOFF_PEER);
    ASSERT_EQ(game.ask("publish\tPoker Table"), "1");
    // On the wake-up the game enters the mailbox, which ends the lobby's wait.
    game.send("await-signal\t10000");
    game.send("open\tPOKER");
    game.send("claim");

    EXPECT_EQ(TS_StartGame("me", "POKER", "", "/no/such/program", "h", 1, "127.0.0.1", 4000), 1)
        << "woken, not launched";
    EXPECT_EQ(game.receive(), "usr1");
    EXPECT_EQ(game.receive(), "1");
    EXPECT_EQ(game.receive(), "1");
    EXPECT_EQ(game.ask("take\t2\tTSClient\t1024\t1"), "1\tme@h@1@127.0.0.1@4000@");
}

TEST_F(HandoffExports, ClosesAnotherGameBeforeStartingTheNewOne) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    PeerProcess slimefray(HANDOFF_PEER);
    ASSERT_EQ(slimefray.ask("open\tSLIMEFRAY"), "1");
    ASSERT_EQ(slimefray.ask("claim"), "1");
    slimefray.send("await-signal\t10000");

    const auto log = folder_ / "poker.log";
    EXPECT_EQ(TS_StartGame("me", "POKER", "", gameLaunchLine("POKER", log).c_str(), "h", 1, "127.0.0.1", 4000), 1);
    EXPECT_EQ(slimefray.receive(), "term");
    EXPECT_TRUE(logHas(log, "arg child"));
}

TEST_F(HandoffExports, AFinishedGameIsStartedAgainAndAGoneGameIsForgotten) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    const auto log = folder_ / "poker.log";
    const auto line = gameLaunchLine("POKER", log);
    ASSERT_EQ(TS_StartGame("me", "POKER", "", line.c_str(), "h", 1, "127.0.0.1", 4000), 1);
    ASSERT_EQ(TS_StartGame("me", "POKER", "", line.c_str(), "h", 2, "127.0.0.1", 4000), 1) << "present: not launched";
    EXPECT_EQ(readLog(log).find("arg child"), readLog(log).rfind("arg child")) << "one launch only";

    // The game is asked to close (as another game would ask it) and leaves.
    ASSERT_EQ(TS_StartGame("me", "OTHER", "", "/no/such/program", "h", 3, "127.0.0.1", 4000), 0);
    ASSERT_TRUE(logHas(log, "close"));
    char started[TS_STARTED_GAME_SIZE];
    for (int i = 0; i < 500 && TS_GetStartedGame(started); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(TS_GetStartedGame(started), 0);
}

TEST_F(HandoffExports, AGameThatLeftIsCollectedByThePoll) {
    ASSERT_EQ(TS_InitializeSharedMemory(ownWindow()), 1);
    const auto line = gameLaunchLine("POKER", folder_ / "poker.log");
    ASSERT_EQ(TS_StartGame("me", "POKER", "", line.c_str(), "h", 1, "127.0.0.1", 4000), 1);
    protocol::HandoffView view;
    ASSERT_TRUE(OpenHandoff(view, "observer", 0));
    const pid_t game = pid_t(WindowOf(view, "POKER"));
    ASSERT_GT(game, 1);
    // Asked to close (as another game would ask it), the game leaves; the
    // lobby then polls its link only, and no exited game may stay a zombie.
    ASSERT_EQ(TS_StartGame("me", "OTHER", "", "/no/such/program", "h", 2, "127.0.0.1", 4000), 0);
    const fs::path process = "/proc/" + std::to_string(game);
    for (int i = 0; i < 500 && fs::exists(process); ++i) {
        (void)TS_GetMessageType();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(fs::exists(process)) << "the game that left is still a process (a zombie)";
}

TEST(LobbyHandoff, AGameThatNeverShowsUpOrExitsAtOnceFails) {
    const platform::testing::ShmPrefixScope shm("tessary-never-");
    LobbyHandoff handoff(GameLaunchSettings{std::chrono::milliseconds(300), std::chrono::milliseconds(10)});
    ASSERT_TRUE(handoff.initialize(uint32_t(::getpid())));
    StartRequest request;
    request.game = "POKER";
    // The peer enters the mailbox under another name, so POKER never shows up.
    request.launchLine = std::string(HANDOFF_PEER) + "|NOTPOKER /dev/null -";
    EXPECT_FALSE(handoff.startGame(request)) << "still running, never present";
    request.launchLine = "/bin/true";
    EXPECT_FALSE(handoff.startGame(request)) << "exited without showing up";
    request.launchLine = "/no/such/program|-x";
    EXPECT_FALSE(handoff.startGame(request)) << "cannot be started";
    handoff.release();
    platform::SharedMemory::remove(platform::SharedMemory::objectName(protocol::kHandoffBlockName));
    platform::SharedMemory::remove(platform::SharedMemory::objectName(protocol::kHandoffMutexName));
}

TEST(LobbyHandoff, LaunchLines) {
    struct Case {
        const char* line;
        const char* program;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"C:\\games\\x.exe|-a -b", "C:\\games\\x.exe", {"-a", "-b"}},
        {"/opt/poker/poker", "/opt/poker/poker", {}},
        {"/opt/poker/poker|", "/opt/poker/poker", {}},
        {"/opt/p|  -a   -b  ", "/opt/p", {"-a", "-b"}},
        {"/opt/p|a|b", "/opt/p", {"a|b"}},
        {"", "", {}},
    };
    for (const auto& c : cases) {
        const auto launch = parseLaunchLine(c.line);
        EXPECT_EQ(launch.program, c.program) << c.line;
        EXPECT_EQ(launch.arguments, c.arguments) << c.line;
    }
}

TEST(LobbyHandoff, FinishReports) {
    struct Case {
        const char* text;
        const char* name;
        int32_t number;
        const char* rest;
    };
    const Case cases[] = {
        {"h@4000@@ok", "h", 4000, "ok"},   {"@@127.0.0.1@4000", "127.0.0.1", 4000, ""},
        {"h", "h", 0, ""},                 {"", "", 0, ""},
        {"h@port@x", "h", 0, "x"},         {"h@12abc@x@y", "h", 12, "x"},
        {"h@-5", "h", -5, ""},             {"h@99999999999@x", "h", 0, "x"},
    };
    for (const auto& c : cases) {
        const auto report = parseFinishReport(c.text);
        EXPECT_EQ(report.name, c.name) << c.text;
        EXPECT_EQ(report.number, c.number) << c.text;
        EXPECT_EQ(report.rest, c.rest) << c.text;
    }
}

}  // namespace
}  // namespace tessary::clientlib
