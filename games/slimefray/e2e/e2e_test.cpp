// Whole Slimefray games across processes: tessaryd (with its referee) on
// loopback; per player a lobby stand-in that starts the headless player
// through libTSClient's hand-off, each under its own shared-memory prefix and
// registry file as separate machines would be. The players' boards must agree
// at every turn and at the end, and the winner's result must be stored.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "platform/testing/test_objects.h"
#include "test_client.h"

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;
using namespace protocol;
using server::Body;
using server::TestClient;
using server::request;

uint16_t freeTcpPort(int type = SOCK_STREAM) {
    int fd = ::socket(AF_INET, type, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool udpPortFree(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return free;
}

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& output) {
    std::vector<char*> argv, envp;
    std::vector<std::string> a = args, e = env;
    for (std::string& s : a) argv.push_back(s.data());
    argv.push_back(nullptr);
    for (std::string& s : e) envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // A group of its own, which the programs it starts join: the test can
    // end them all, whatever happened.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for `pid` at most `seconds`; kills it after that. The exit code, or -1.
int reap(pid_t pid, int seconds) {
    int status = 0;
    for (int i = 0; i < seconds * 20; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

struct TraceFile {
    int slot = -1;
    std::vector<std::string> turns;  // "<slot> <board>"
    std::string over;
    std::vector<std::string> problems;
    std::vector<std::string> links;  // what the program said about its link
    std::optional<size_t> reconnectedAt;  // turns seen before it said it was back
};

TraceFile readTrace(const fs::path& path) {
    TraceFile trace;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("slot ", 0) == 0) trace.slot = std::stoi(line.substr(5));
        else if (line.rfind("turn ", 0) == 0) trace.turns.push_back(line.substr(5));
        else if (line.rfind("over ", 0) == 0) trace.over = line.substr(5);
        else if (line.rfind("link ", 0) == 0) {
            trace.links.push_back(line.substr(5));
            if (line.find("Reconnected") != std::string::npos) trace.reconnectedAt = trace.turns.size();
        } else trace.problems.push_back(line);
    }
    return trace;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<int, int> blobCounts(const std::string& board) {
    std::map<int, int> counts;
    // Each cell is four characters; rows end with '/'.
    size_t at = 0;
    while (at < board.size()) {
        if (board[at] == '/') {
            ++at;
            continue;
        }
        char owner = board[at + 1];
        if (owner >= '0' && owner <= '7') ++counts[owner - '0'];
        at += 4;
    }
    return counts;
}

class SlimefrayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = fs::temp_directory_path() / ("slimefray-e2e-" + std::to_string(::getpid()));
        fs::remove_all(scratch_);
        fs::create_directories(scratch_);
        do {
            routerPort_ = freeTcpPort();
            arenaPort_ = freeTcpPort();
            gamePort_ = freeTcpPort();
        } while (routerPort_ == arenaPort_ || arenaPort_ == gamePort_ || gamePort_ == routerPort_ ||
                 !udpPortFree(uint16_t(gamePort_ + 1)));
        std::ofstream(scratch_ / "tessaryd.conf")
            << "[storage]\ndatabase = " << (scratch_ / "db.sqlite").string() << "\n\n"
            << "[password]\nopslimit = 1\nmemlimit = 8192\n\n"
            << "[router]\nname = Tessary\nlisten = 127.0.0.1:" << routerPort_ << "\npublic_host = 127.0.0.1\n"
            << "client_version = 1.0\nclient_version_mandatory = no\n\n"
            << "[arena]\nname = Arena 1\nlisten = 127.0.0.1:" << arenaPort_ << "\npublic_host = 127.0.0.1\n\n"
            << "[gameserver]\nlisten = 127.0.0.1:" << gamePort_ << "\npublic_host = 127.0.0.1\n\n"
            << "[limits]\ncomputer_delay_ms = 20\nseat_keep_seconds = " << seatKeepSeconds() << "\n";
        tessaryd_ = spawn({TESSARYD_PATH, "--config", (scratch_ / "tessaryd.conf").string()},
                          {"HOME=" + scratch_.string()}, scratch_ / "tessaryd.log");
        ASSERT_GT(tessaryd_, 0);
        bool up = false;
        for (int i = 0; i < 100 && !up; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            up = TestClient(routerPort_).connected();
        }
        ASSERT_TRUE(up) << "tessaryd did not come up";
    }

    void TearDown() override {
        // Lobbies and their games left by a failure.
        for (pid_t group : groups_) {
            ::kill(-group, SIGKILL);
            ::waitpid(group, nullptr, WNOHANG);
        }
        if (tessaryd_ > 0) {
            ::kill(tessaryd_, SIGTERM);
            reap(tessaryd_, 10);
        }
        platform::testing::removeShmObjects(shmPrefix());
        // A failed game's logs and traces are what tells why; keep them.
        if (HasFailure()) {
            std::printf("logs and traces kept in %s\n", scratch_.c_str());
            return;
        }
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    static std::string shmPrefix() { return platform::testing::shmPrefix("sfe2e-"); }
    virtual int seatKeepSeconds() const { return 60; }

    // Creates the account and enters the arena; the connection stays open.
    std::unique_ptr<TestClient> enterArena(const std::string& name) {
        TestClient router(routerPort_);
        Body form;
        form.text(name).text("pw").text("First").text("Last").text("France").text("mail@example.org");
        form.text("Plays blobs.").i8(0).i32(1).i32(2);
        router.send(request(NEWUSERREQUEST, form));
        auto created = router.waitAnswer(NEWUSERREQUEST, 10000);
        EXPECT_TRUE(created && created->type == TSSUCCESS) << (created ? server::failText(*created) : "no answer");
        router.send(request(CONNECTIONREQUEST, Body().text("Arena 1")));
        auto admitted = router.waitAnswer(CONNECTIONREQUEST, 5000);
        EXPECT_TRUE(admitted && admitted->type == TSSUCCESS);
        auto arena = std::make_unique<TestClient>(arenaPort_);
        arena->send(request(LOGINARENA, Body().text(name), kModuleArena));
        auto entered = arena->waitAnswer(LOGINARENA, 5000);
        EXPECT_TRUE(entered && entered->type == TSSUCCESS) << (entered ? server::failText(*entered) : "no answer");
        return arena;
    }

    // The games list of a player's information card, as "game: statistics".
    std::string cardGames(TestClient& arena, const std::string& name) {
        arena.drain(100);
        arena.send(request(GETPLAYERINFO, Body().text(name), kModuleArena));
        auto answer = arena.waitAnswer(GETPLAYERINFO, 5000);
        if (!answer || answer->type != TSSUCCESS) return "no card";
        const ValueList* card = answer->body.list(1);
        const ValueList* games = card ? card->list(8) : nullptr;
        std::string text;
        for (size_t i = 0; games && i < games->size(); ++i) {
            const ValueList* entry = games->list(i);
            if (entry && entry->text(0) && entry->text(1)) text += *entry->text(0) + ": " + *entry->text(1) + ";";
        }
        return text;
    }

    fs::path scratch_;
    uint16_t routerPort_ = 0, arenaPort_ = 0, gamePort_ = 0;
    pid_t tessaryd_ = -1;
    std::vector<pid_t> groups_;  // process groups of the lobbies started
};

struct Table {
    std::vector<std::string> names;
    std::string options;
    std::string map;
};

// What each player's program saw of one whole game.
struct Played {
    std::vector<TraceFile> traces;
};

class SlimefrayGames : public SlimefrayEndToEnd {
protected:
    // Creates the session, begins it, runs one headless player per name until
    // the game ends, and checks that every program saw the same game and
    // that every player's card shows the result.
    Played play(const Table& table, int tableNumber) {
        Played played;
        std::vector<std::unique_ptr<TestClient>> arenas;
        for (const std::string& name : table.names) arenas.push_back(enterArena(name));
        if (HasFailure()) return played;
        const std::string session = "Table" + std::to_string(tableNumber);
        Body create;
        create.text(session).text("SLIMEFRAY").text("1.0").i32(0).i32(8).i32(0);
        create.text(table.options).text("").i8(0);
        arenas[0]->send(request(CREATESESSION, create, kModuleArena));
        auto created = arenas[0]->waitAnswer(CREATESESSION, 5000);
        EXPECT_TRUE(created && created->type == TSSUCCESS) << (created ? server::failText(*created) : "no answer");
        for (size_t i = 1; i < arenas.size(); ++i) {
            arenas[i]->send(request(JOINSESSION, Body().text(session).text("").text("1.0").i8(0), kModuleArena));
            auto joined = arenas[i]->waitAnswer(JOINSESSION, 5000);
            EXPECT_TRUE(joined && joined->type == TSSUCCESS) << (joined ? server::failText(*joined) : "no answer");
        }
        arenas[0]->send(request(BEGINGAME, {}, kModuleArena));
        for (auto& arena : arenas) {
            auto start = arena->waitFor(STARTGAME, 5000);
            EXPECT_TRUE(start);
            if (!start) return played;
        }
        std::vector<pid_t> lobbies;
        for (size_t i = 0; i < table.names.size(); ++i) {
            lobbies.push_back(startPlayer(table, session, tableNumber, i));
            if (lobbies.back() <= 0) return played;
        }
        for (pid_t lobby : lobbies) EXPECT_EQ(reap(lobby, 200), 0) << "a game did not report its end";
        played.traces = checkTraces(table, session);
        if (played.traces.empty()) return played;
        EXPECT_NE(readFile(scratch_ / "tessaryd.log").find(session + ": game over: "), std::string::npos)
            << "the service logs the end of the table";
        checkCards(table, played.traces, tableNumber);
        return played;
    }

    fs::path machine(const std::string& session, const std::string& name) const {
        return scratch_ / (session + "-" + name);
    }

    // Starts player `i`'s lobby stand-in, which starts its headless game.
    pid_t startPlayer(const Table& table, const std::string& session, int tableNumber, size_t i,
                      std::vector<std::string> extraEnv = {}) {
        const fs::path home = machine(session, table.names[i]);
        fs::create_directories(home / "game" / "map");
        fs::create_directories(home / "runtime");
        fs::permissions(home / "runtime", fs::perms::owner_all);
        fs::copy_file(fs::path(SLIMEFRAY_DIST_DIR) / "map" / (table.map + ".map"),
                      home / "game" / "map" / (table.map + ".map"), fs::copy_options::skip_existing);
        std::ofstream(home / "registry.ini") << "[SOFTWARE\\Quillon\\Tessary Client]\nDirectory=" << TESSARY_DIST
                                             << "\n";
        std::vector<std::string> env{
            "TESSARY_SHM_PREFIX=" + shmPrefix() + session + "-" + std::to_string(i) + "-",
            "TESSARY_REGISTRY=" + (home / "registry.ini").string(),
            "XDG_RUNTIME_DIR=" + (home / "runtime").string(),
            "HOME=" + home.string(),
            "SLIMEFRAY_GAME_DIR=" + (home / "game").string(),
            "SLIMEFRAY_TRACE=" + (home / "trace.txt").string(),
            "SLIMEFRAY_STYLE=" + std::to_string(i % 3),
            "SLIMEFRAY_SEED=" + std::to_string(17 * tableNumber + int(i)),
        };
        for (const std::string& extra : extraEnv) {
            const std::string name = extra.substr(0, extra.find('=') + 1);
            std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
            env.push_back(extra);
        }
        const pid_t lobby = spawn({LOBBY_STAND_IN_PATH, TSCLIENT_LIBRARY_PATH, table.names[i], "SLIMEFRAY",
                                   table.options, std::string(HEADLESS_PLAYER_PATH) + "|", "127.0.0.1",
                                   std::to_string(arenaPort_), "127.0.0.1", std::to_string(gamePort_)},
                                  env, home / "lobby.log");
        EXPECT_GT(lobby, 0);
        if (lobby > 0) groups_.push_back(lobby);
        return lobby;
    }

    // Every program saw the same turns and the same end, each in its own slot.
    std::vector<TraceFile> checkTraces(const Table& table, const std::string& session) {
        std::vector<TraceFile> seen;
        for (const std::string& name : table.names) seen.push_back(readTrace(machine(session, name) / "trace.txt"));
        std::set<int> slots;
        for (size_t i = 0; i < seen.size(); ++i) {
            SCOPED_TRACE(table.names[i]);
            slots.insert(seen[i].slot);
            EXPECT_FALSE(seen[i].over.empty()) << "no end of game";
            EXPECT_FALSE(seen[i].turns.empty());
            EXPECT_EQ(seen[i].turns, seen[0].turns) << "boards differ between players";
            EXPECT_EQ(seen[i].over, seen[0].over);
            for (const std::string& problem : seen[i].problems) ADD_FAILURE() << problem;
        }
        EXPECT_EQ(slots.size(), table.names.size());
        if (HasFailure()) return {};
        std::printf("%zu players: %zu turns, final board %s\n", table.names.size(), seen[0].turns.size(),
                    seen[0].over.c_str());
        return seen;
    }

    // The result is on every player's information card.
    void checkCards(const Table& table, const std::vector<TraceFile>& seen, int tableNumber) {
        auto observer = enterArena("Obs" + std::string(1, char('a' + tableNumber)));
        std::map<int, int> counts = blobCounts(seen[0].over);
        int best = 0;
        for (auto [slot, count] : counts) best = std::max(best, count);
        for (size_t i = 0; i < table.names.size(); ++i) {
            const std::string games = cardGames(*observer, table.names[i]);
            const bool winner = counts[seen[i].slot] == best && best > 0;
            EXPECT_NE(games.find(winner ? "SLIMEFRAY: played 1, won 1" : "SLIMEFRAY: played 1, won 0"),
                      std::string::npos)
                << table.names[i] << " has " << counts[seen[i].slot] << " blobs: " << games;
        }
    }
};

TEST_F(SlimefrayGames, CompleteGamesBetweenSeparateMachines) {
    const Table tables[] = {
        {{"Ann", "Bob"}, "0 45 Meadow Duel 2", "Duel"},
        {{"Cid", "Dan", "Eve"}, "1 30 Cavern Duel 2", "Duel"},
        {{"Fay", "Gus", "Hal", "Ivy"}, "0 20 Lava Arena 1", "Arena"},
    };
    int tableNumber = 0;
    for (const Table& table : tables) {
        SCOPED_TRACE(std::to_string(table.names.size()) + " players");
        const Played played = play(table, ++tableNumber);
        ASSERT_FALSE(played.traces.empty());
        EXPECT_GT(played.traces[0].turns.size(), table.names.size());
    }
}

// A lone player asks for three computer players of each level: the referee
// seats them after the player, they play every one of their turns, the game
// ends and the player's card shows it.
TEST_F(SlimefrayGames, ALonePlayerAgainstThreeComputerPlayers) {
    const Table tables[] = {
        {{"Kim"}, "0 20 Lava Arena 1 3 0", "Arena"},
        {{"Lou"}, "1 20 Cavern Duel 2 3 1", "Duel"},
    };
    int tableNumber = 10;
    for (const Table& table : tables) {
        SCOPED_TRACE(table.options);
        const Played played = play(table, ++tableNumber);
        ASSERT_FALSE(played.traces.empty());
        const TraceFile& trace = played.traces[0];
        EXPECT_EQ(trace.slot, 0);
        std::set<int> movers;
        for (const std::string& turn : trace.turns) movers.insert(turn[0] - '0');
        EXPECT_EQ(movers, (std::set<int>{0, 1, 2, 3})) << "every computer player takes turns";
        const std::string lobbyLog = readFile(machine("Table" + std::to_string(tableNumber), table.names[0]) / "lobby.log");
        EXPECT_NE(lobbyLog.find("finished"), std::string::npos) << lobbyLog;
    }
}

// Keeping a seat. Mia's program loses its link in the fourth turn (the game
// library's test hook) and reconnects by itself; Ned's program is killed
// outright and started again with the same start order. Both come back to
// their seats with the referee's whole board and play the game to its end.
TEST_F(SlimefrayGames, DroppedLinksAndARestartedProgramKeepTheirSeats) {
    const Table table{{"Mia", "Ned"}, "0 20 Lava Arena 0", "Arena"};
    const std::string session = "Table21";
    std::vector<std::unique_ptr<TestClient>> arenas;
    for (const std::string& name : table.names) arenas.push_back(enterArena(name));
    ASSERT_FALSE(HasFailure());
    Body create;
    create.text(session).text("SLIMEFRAY").text("1.0").i32(0).i32(2).i32(0).text(table.options).text("").i8(0);
    arenas[0]->send(request(CREATESESSION, create, kModuleArena));
    ASSERT_TRUE(arenas[0]->waitAnswer(CREATESESSION, 5000));
    arenas[1]->send(request(JOINSESSION, Body().text(session).text("").text("1.0").i8(0), kModuleArena));
    ASSERT_TRUE(arenas[1]->waitAnswer(JOINSESSION, 5000));
    arenas[0]->send(request(BEGINGAME, {}, kModuleArena));
    for (auto& arena : arenas) ASSERT_TRUE(arena->waitFor(STARTGAME, 5000));

    const fs::path mia = machine(session, "Mia"), ned = machine(session, "Ned");
    const pid_t miaLobby = startPlayer(table, session, 21, 0,
                                       {"SLIMEFRAY_DROP_AT_TURN=4", "TSGAME_TEST_DROP_LINK_FILE=" + (mia / "drop").string()});
    const pid_t nedLobby = startPlayer(table, session, 21, 1);
    ASSERT_GT(miaLobby, 0);
    ASSERT_GT(nedLobby, 0);

    // Ned's whole program (and its lobby) dies in the middle of the game.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (readTrace(ned / "trace.txt").turns.size() < 12 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const TraceFile nedBefore = readTrace(ned / "trace.txt");
    ASSERT_GE(nedBefore.turns.size(), 12u) << "the game did not get going";
    ASSERT_TRUE(nedBefore.over.empty()) << "the game ended before the program could be killed";
    ::kill(-nedLobby, SIGKILL);
    ::waitpid(nedLobby, nullptr, 0);
    fs::rename(ned / "trace.txt", ned / "trace-before.txt");
    // Started again on the same machine with the same start order (a fresh
    // mailbox, as after a crash of the lobby's view of it).
    const pid_t nedAgain = startPlayer(table, session, 21, 1, {"TESSARY_SHM_PREFIX=" + shmPrefix() + session + "-again-"});
    ASSERT_GT(nedAgain, 0);

    EXPECT_EQ(reap(miaLobby, 200), 0) << "Mia's game did not report its end";
    EXPECT_EQ(reap(nedAgain, 200), 0) << "Ned's restarted game did not report its end";
    const TraceFile miaSaw = readTrace(mia / "trace.txt");
    const TraceFile nedFirst = readTrace(ned / "trace-before.txt");
    const TraceFile nedAfter = readTrace(ned / "trace.txt");
    auto saw = [](const TraceFile& trace, const std::string& turn) {
        return std::find(trace.turns.begin(), trace.turns.end(), turn) != trace.turns.end();
    };

    std::printf("Mia: %zu turns, back after %zu; Ned: %zu turns before the kill, %zu after the restart\n",
                miaSaw.turns.size(), miaSaw.reconnectedAt.value_or(0), nedFirst.turns.size(), nedAfter.turns.size());
    // Mia said so on her panel and came back to the referee's board.
    EXPECT_EQ(miaSaw.links, (std::vector<std::string>{"Connection lost: reconnecting...", "Reconnected to the game server"}));
    ASSERT_TRUE(miaSaw.reconnectedAt);
    ASSERT_GT(miaSaw.turns.size(), *miaSaw.reconnectedAt + 2);
    const std::string miaBack = miaSaw.turns[*miaSaw.reconnectedAt + 1];
    EXPECT_TRUE(saw(nedFirst, miaBack)) << "Mia's board after her return is not the one Ned saw: " << miaBack;

    // Ned's second program took the same slot and the game from there.
    EXPECT_EQ(nedAfter.slot, nedFirst.slot);
    ASSERT_GE(nedAfter.turns.size(), 2u);
    EXPECT_TRUE(saw(miaSaw, nedAfter.turns[1])) << "Ned's board after the restart is not Mia's";
    EXPECT_FALSE(miaSaw.over.empty());
    EXPECT_EQ(nedAfter.over, miaSaw.over);
    for (const TraceFile* trace : {&miaSaw, &nedFirst, &nedAfter})
        for (const std::string& problem : trace->problems) ADD_FAILURE() << problem;
    const std::string log = readFile(scratch_ / "tessaryd.log");
    EXPECT_NE(log.find("Mia's seat in " + session + " is kept"), std::string::npos);
    EXPECT_NE(log.find("Ned's seat in " + session + " is kept"), std::string::npos);
}

}  // namespace
}  // namespace tessary::slimefray
