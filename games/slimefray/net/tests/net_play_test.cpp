#include "slimefray/net_play.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include <unistd.h>

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;

struct FakeLink : GameLink {
    int32_t initialise(const std::string& game, int32_t window) override {
        calls.push_back("init " + game + " " + std::to_string(window));
        return 1;
    }
    void listen(LinkListener& l, const std::vector<uint8_t>& t) override {
        listener = &l;
        types = t;
    }
    int32_t startInterface() override { return startResult; }
    int32_t isGameAllowed(std::string& name, std::string& extra) override {
        calls.push_back("allowed");
        if (allowedResults.empty()) return 0;
        int32_t result = allowedResults.front();
        allowedResults.erase(allowedResults.begin());
        name = "alice";
        extra = optionLine;
        return result;
    }
    int32_t connect() override {
        calls.push_back("connect");
        return connectResult;
    }
    int32_t registration(const std::string& name) override {
        calls.push_back("register " + name);
        return 1;
    }
    int32_t engine() override {
        calls.push_back("engine");
        if (onEngine) onEngine(*listener);
        return 1;
    }
    std::string playerName(uint16_t id) override { return "n" + std::to_string(id); }
    int32_t sendToServer(uint8_t type, std::span<const uint8_t> body) override {
        sent.push_back({false, type, Bytes(body.begin(), body.end())});
        return 1;
    }
    int32_t sendToAllWithEcho(uint8_t type, std::span<const uint8_t> body) override {
        sent.push_back({true, type, Bytes(body.begin(), body.end())});
        return 1;
    }
    int32_t disconnect() override {
        calls.push_back("disconnect");
        return 1;
    }
    int32_t informFinished(const std::string& text) override {
        calls.push_back("finished '" + text + "'");
        return 1;
    }
    int32_t release() override {
        calls.push_back("free");
        return 1;
    }

    struct Sent {
        bool echo;
        uint8_t type;
        Bytes body;
    };
    LinkListener* listener = nullptr;
    std::vector<uint8_t> types;
    std::vector<std::string> calls;
    std::vector<Sent> sent;
    int32_t startResult = -18;
    std::vector<int32_t> allowedResults;
    int32_t connectResult = 1;
    std::string optionLine = "0 45 Meadow Duel 1";
    std::function<void(LinkListener&)> onEngine;
};

struct Quits : GameEvents {
    void quit(const std::string& message, int code) override { quits.emplace_back(message, code); }
    void chatLine(const std::string& text, int) override { chat.push_back(text); }
    void connectionNote(const std::string& text) override { notes.push_back(text); }
    std::vector<std::pair<std::string, int>> quits;
    std::vector<std::string> notes;
    std::vector<std::string> chat;
};

struct Rig {
    Rig() : directory(fs::temp_directory_path() / ("slimefray_net_" + std::to_string(::getpid()))) {
        fs::create_directories(directory / "map");
        std::ofstream(directory / "map" / "Duel.map") << "3\n000\n010\n000\n";
    }
    ~Rig() { fs::remove_all(directory); }

    fs::path directory;
    FakeLink link;
    Quits events;
    ClientGame game{events, directory};
    int64_t now = 0;
    NetPlay net{link, game, events, [this] { return now; }};
};

TEST(NetPlay, StartsOnlyWhenTheLobbyIsAlreadyRunning) {
    for (int32_t result : {-18, 1, -19}) {
        Rig rig;
        rig.link.startResult = result;
        EXPECT_EQ(rig.net.start(1234), result == -18);
        EXPECT_EQ(rig.link.calls.front(), "init SLIMEFRAY 1234");
        EXPECT_EQ(rig.events.quits.size(), result == -18 ? 0u : 1u);
    }
}

TEST(NetPlay, ListensToChatAndTypesElevenToThirtyThree) {
    Rig rig;
    ASSERT_TRUE(rig.net.start(1));
    std::vector<uint8_t> expected{1};
    for (uint8_t t = 11; t <= 33; ++t) expected.push_back(t);
    EXPECT_EQ(rig.link.types, expected);
}

TEST(NetPlay, PollsUntilAllowedThenConnectsRegistersAndDrivesTheEngine) {
    Rig rig;
    ASSERT_TRUE(rig.net.start(1));
    rig.link.allowedResults = {0, 0, 1};
    for (int i = 0; i < 5; ++i) rig.net.poll();
    EXPECT_EQ(rig.link.calls, (std::vector<std::string>{"init SLIMEFRAY 1", "allowed", "allowed", "allowed",
                                                        "connect", "register alice", "engine", "engine"}));
    EXPECT_EQ(rig.game.options().mapName, "Duel");
    EXPECT_TRUE(rig.net.connected());
}

TEST(NetPlay, EndsWithoutALobbyOrAServer) {
    Rig a;
    ASSERT_TRUE(a.net.start(1));
    a.link.allowedResults = {-19};
    a.net.poll();
    a.net.poll();
    ASSERT_EQ(a.events.quits.size(), 1u);
    EXPECT_EQ(a.events.quits[0].first, "");

    Rig b;
    ASSERT_TRUE(b.net.start(1));
    b.link.allowedResults = {1};
    b.link.connectResult = -6;
    b.net.poll();
    b.net.poll();
    ASSERT_EQ(b.events.quits.size(), 1u);
    EXPECT_EQ(b.events.quits[0].first, "No server available (connexion failed)");
    EXPECT_EQ(std::count(b.link.calls.begin(), b.link.calls.end(), "engine"), 0);
}

TEST(NetPlay, TheMasterSendsTheDescriptionAndTheMapToTheServer) {
    Rig rig;
    ASSERT_TRUE(rig.net.start(1));
    rig.link.allowedResults = {1};
    rig.link.optionLine = "1 30 Lava Duel 2";
    rig.net.poll();
    rig.link.onEngine = [](LinkListener& l) {
        l.ownId(7, 1, 2);
        l.newPlayer(8, "bob");
        l.newMaster(7);
    };
    rig.net.poll();
    ASSERT_EQ(rig.link.sent.size(), 2u);
    EXPECT_FALSE(rig.link.sent[0].echo);
    EXPECT_EQ(rig.link.sent[0].type, kGameDescription);
    EXPECT_EQ(GameDescription::decode(rig.link.sent[0].body)->expectedPlayers, 2);
    EXPECT_EQ(rig.link.sent[1].type, kMap);
    EXPECT_EQ(rig.link.sent[1].body, (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST(NetPlay, MessagesReachTheModelAndRequestsLeaveByTheirPath) {
    Rig rig;
    ASSERT_TRUE(rig.net.start(1));
    rig.link.allowedResults = {1};
    rig.net.poll();
    rig.link.onEngine = [](LinkListener& l) {
        uint8_t chat[] = {2, 0, 0, 0, 'h', 'i', 0};
        l.message(12, kChat, chat);
    };
    rig.net.poll();
    EXPECT_EQ(rig.events.chat, (std::vector<std::string>{"<n12> hi"}));
    rig.game.sendChat("yo");
    rig.game.endTurnCommand(0);  // not our turn: nothing
    rig.net.flush();
    ASSERT_EQ(rig.link.sent.size(), 1u);
    EXPECT_TRUE(rig.link.sent[0].echo);
    EXPECT_EQ(rig.link.sent[0].type, kChat);
}

TEST(NetPlay, ALostConnectionEndsTheProgramWithItsMessage) {
    Rig rig;
    ASSERT_TRUE(rig.net.start(1));
    rig.link.allowedResults = {1};
    rig.net.poll();
    rig.link.onEngine = [](LinkListener& l) { l.disconnected(); };
    rig.net.poll();
    rig.net.poll();
    ASSERT_EQ(rig.events.quits.size(), 1u);
    EXPECT_EQ(rig.events.quits[0].first, "Connection with the game server is broken");
}

// In a running game a drop is followed by a reconnection from the
// disconnection callback with the same name; a server that cannot be reached
// is tried once a second until the seat would be given up.
TEST(NetPlay, ADropInARunningGameReconnectsWithTheSameStartOrder) {
    Rig rig;
    ASSERT_TRUE(rig.net.start(1));
    rig.link.allowedResults = {1};
    rig.net.poll();
    rig.game.receive(0, kTurnBegins, int32Body({45, 1}), 0);
    ASSERT_TRUE(rig.game.started());

    rig.link.calls.clear();
    rig.link.onEngine = [&](LinkListener& l) {
        rig.link.onEngine = nullptr;
        l.disconnected();
    };
    rig.net.poll();
    EXPECT_EQ(rig.link.calls, (std::vector<std::string>{"engine", "connect", "register alice"}));
    EXPECT_EQ(rig.events.notes, (std::vector<std::string>{"Connection lost: reconnecting...", "Reconnected to the game server"}));
    EXPECT_TRUE(rig.events.quits.empty());
    const Bytes turn = int32Body({40, 1});
    rig.link.listener->message(0, kTurnBegins, turn);  // the game goes on on the new link

    rig.link.connectResult = -1;
    rig.link.calls.clear();
    rig.link.onEngine = [&](LinkListener& l) {
        rig.link.onEngine = nullptr;
        l.disconnected();
    };
    rig.now = 1000;
    rig.net.poll();
    for (int step = 1; step <= 4 * 61; ++step) {
        rig.now = 1000 + step * 250;
        rig.net.poll();
    }
    EXPECT_EQ(std::count(rig.link.calls.begin(), rig.link.calls.end(), "connect"), 61);
    EXPECT_EQ(std::count(rig.link.calls.begin(), rig.link.calls.end(), "engine"), 1) << "no engine while down";
    ASSERT_EQ(rig.events.quits.size(), 1u);
    EXPECT_EQ(rig.events.quits[0].first, "Connection with the game server is broken");
}

// The finish report is what brings the lobby back, so every way out
// leaves one, also before the first poll took the start order.
TEST(NetPlay, ShutdownReportsAndFreesTheLibraryFromEveryState) {
    struct Case {
        const char* what;
        bool polled;
        std::vector<std::string> calls;
    };
    for (const Case& c : {Case{"connected", true, {"disconnect", "finished ''", "free"}},
                          Case{"closed before the first poll", false, {"allowed", "finished ''", "free"}}}) {
        SCOPED_TRACE(c.what);
        Rig rig;
        ASSERT_TRUE(rig.net.start(1));
        rig.link.allowedResults = {1};
        if (c.polled) rig.net.poll();
        rig.link.calls.clear();
        rig.net.shutdown(std::chrono::milliseconds(0));
        EXPECT_EQ(rig.link.calls, c.calls);
    }
}

}  // namespace
}  // namespace tessary::slimefray
