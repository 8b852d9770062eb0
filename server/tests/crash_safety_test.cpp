// tessaryd killed with SIGKILL in the middle of a burst of writes (account
// creations, and a game's statistics stored through the game server): after
// a restart the database is sound and every account whose creation was
// answered with success is there and can log in.
#include <sqlite3.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "daemon.h"
#include "service_fixture.h"
#include "test_client.h"
#include "test_support.h"

namespace tessary::server {
namespace {

using namespace protocol;

std::string crashConfig(const std::string& dir) {
    return "[storage]\ndatabase = " + dir + "/crash.sqlite\n"
           "[password]\nopslimit = 1\nmemlimit = 8192\n"
           "[router]\nlisten = 127.0.0.1:0\n"
           "[arena]\nname = Crash Arena\nlisten = 127.0.0.1:0\n"
           "[gameserver]\nlisten = 127.0.0.1:0\n"
           "[limits]\nconnections_per_address = 1000\nrequests_per_second = 100000\nrequest_burst = 100000\n";
}

// The first column of the first row `sql` gives, as text.
std::string queryText(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    std::string result = "no row";
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

bool created(TestClient& client, int timeoutMs) {
    auto answer = client.waitAnswer(NEWUSERREQUEST, timeoutMs);
    return answer && answer->type == TSSUCCESS;
}

// A player with an account, in the arena, as the lobby gets there.
std::unique_ptr<TestClient> enterArena(const Daemon& daemon, const std::string& name) {
    TestClient router(daemon.routerPort);
    router.send(request(NEWUSERREQUEST, accountForm(name, "pw")));
    EXPECT_TRUE(created(router, 3000)) << name;
    router.send(request(CONNECTIONREQUEST, Body().text("Crash Arena")));
    auto joined = router.waitAnswer(CONNECTIONREQUEST);
    EXPECT_TRUE(joined && joined->type == TSSUCCESS);
    auto arena = std::make_unique<TestClient>(daemon.arenaPort);
    arena->send(request(LOGINARENA, Body().text(name), kModuleArena));
    auto entered = arena->waitAnswer(LOGINARENA);
    EXPECT_TRUE(entered && entered->type == TSSUCCESS);
    return arena;
}

TEST(CrashSafety, AKilledServiceKeepsEveryAnsweredAccountAndASoundDatabase) {
    TempDir dir;
    const std::string config = crashConfig(dir.path());
    std::set<std::string> answered;
    {
        Daemon daemon(TESSARYD_PATH, dir.path(), config);

        // Two players start a game, so that one of them can store statistics.
        auto ann = enterArena(daemon, "Ann");
        auto bob = enterArena(daemon, "Bob");
        ann->send(request(CREATESESSION, Body().text("Duel").text("POKER").text("1.0").i32(0).i32(2).i32(0)
                                             .text("").text("").i8(0), kModuleArena));
        ASSERT_EQ(ann->waitAnswer(CREATESESSION)->type, TSSUCCESS);
        bob->send(request(JOINSESSION, Body().text("Duel").text("").text("1.0").i8(0), kModuleArena));
        ASSERT_EQ(bob->waitAnswer(JOINSESSION)->type, TSSUCCESS);
        ann->send(request(BEGINGAME, {}, kModuleArena));
        ASSERT_TRUE(ann->waitFor(STARTGAME));
        TestClient game(daemon.gameServerPort);
        game.send(RawMessage{SENDTOSERVER, 0, 0, registrationPayload("Ann")});
        auto own = game.receive();
        ASSERT_TRUE(own && std::holds_alternative<RawMessage>(*own));
        const uint16_t annId = le16(std::get<RawMessage>(*own).payload, 1);

        // Rounds of creations on fresh connections, each with statistics
        // writes beside it; the last round is cut by the kill.
        constexpr int kRounds = 8;
        constexpr int kPerRound = 6;
        uint32_t points = 0;
        for (int round = 0; round < kRounds; ++round) {
            std::vector<std::pair<std::string, std::unique_ptr<TestClient>>> burst;
            for (int i = 0; i < kPerRound; ++i) {
                const std::string name = "crash" + std::to_string(round) + "x" + std::to_string(i);
                auto client = std::make_unique<TestClient>(daemon.routerPort);
                client->send(request(NEWUSERREQUEST, accountForm(name, "pw")));
                burst.emplace_back(name, std::move(client));
                ++points;
                game.send(RawMessage{SENDTOSERVER, 0, annId,
                                     {EVENT_PLAYERINFOS, uint8_t(annId), uint8_t(annId >> 8), uint8_t(points),
                                      uint8_t(points >> 8), 0, 0}});
            }
            const bool last = round == kRounds - 1;
            // The last round's requests are in flight when the service dies;
            // only answers that came before count.
            if (last) daemon.end(SIGKILL);
            for (auto& [name, client] : burst)
                if (created(*client, last ? 200 : 3000)) answered.insert(name);
        }
    }
    EXPECT_GE(answered.size(), size_t(6 * 7));

    const std::string database = dir.path() + "/crash.sqlite";
    EXPECT_EQ(queryText(database, "PRAGMA integrity_check"), "ok");
    // The statistics written before the kill are there, whole.
    EXPECT_EQ(queryText(database, "SELECT length(info) FROM player_info WHERE game = 'POKER'"), "4");
    Daemon restarted(TESSARYD_PATH, dir.path(), config);
    for (const std::string& name : answered) {
        TestClient client(restarted.routerPort);
        client.send(request(LOGIN, Body().text(name).text("pw").text("1.0").i32(1)));
        auto answer = client.waitAnswer(LOGIN);
        EXPECT_TRUE(answer && answer->type == TSSUCCESS) << name << ": " << (answer ? failText(*answer) : "no answer");
    }
}

}  // namespace
}  // namespace tessary::server
