// The hand-off side against a fake lobby process: presence, the start order,
// the finish report and close request, starting the lobby, a second copy of
// the game.
#include <fstream>
#include <sstream>
#include <string>

#include "fake_game_server.h"
#include "library_fixture.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace tessary::gamelib::testing {
namespace {

class Mailbox : public LibraryTest {
protected:
    void SetUp() override {
        unsetenv("FAKE_LOBBY_ORDER");
        setenv("FAKE_LOBBY_GAME", kGameName, 1);
        setenv("FAKE_LOBBY_OUT", lobbyLog().c_str(), 1);
        setenv("FAKE_LOBBY_LINGER_MS", "20000", 1);
        unsetenv("FAKE_LOBBY_AS");
        std::filesystem::remove(lobbyLog());
    }
    void TearDown() override {
        LibraryTest::TearDown();
        endProgram(lobby);
    }

    static std::filesystem::path lobbyLog() { return scratch() / "lobby.log"; }

    // Starts the fake lobby and waits until it is present in the block.
    void startLobby(const char* order) {
        if (order) setenv("FAKE_LOBBY_ORDER", order, 1);
        auto pid = platform::spawnProgram(FAKE_LOBBY_PATH, {"fake_lobby"});
        ASSERT_TRUE(pid);
        lobby = *pid;
        ASSERT_TRUE(waitUntil([&] { return lobbyVisible(); }));
    }

    static bool lobbyVisible() {
        protocol::HandoffView onlooker;
        if (!protocol::OpenHandoff(onlooker, "onlooker", uint32_t(getpid()))) return false;
        return protocol::WindowOf(onlooker, "TSClient") != 0;
    }

    static std::string lobbyLogText() {
        std::ifstream in(lobbyLog());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    pid_t lobby = 0;
};

TEST_F(Mailbox, WithoutALobbyTheGameIsNotAllowedAndReportsGoNowhere) {
    GameApi& a = api();
    ASSERT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    char name[80], extra[80];
    EXPECT_EQ(a.TS_IsGameAllowed(name, extra), TS_ERROR_NO_LOBBY);
    EXPECT_EQ(a.TS_InformInterfaceGameFinished("@x"), TS_SUCCESS);
    EXPECT_EQ(a.TS_CloseTessaryInterface(), TS_SUCCESS);
}

TEST_F(Mailbox, AStartOrderIsTakenOnceAndPointsTheGameAtItsServer) {
    FakeGameServer server;
    ASSERT_TRUE(server.ready());
    GameApi& a = api();
    ASSERT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    const std::string order = "ann@10.0.0.1:4000@77@127.0.0.1@" + std::to_string(server.port()) + "@4 45 blue map1 1";
    startLobby(order.c_str());

    char name[80], extra[80];
    ASSERT_EQ(a.TS_IsGameAllowed(name, extra), TS_SUCCESS);
    EXPECT_STREQ(name, "ann");
    EXPECT_STREQ(extra, "4 45 blue map1 1");
    EXPECT_EQ(a.TS_IsGameAllowed(name, extra), TS_NO_START_ORDER);

    ASSERT_EQ(a.TS_ConnectGame(), TS_SUCCESS);
    EXPECT_TRUE(server.accept());

    EXPECT_EQ(a.TS_InformInterfaceGameFinished("@won"), TS_SUCCESS);
    ASSERT_TRUE(waitUntil([] { return lobbyLogText().find("report:") != std::string::npos; }));
    EXPECT_EQ(a.TS_CloseTessaryInterface(), TS_SUCCESS);
    ASSERT_TRUE(waitUntil([] { return lobbyLogText().find("close") != std::string::npos; }));
    EXPECT_EQ(lobbyLogText(), "report:10.0.0.1:4000@77@won\nclose\n");
}

TEST_F(Mailbox, AFiveFieldOrderLeavesTheExtraTextEmpty) {
    GameApi& a = api();
    ASSERT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    startLobby("bob@r@3@127.0.0.1@40000");
    char name[80] = "x", extra[80] = "x";
    ASSERT_EQ(a.TS_IsGameAllowed(name, extra), TS_SUCCESS);
    EXPECT_STREQ(name, "bob");
    EXPECT_STREQ(extra, "");
}

TEST_F(Mailbox, LongStartOrderFieldsAreCutToTheCallersBuffers) {
    GameApi& a = api();
    ASSERT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    const std::string field(300, 'n');
    const std::string order = field + "@" + field + "@1@" + field + "@40000@" + field;
    startLobby(order.c_str());
    char name[100], extra[100];
    std::memset(name, '#', sizeof name);
    std::memset(extra, '#', sizeof extra);
    ASSERT_EQ(a.TS_IsGameAllowed(name, extra), TS_SUCCESS);
    EXPECT_EQ(std::strlen(name), 79u);
    EXPECT_EQ(std::strlen(extra), 79u);
    EXPECT_EQ(name[80], '#');
    EXPECT_EQ(extra[80], '#');
    // The address was cut too: it no longer names anything.
    EXPECT_EQ(a.TS_ConnectGame(), TS_ERROR_ADDRESS);
}

TEST_F(Mailbox, WithTheLobbyPresentButNoOrderTheGameWaits) {
    GameApi& a = api();
    ASSERT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    startLobby(nullptr);
    char name[80], extra[80];
    EXPECT_EQ(a.TS_IsGameAllowed(name, extra), TS_NO_START_ORDER);
    EXPECT_EQ(a.TS_StartTessaryInterface(), TS_ERROR_LOBBY_RUNNING);
    // Not started by the lobby: nothing is reported, as the lobby finds
    // when it next reads the block.
    EXPECT_EQ(a.TS_InformInterfaceGameFinished("@x"), TS_SUCCESS);
    ASSERT_EQ(kill(lobby, SIGUSR1), 0);
    ASSERT_TRUE(waitUntil([] { return lobbyLogText().find("looked") != std::string::npos; }))
        << "the fake lobby never read the block";
    EXPECT_EQ(lobbyLogText(), "looked\n");
}

TEST_F(Mailbox, ASecondCopyOfTheGameIsRefusedAndSeesNoLobby) {
    setenv("FAKE_LOBBY_AS", kGameName, 1);
    auto other = platform::spawnProgram(FAKE_LOBBY_PATH, {"fake_lobby"});
    ASSERT_TRUE(other);
    lobby = *other;
    GameApi& a = api();
    ASSERT_TRUE(waitUntil([&] {
        protocol::HandoffView onlooker;
        return protocol::OpenHandoff(onlooker, "onlooker", uint32_t(getpid())) &&
               protocol::WindowOf(onlooker, kGameName) == uint32_t(lobby);
    }));
    unsetenv("FAKE_LOBBY_AS");
    pid_t realLobby = 0;
    {
        auto pid = platform::spawnProgram(FAKE_LOBBY_PATH, {"fake_lobby"});
        ASSERT_TRUE(pid);
        realLobby = *pid;
        ASSERT_TRUE(waitUntil([&] { return lobbyVisible(); }));
    }

    EXPECT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_ERROR_ALREADY_PRESENT);
    char name[80], extra[80];
    EXPECT_EQ(a.TS_IsGameAllowed(name, extra), TS_ERROR_NO_LOBBY);
    endProgram(realLobby);

    // Once the other copy has gone, the game gets in.
    endProgram(lobby);
    lobby = 0;
    EXPECT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
}

TEST_F(Mailbox, StartingTheLobbyRunsTSClientFromTheRegistryDirectory) {
    GameApi& a = api();
    ASSERT_EQ(a.TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    EXPECT_EQ(a.TS_StartTessaryInterface(), TS_ERROR_NO_LOBBY);  // no registry entry

    const auto directory = scratch() / "lobby dir";
    std::filesystem::create_directories(directory);
    ASSERT_TRUE(platform::Registry::shared().set(R"(SOFTWARE\Quillon\Tessary Client)", "Directory", directory.string()));
    EXPECT_EQ(a.TS_StartTessaryInterface(), TS_ERROR_NO_LOBBY);  // no TSClient there

    std::filesystem::create_symlink(FAKE_LOBBY_PATH, directory / "TSClient");
    EXPECT_EQ(a.TS_StartTessaryInterface(), TS_SUCCESS);
    protocol::HandoffView onlooker;
    ASSERT_TRUE(protocol::OpenHandoff(onlooker, "onlooker", uint32_t(getpid())));
    lobby = pid_t(protocol::WindowOf(onlooker, "TSClient"));
    EXPECT_GT(lobby, 0);
    EXPECT_EQ(a.TS_StartTessaryInterface(), TS_ERROR_LOBBY_RUNNING);
}

}  // namespace
}  // namespace tessary::gamelib::testing
