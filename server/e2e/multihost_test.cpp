// tessaryd spread over hosts: PostgreSQL, a Router, two Arenas and a game
// server each run in a network namespace of their own, as separate tessaryd
// processes sharing one database; the test's lobby clients run in the hub
// that joins them. A whole visit crosses the hosts, the database restarts
// during play, then one host dies.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "daemon.h"
#include "pg_test_server.h"
#include "service_fixture.h"
#include "test_network.h"

namespace tessary::server {
namespace {

using namespace protocol;
using namespace std::chrono_literals;

constexpr int kHeartbeatSeconds = 1;  // a dead host is forgotten after three

enum Host { kDatabase = 1, kRouter = 2, kArena1 = 3, kArena2 = 4, kGameServer = 5 };

std::string at(Host host, int port) { return TestNetwork::address(host) + ":" + std::to_string(port); }

class MultiHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!network.failure().empty()) GTEST_SKIP() << network.failure();
        const std::pair<const char*, Host> hosts[] = {
            {"db", kDatabase}, {"router", kRouter}, {"arena1", kArena1}, {"arena2", kArena2}, {"game", kGameServer}};
        for (const auto& [name, number] : hosts)
            if (!network.addHost(name, number)) GTEST_SKIP() << network.failure();
        database = std::make_unique<PgTestServer>(
            PgTestServer::Place{network.name("db"), TestNetwork::address(kDatabase)});
        if (!database->running()) GTEST_SKIP() << "PostgreSQL: " << database->failure();
        ASSERT_TRUE(database->createDatabase("tessary"));

        const std::string shared = "[storage]\nbackend = postgresql\nconnection = " +
                                   database->tcpConnection("tessary") +
                                   "\nheartbeat_seconds = " + std::to_string(kHeartbeatSeconds) +
                                   "\n[password]\nopslimit = 1\nmemlimit = 8192\n"
                                   "[limits]\nrequests_per_second = 1000\nrequest_burst = 1000\n";
        auto arena = [](const char* name, Host host) {
            return std::string("[arena]\nname = ") + name + "\nlisten = " + at(host, 7001) +
                   "\npublic_host = " + TestNetwork::address(host) + "\ngame_server = " + at(kGameServer, 7010) + "\n";
        };
        gameServer = start("game", kGameServer,
                           shared + "[gameserver]\nlisten = " + at(kGameServer, 7010) + "\npublic_host = " +
                               TestNetwork::address(kGameServer) + "\n");
        arena1 = start("arena1", kArena1, shared + arena("Arena 1", kArena1));
        arena2 = start("arena2", kArena2, shared + arena("Arena 2", kArena2));
        router = start("router", kRouter,
                       shared + "[router]\nname = Tessary\nlisten = " + at(kRouter, 7000) + "\npublic_host = " +
                           TestNetwork::address(kRouter) + "\nremote_arena = Arena 1 " + at(kArena1, 7001) +
                           "\nremote_arena = Arena 2 " + at(kArena2, 7001) + "\n");
        ASSERT_TRUE(gameServer && arena1 && arena2 && router);
        ASSERT_TRUE(network.enterHub());
    }

    void TearDown() override { network.leaveHub(); }

    std::unique_ptr<Daemon> start(const std::string& host, Host number, const std::string& config) {
        const std::filesystem::path folder = std::filesystem::path(files.path()) / host;
        std::filesystem::create_directories(folder);
        try {
            return std::make_unique<Daemon>(TESSARYD_PATH, folder, config, network.launcher(host),
                                            TestNetwork::address(number));
        } catch (const std::exception& error) {
            std::ifstream log(folder / "tessaryd.log");
            ADD_FAILURE() << error.what() << "\n" << std::string(std::istreambuf_iterator<char>(log), {});
            return nullptr;
        }
    }

    std::unique_ptr<TestClient> routerClient() {
        return std::make_unique<TestClient>(router->routerPort, TestNetwork::address(kRouter).c_str());
    }

    // A new account, logged in at the Router (its lists left unread).
    std::unique_ptr<TestClient> newPlayer(const std::string& name) {
        auto client = routerClient();
        client->send(request(NEWUSERREQUEST, accountForm(name, "pw")));
        auto answer = client->waitAnswer(NEWUSERREQUEST, 10000);
        EXPECT_TRUE(answer && answer->type == TSSUCCESS) << name << (answer ? failText(*answer) : " no answer");
        return client;
    }

    // From the Router into the arena on its own host.
    std::unique_ptr<TestClient> enter(const std::string& name, const std::string& arena, Host host) {
        auto atRouter = newPlayer(name);
        atRouter->send(request(CONNECTIONREQUEST, Body().text(arena)));
        auto admitted = atRouter->waitAnswer(CONNECTIONREQUEST);
        EXPECT_TRUE(admitted && admitted->type == TSSUCCESS) << (admitted ? failText(*admitted) : "no answer");
        auto client = std::make_unique<TestClient>(7001, TestNetwork::address(host).c_str());
        client->send(request(LOGINARENA, Body().text(name), kModuleArena));
        auto entered = client->waitAnswer(LOGINARENA);
        EXPECT_TRUE(entered && entered->type == TSSUCCESS) << name << (entered ? failText(*entered) : " no answer");
        EXPECT_TRUE(client->waitFor(SESSIONLIST));
        return client;
    }

    // Where the Router finds `name`: the arena, or its refusal text.
    std::string search(TestClient& client, const std::string& name) {
        client.send(request(SEARCHPLAYER, Body().text(name)));
        auto answer = client.waitAnswer(SEARCHPLAYER);
        if (!answer) return "no answer";
        if (answer->type == TSFAIL) return failText(*answer);
        const ValueList* data = answer->body.list(1);
        const std::string* arena = data ? data->text(1) : nullptr;
        return arena ? *arena : "?";
    }

    // The player counts a fresh login is shown, "Arena 1:1 Arena 2:0".
    std::string arenaCounts() {
        auto client = routerClient();
        client->send(request(LOGIN, Body().text("Watcher").text("pw").text("1.0").i32(1)));
        auto list = client->waitFor(SERVERSLIST);
        if (!list) return "no list";
        std::string counts;
        for (size_t i = 0; const ValueList* entry = list->body.list(i); ++i) {
            int32_t count = -1;
            if (!entry->readInteger(1, count)) return "bad list";
            counts += (i ? " " : "") + *entry->text(0) + ":" + std::to_string(count);
        }
        return counts;
    }

    // Registers a game at the game server host; its id from EVENT_OWNID.
    uint16_t registerGame(TestClient& game, const std::string& name) {
        game.send(RawMessage{SENDTOSERVER, 0, 0, registrationPayload(name)});
        auto message = game.receive(5000);
        const auto* own = message ? std::get_if<RawMessage>(&*message) : nullptr;
        if (!own || own->payload.size() < 3 || own->payload[0] != EVENT_OWNID) return 0;
        game.drain(100);
        return le16(own->payload, 1);
    }

    // Declared in order of need: the hosts' processes end before the
    // database, and both before the namespaces go.
    TempDir files;
    TestNetwork network;
    std::unique_ptr<PgTestServer> database;
    std::unique_ptr<Daemon> gameServer, arena1, arena2, router;
};

TEST_F(MultiHost, AVisitCrossesTheHostsOutlivesTheDatabaseAndForgetsADeadHost) {
    auto ann = enter("Ann", "Arena 1", kArena1);
    auto dan = enter("Dan", "Arena 1", kArena1);
    auto bob = enter("Bob", "Arena 2", kArena2);
    auto cid = newPlayer("Cid");  // stays at the Router

    // Presence set by the Arena hosts is what the Router host reads.
    EXPECT_EQ(search(*cid, "bob"), "Arena 2");
    EXPECT_EQ(search(*cid, "ANN"), "Arena 1");
    newPlayer("Watcher");  // for arenaCounts()
    EXPECT_EQ(arenaCounts(), "Arena 1:2 Arena 2:1");

    // A page from a player in Arena 1 reaches one in Arena 2.
    ann->send(request(PAGER, Body().list(Body().text("Bob")).text("see you at the table"), kModuleArena));
    auto page = bob->waitFor(PAGER, 5000);
    ASSERT_TRUE(page) << "the page did not cross from Arena 1 to Arena 2";
    EXPECT_EQ(*page->body.text(0), "Ann");
    EXPECT_EQ(*page->body.text(1), "see you at the table");

    // A session begun on Arena 1's host is played on the game server's host.
    ann->send(request(CREATESESSION,
                      Body().text("Duel").text("POKER").text("1.0").i32(0).i32(2).i32(0).text("").text("").i8(0),
                      kModuleArena));
    ASSERT_EQ(ann->waitAnswer(CREATESESSION)->type, TSSUCCESS);
    dan->send(request(JOINSESSION, Body().text("Duel").text("").text("1.0").i8(0), kModuleArena));
    ASSERT_EQ(dan->waitAnswer(JOINSESSION)->type, TSSUCCESS);
    ann->send(request(BEGINGAME, {}, kModuleArena));
    auto start = ann->waitFor(STARTGAME);
    ASSERT_TRUE(start);
    int32_t port = 0;
    ASSERT_TRUE(start->body.readInteger(1, port));
    EXPECT_EQ(*start->body.text(0), TestNetwork::address(kGameServer));
    EXPECT_EQ(port, 7010);
    TestClient annGame(uint16_t(port), start->body.text(0)->c_str());
    TestClient danGame(uint16_t(port), start->body.text(0)->c_str());
    const uint16_t annId = registerGame(annGame, "Ann");
    ASSERT_NE(annId, 0) << "the game server host did not know Arena 1's session";
    ASSERT_NE(registerGame(danGame, "Dan"), 0);
    annGame.drain(100);
    annGame.send(RawMessage{SENDTOOTHERPLAYERS, 0, annId, {3, 1, 2, 3}});
    auto relayed = danGame.receive(5000);
    ASSERT_TRUE(relayed);
    EXPECT_EQ(std::get<RawMessage>(*relayed).payload, Bytes({3, 1, 2, 3}));

    // PostgreSQL crashes and comes back during play: every host connects
    // again by itself, logins find their accounts, pages cross again (a
    // page sent before Arena 2 listens again is lost, so Cid tries again).
    ASSERT_TRUE(database->restart());
    {
        auto again = routerClient();
        again->send(request(LOGIN, Body().text("Watcher").text("pw").text("1.0").i32(1)));
        auto relogin = again->waitAnswer(LOGIN, 10000);
        ASSERT_TRUE(relogin);
        EXPECT_EQ(relogin->type, TSSUCCESS) << failText(*relogin);
    }
    std::optional<ServiceMessage> after;
    for (int attempt = 0; attempt < 20 && !after; ++attempt) {
        cid->send(request(PAGER, Body().list(Body().text("Bob")).text("still there?")));
        after = bob->waitFor(PAGER, 500);
    }
    ASSERT_TRUE(after) << "no page crossed after the database restarted";
    EXPECT_EQ(*after->body.text(1), "still there?");

    // Arena 2's host dies without a word: within three heartbeats (and a
    // sweep) the Router neither finds Bob nor counts him.
    arena2->end(SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(4 * kHeartbeatSeconds) + 5s;
    std::string found = "Arena 2";
    while (found == "Arena 2" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        found = search(*cid, "Bob");
    }
    EXPECT_EQ(found, "Bob is not connected.");
    EXPECT_EQ(arenaCounts(), "Arena 1:2 Arena 2:0");
    EXPECT_EQ(search(*cid, "Ann"), "Arena 1") << "the living host keeps its players";

    // The others stop cleanly when told to (a sanitized build's findings
    // would end them otherwise).
    for (Daemon* host : {router.get(), arena1.get(), gameServer.get()}) EXPECT_EQ(host->end(SIGTERM), 0) << host->log();
}

}  // namespace
}  // namespace tessary::server
