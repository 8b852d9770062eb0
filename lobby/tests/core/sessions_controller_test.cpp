#include "lobby/sessions_controller.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;
using testing::answerTo;

using testing::fake;
using testing::LobbyStage;
using Session = testing::FakeClient::Session;

// CHAT, then SLIMEFRAY (2-8 players, up to 2 spectators, one spin option),
// then POKER (no spectators, no options, a full name of its own).
SessionGames games() {
    const auto game = [](const char* name, const char* config, const char* exec, const char* arg) {
        SessionGame g;
        g.name = name;
        g.version = "1.0";
        g.exec = exec;
        g.arg = arg;
        skin::SkinFile file;
        file.openBytes(config, "config.tsc", false);
        g.layout = skin::readSessionOptionsLayout(file, name);
        return g;
    };
    constexpr const char* kButtons = "[BUTTON] 0 0 1 1 0 0 1 1 2 8 0 0 1 1 0 0 1 1 0 0 1 1 0 0 1 1";
    SessionGames all;
    all.add(game("CHAT", (std::string("[PAGE_INFO] 1 0 ") + kButtons).c_str(), "", ""));
    all.add(game("SLIMEFRAY",
                 (std::string("[SPECTATOR] 0 0 1 1 0 2 [PAGE_INFO] 1 1 SPIN 0 0 1 1 10 600 45 ") + kButtons).c_str(),
                 "games/slimefray/Slimefray", ""));
    auto poker = game("POKER", (std::string("[PAGE_INFO] 1 0 ") + kButtons).c_str(), "games/poker/poker", "-table");
    poker.fullName = "Poker (five-card draw)";
    all.add(std::move(poker));
    return all;
}

void ready(LobbyStage& s) {
    s.inArena();
    s.lobby.sessions().setGames(games());
    LobbyFlow::WallClock clock{[] { return int64_t{0}; }, [] {}};
    ASSERT_TRUE(s.flow.initialiseSharedMemory(1, clock));
}

Session duel(int32_t state = 0) { return {"Duel", "SLIMEFRAY", "Bob", 4, 2, 2, 1, state, {"Bob", "Ann"}, {"Cy"}}; }

// The player sits in "Duel" (a Slimefray table mastered by Bob).
void seatedIn(LobbyStage& s, int32_t state) {
    ready(s);
    fake().sessionList = {duel(state)};
    s.deliver(SESSIONLIST);
}
void seated(LobbyStage& s) { seatedIn(s, 0); }

using SessionsTest = testing::LobbyFixture;

const auto deliver = [](int32_t type) { return [type](LobbyStage& s) { s.deliver(type); }; };

TEST(SessionsTable, MessagesAndCommands) {
    const testing::Row rows[] = {
        {"session list (20): members flagged, own session found",
         [](LobbyStage& s) {
             ready(s);
             fake().sessionList = {duel(8), {"Talk", "CHAT", "Dee", 8, 1, 0, 0, 8, {"Dee"}, {}}};
         },
         deliver(SESSIONLIST),
         {"member Bob Duel 3", "member Ann Duel 3", "member Cy Duel 5", "member Dee Talk 1", "inSession Duel",
          "sessions"}},
        {"new session (36) of mine", [](LobbyStage& s) { ready(s), fake().sessionNew.master = "Ann"; },
         deliver(SESSIONNEW), {"enable start", "sessions"}},
        {"new chat session (36) of mine",
         [](LobbyStage& s) { ready(s), fake().sessionNew.master = "Ann", fake().sessionNew.game = "CHAT"; },
         deliver(SESSIONNEW), {"sessions"}},
        {"session removed (43)", seated, deliver(SESSIONREMOVE), {"sessions"}},
        {"session started (60): its members highlighted", seated, deliver(UPDATESESSIONSTATE),
         {"member Bob Duel 3", "member Ann Duel 3", "member Cy Duel 5", "sessions"}},
        {"master changed (57) to me", [](LobbyStage& s) { seated(s), fake().otherName = "Ann"; }, deliver(MASTERCHANGED),
         {"enable start", "sessions"}},
        {"another player joins my session (40)", [](LobbyStage& s) { seated(s), fake().otherName = "Eve"; },
         deliver(JOINNEW), {"member Eve Duel 2", "chat 27 Eve", "sessions"}},
        {"I join (40)", [](LobbyStage& s) { ready(s), fake().sessionList = {duel()}, s.deliver(SESSIONLIST), s.lobby.sessions().leave(), fake().otherName = "Ann", fake().sessionName = "Duel"; },
         deliver(JOINNEW), {"member Ann Duel 2", "inSession Duel", "chat 27 Ann", "sessions"}},
        {"I leave (42)", [](LobbyStage& s) { seated(s), fake().otherName = "Ann"; }, deliver(JOINLEAVE),
         {"member Ann  0", "chat 28 Ann", "inSession ", "sessions"}},
        {"create: empty name", ready,
         [](LobbyStage& s) { s.lobby.sessions().create(1, {"  ", 4, 0, "", "45 "}); },
         {"message 83/84", "focus 1033"}},
        {"create: too many players", ready,
         [](LobbyStage& s) { s.lobby.sessions().create(1, {"Duel", 9, 0, "", "45 "}); },
         {"formatted 85 2 8 / TSClient", "focus 1034"}},
        {"create: too many spectators", ready,
         [](LobbyStage& s) { s.lobby.sessions().create(1, {"Duel", 4, 3, "", "45 "}); },
         {"formatted 85 0 2 / TSClient", "focus 1040"}},
        {"create: an option missing", ready,
         [](LobbyStage& s) { s.lobby.sessions().create(1, {"Duel", 4, 0, "", "ERROR"}); }, {"message 86/84"}},
        {"create: player or spectator cancelled",
         [](LobbyStage& s) { ready(s), s.view.spectatorAnswer.reset(); },
         [](LobbyStage& s) { s.lobby.sessions().create(1, {"Duel", 4, 0, "", "45 "}); }, {"askSpectator"}},
        {"create: sent", ready, [](LobbyStage& s) { s.lobby.sessions().create(1, {" Duel ", 4, 1, "pw", "45 "}); },
         {"askSpectator", "busy", "hideCreate"}},
        {"create: poker asks nothing", ready,
         [](LobbyStage& s) { s.lobby.sessions().create(2, {"Cards", 3, 0, "", ""}); }, {"busy", "hideCreate"}},
        {"create refused (33)",
         [](LobbyStage& s) { ready(s), fake().createSession = {kAnswerFailure, "taken"}; }, deliver(answerTo(CREATESESSION)),
         {"serverText taken", "enable create"}},
        {"join: leave, then information", ready, [](LobbyStage& s) { s.lobby.sessions().join("Duel"); },
         {"busy"}},
        {"join without a session", ready, [](LobbyStage& s) { s.lobby.sessions().join(""); }, {"message 51/1"}},
        {"information for a join (24): private, with spectators",
         [](LobbyStage& s) {
             seatedIn(s, kSessionPrivate);
             fake().infoOptions = "120";
             s.lobby.sessions().join("Duel");
         },
         deliver(answerTo(GETSESSIONINFO)), {"notBusy", "askPassword", "askSpectator", "busy"}},
        {"information for a join (24): not compatible",
         [](LobbyStage& s) { seated(s), fake().infoOptions = "5", s.lobby.sessions().join("Duel"); }, deliver(answerTo(GETSESSIONINFO)),
         {"notBusy", "message 79/80"}},
        {"information only (24)",
         [](LobbyStage& s) { seated(s), fake().infoOptions = "120", s.lobby.sessions().askInformation("Duel"); },
         deliver(answerTo(GETSESSIONINFO)), {"notBusy", "information 1 Duel 120"}},
        {"information only (24): not shown",
         [](LobbyStage& s) { seated(s), fake().infoOptions = "120 x", s.lobby.sessions().askInformation("Duel"); },
         deliver(answerTo(GETSESSIONINFO)), {"notBusy", "formatted 81 / text 82Duel"}},
        {"information refused (24)",
         [](LobbyStage& s) { seated(s), fake().sessionInfo = {kAnswerFailure, "gone"}; }, deliver(answerTo(GETSESSIONINFO)),
         {"serverText gone"}},
        {"join refused (37)", [](LobbyStage& s) { ready(s), fake().joinSession = {kAnswerFailure, "full"}; },
         deliver(answerTo(JOINSESSION)), {"serverText full"}},
        {"begin outside a session", ready, [](LobbyStage& s) { s.lobby.sessions().begin(); }, {}},
        {"begin", seated, [](LobbyStage& s) { s.lobby.sessions().begin(); }, {"busy"}},
        {"begin refused (49)", [](LobbyStage& s) { seated(s), fake().beginGame = {kAnswerFailure, "alone"}; },
         deliver(answerTo(BEGINGAME)), {"serverText alone"}},
        {"game start (202)", seated, deliver(STARTGAME), {"minimiseMain"}},
        {"game start (202) while another game runs, declined",
         [](LobbyStage& s) { seated(s), fake().startedGame = "POKER", s.view.answer = MessageResult::Cancel; },
         deliver(STARTGAME), {"formatted 78 POKER / TSClient"}},
        {"game start (202) refused by the library",
         [](LobbyStage& s) { seated(s), fake().startResult = 0; }, deliver(STARTGAME),
         {"minimiseMain", "restoreMain", "busy", "notBusy", "busy", "message 87/1"}},
        {"game start (202) outside a session", ready, deliver(STARTGAME), {}},
    };
    testing::runRows(rows);
}

TEST_F(SessionsTest, SessionRequestsCarryTheirValues) {
    ready(*this);
    auto& sessions = lobby.sessions();
    view.spectatorAnswer = true;
    ASSERT_TRUE(sessions.create(1, {" Duel ", 4, 1, "pw", "120 "}));
    ASSERT_EQ(fake().created.size(), 1u);
    const auto& c = fake().created[0];
    EXPECT_EQ(c.name, "Duel");
    EXPECT_EQ(c.game, "SLIMEFRAY");
    EXPECT_EQ(c.version, "1.0");
    EXPECT_EQ(c.options, "120 ");
    EXPECT_EQ(c.password, "pw");
    EXPECT_EQ(c.spectator, 1);

    // The Arena announces it; the creator's join gives the entry its options.
    fake().sessionNew = duel();
    fake().sessionNew.master = "Ann";
    deliver(SESSIONNEW);
    fake().otherName = "Ann";
    deliver(JOINNEW);
    ASSERT_NE(sessions.find("Duel"), nullptr);
    EXPECT_EQ(sessions.find("Duel")->options, "120 ");
    EXPECT_EQ(sessions.model().joined, "Duel");

    // Joining another: leave, then information, then the join itself.
    fake().sessionNew = {"Other", "SLIMEFRAY", "Bob", 4, 0, 2, 0, kSessionPrivate, {}, {}};
    deliver(SESSIONNEW);
    sessions.join("Other");
    EXPECT_EQ(fake().leaves, 1);
    EXPECT_EQ(fake().infoRequests, std::vector<std::string>{"Other"});
    fake().sessionName = "Other";
    fake().infoOptions = "60";
    view.spectatorAnswer = false;
    deliver(answerTo(GETSESSIONINFO));
    ASSERT_EQ(fake().sessionJoins.size(), 1u);
    EXPECT_EQ(fake().sessionJoins[0].name, "Other");
    EXPECT_EQ(fake().sessionJoins[0].password, "secret");
    EXPECT_EQ(fake().sessionJoins[0].version, "1.0");
    EXPECT_EQ(fake().sessionJoins[0].spectator, 0);
}

TEST_F(SessionsTest, GameStartHandsOverAndComesBackToTheArena) {
    seated(*this);
    fake().startAddress = std::string(100, 'x');  // more than the 64 bytes a start message holds
    deliver(STARTGAME);
    ASSERT_EQ(fake().starts.size(), 1u);
    const auto& start = fake().starts[0];
    EXPECT_EQ(start.user, "Ann");
    EXPECT_EQ(start.game, "SLIMEFRAY");
    EXPECT_EQ(start.line, "games/slimefray/Slimefray");
    EXPECT_EQ(start.arenaHost, "127.0.0.1");
    EXPECT_EQ(start.arenaPort, 7001);
    EXPECT_EQ(start.server, std::string(64, 'x'));
    EXPECT_EQ(start.port, 7005);
    EXPECT_EQ(flow.state(), LobbyState::InGame);
    EXPECT_TRUE(flow.gameRunning());
    EXPECT_TRUE(view.minimised);

    // The finish report brings the lobby back to the same Arena, where the
    // new session list no longer has the table.
    fake().gameFinished = 1;
    fake().finishedPort = 7001;
    flow.poll();
    EXPECT_FALSE(flow.gameRunning());
    ASSERT_FALSE(fake().connects.empty());
    EXPECT_EQ(fake().connects.back().port, 7001);
    deliver(answerTo(LOGINARENA));
    EXPECT_EQ(flow.state(), LobbyState::InArena);
    fake().sessionList.clear();
    deliver(SESSIONLIST);
    EXPECT_TRUE(lobby.sessions().model().sessions.empty());
    EXPECT_TRUE(lobby.sessions().model().joined.empty());
}

TEST_F(SessionsTest, AFailedStartLeavesTheSessionInTheArena) {
    seated(*this);
    fake().startResult = 0;
    deliver(STARTGAME);
    EXPECT_FALSE(flow.gameRunning());
    EXPECT_EQ(fake().leaves, 1);
    EXPECT_FALSE(view.minimised);
    deliver(answerTo(LOGINARENA));
    EXPECT_EQ(flow.state(), LobbyState::InArena);
}

TEST(SessionRules, LaunchLines) {
    struct Case {
        const char* game;
        const char* exec;
        const char* arg;
        const char* line;
    } cases[] = {
        {"SLIMEFRAY", "games/slimefray/Slimefray", "", "games/slimefray/Slimefray"},
        {"POKER", "games/poker/poker", "-table 2", "games/poker/poker|-table 2"},
        {"TURBOHOLLERS", "games/th/th -fast -x", "", "games/th/th|-fast -x"},
        {"TURBOHOLLERS", "games/th/th -fast", "-slow", "games/th/th -fast|-slow"},
        {"OTHER", "games/o/o -fast", "", "games/o/o -fast"},
    };
    for (const Case& c : cases) EXPECT_EQ(launchLine(c.game, c.exec, c.arg), c.line) << c.game;
    EXPECT_EQ(launchLine("X", std::string(300, 'e'), "").size(), 255u);
}

TEST(SessionRules, GameNamesFromTheArena) {
    const SessionGames installed = games();
    struct Case {
        std::string name;
        std::size_t index;
    } cases[] = {
        {"CHAT", 0}, {"POKER", 2}, {"poker", 3}, {"../POKER", 3}, {"POKER/..", 3}, {"a/b", 3},
        {"a\\b", 3}, {"..", 3}, {"", 3}, {std::string(33, 'A'), 3}, {"PO\nKER", 3},
    };
    for (const Case& c : cases) EXPECT_EQ(installed.indexOf(c.name), c.index) << c.name;
    // A player card's game rows: the exact name gets the full name.
    EXPECT_EQ(installed.title("POKER"), "Poker (five-card draw)");
    EXPECT_EQ(installed.title("poker"), "poker");
    EXPECT_FALSE(installed.accepts("../POKER", ""));
    EXPECT_TRUE(installed.accepts("POKER", " "));
}

TEST(SessionRules, SessionNameFilter) {
    struct Case {
        std::string typed, kept;
        std::optional<std::size_t> caret;
    } cases[] = {
        {"Ann's table-1", "Ann's table-1", std::nullopt},
        {"a_b", "ab", 1},
        {"_x_", "x_", 0},
        {"\xe9t\xe9", "t\xe9", 0},
    };
    for (Case c : cases) {
        const auto caret = filterSessionName(c.typed);
        EXPECT_EQ(c.typed, c.kept);
        EXPECT_EQ(caret, c.caret);
    }
}

TEST(SessionRules, TileOverlaysAndMemberMenu) {
    struct Case {
        int32_t state, players;
        TileOverlay overlay;
    } cases[] = {
        {0, 1, TileOverlay::None},
        {kSessionPrivate, 1, TileOverlay::None},
        {kSessionStarted, 1, TileOverlay::Started},
        {kSessionStarted | kSessionOpenWhileStarted, 3, TileOverlay::Open},
        {kSessionStarted | kSessionOpenWhileStarted, 4, TileOverlay::Started},
    };
    for (const Case& c : cases) {
        SessionEntry entry;
        entry.state = c.state;
        entry.players = c.players;
        entry.maxPlayers = 4;
        EXPECT_EQ(tileOverlay(entry), c.overlay) << c.state << " " << c.players;
    }

    SessionEntry crowd;
    crowd.master = "p3";
    for (int i = 0; i < 30; ++i) crowd.members.push_back({"p" + std::to_string(i), false});
    const auto items = memberMenuItems(crowd);
    ASSERT_EQ(items.size(), 25u);
    EXPECT_EQ(items[0], "-  p0");
    EXPECT_EQ(items[3], "-  p3 (MASTER)");
}

}  // namespace
}  // namespace tessary::lobby

namespace tessary::lobby {
namespace {

TEST(SessionGamesCatalogue, FromTheRegistry) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tessary-catalogue-" + std::to_string(::getpid()));
    const auto install = [&](const std::string& folder, const char* config) {
        fs::create_directories(root / folder);
        if (config) std::ofstream(root / folder / "config.tsc") << config;
    };
    constexpr const char* kConfig = "[PAGE_INFO] 1 0 [BUTTON] 0 0 1 1 0 0 1 1 2 8 0 0 1 1 0 0 1 1 0 0 1 1 0 0 1 1";
    install("games/poker", kConfig);
    install("games/chat", kConfig);
    install("games/broken", "[PAGE_INFO] 1");
    platform::Registry registry(root / "registry.ini");
    const std::string games(platform::kGamesKeyPath);
    ASSERT_TRUE(registry.set(games + "POKER", "directory", "games/poker/"));
    ASSERT_TRUE(registry.set(games + "POKER", "exec", "games/poker/poker"));
    ASSERT_TRUE(registry.set(games + "GONE", "directory", "games/gone/"));
    ASSERT_TRUE(registry.set(games + "EMPTY", "directory", ""));
    ASSERT_TRUE(registry.set(games + "BROKEN", "directory", "games/broken"));
    ASSERT_TRUE(registry.set(games + "..", "directory", "games/poker/"));
    ASSERT_TRUE(registry.set(games + "CHAT", "directory", (root / "games/chat").string()));
    ASSERT_TRUE(registry.set(games + "CHAT", "exec", "talk"));

    const SessionGames found = SessionGames::fromRegistry(registry, root, root / "cache");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found.at(0).name, "CHAT");
    EXPECT_EQ(found.at(1).name, "POKER");
    // A bare program name lies in the game's folder, a relative path below the application folder.
    EXPECT_EQ(found.at(0).exec, (root / "games/chat" / "talk").string());
    EXPECT_EQ(found.at(1).exec, (root / "games/poker/poker").string());
    EXPECT_EQ(found.at(1).fullName, "POKER");
    fs::remove_all(root);
}

}  // namespace
}  // namespace tessary::lobby
