#include <gtest/gtest.h>

#include "arena.h"
#include "protocol/message_fields.h"
#include "service_fixture.h"

namespace tessary::server {
namespace {

using namespace protocol;

ServiceMessage arenaRequest(uint8_t type, const ValueList& body = {}) { return request(type, body, kModuleArena); }

Body createForm(const std::string& name, const std::string& password = "", int32_t players = 4,
                int32_t spectators = 2, bool asSpectator = false, const std::string& game = "POKER") {
    Body b;
    b.text(name).text(game).text("1.0").i32(0).i32(players).i32(spectators).text("opt 1 2").text(password);
    b.i8(asSpectator ? 1 : 0);
    return b;
}

Body joinForm(const std::string& name, const std::string& password = "", const std::string& version = "1.0",
              bool asSpectator = false) {
    return Body().text(name).text(password).text(version).i8(asSpectator ? 1 : 0);
}

std::vector<std::string> names(const ValueList* list) {
    std::vector<std::string> out;
    for (size_t i = 0; list && i < list->size(); ++i) out.push_back(*list->text(i));
    return out;
}

class ArenaTest : public ServiceTest {
protected:
    // Consumes the next answer to `code` and expects `result`.
    void expectAnswer(TestClient& client, uint8_t code, uint8_t result, const std::string& fragment = "") {
        auto answer = client.waitAnswer(code);
        ASSERT_TRUE(answer) << "no answer to " << int(code);
        EXPECT_EQ(answer->type, result) << failText(*answer);
        if (!fragment.empty()) {
            EXPECT_NE(failText(*answer).find(fragment), std::string::npos) << failText(*answer);
        }
    }
};

TEST_F(ArenaTest, LoginNeedsTheRoutersAdmissionFromTheSameAddress) {
    createAccount("Ann");
    {
        TestClient direct(service->arenaPort(0));
        direct.send(arenaRequest(LOGINARENA, Body().text("Ann")));
        expectAnswer(direct, LOGINARENA, TSFAIL, "Router");
    }
    auto router = routerClient();
    ASSERT_EQ(login(*router, "Ann", "pw")->type, TSSUCCESS);
    router->send(request(CONNECTIONREQUEST, Body().text("Arena 1")));
    ASSERT_EQ(router->waitAnswer(CONNECTIONREQUEST)->type, TSSUCCESS);
    {
        TestClient wrongArena(service->arenaPort(1));
        wrongArena.send(arenaRequest(LOGINARENA, Body().text("Ann")));
        expectAnswer(wrongArena, LOGINARENA, TSFAIL);
    }
    {
        TestClient otherAddress(service->arenaPort(0), "127.0.0.1", "127.0.0.2");
        otherAddress.send(arenaRequest(LOGINARENA, Body().text("Ann")));
        expectAnswer(otherAddress, LOGINARENA, TSFAIL);
    }
    TestClient arena(service->arenaPort(0));
    arena.send(arenaRequest(LOGINARENA, Body().text("ann")));
    expectAnswer(arena, LOGINARENA, TSSUCCESS);
    auto list = arena.waitFor(PLAYERLIST);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list->body.list(0)->text(PlayerListEntry::Name), "Ann");  // the account's spelling
    EXPECT_TRUE(arena.waitFor(SESSIONLIST));

    TestClient again(service->arenaPort(0));  // the admission was taken once
    again.send(arenaRequest(LOGINARENA, Body().text("Ann")));
    expectAnswer(again, LOGINARENA, TSFAIL);
}

TEST_F(ArenaTest, RequestsBeforeTheLoginAreRefused) {
    TestClient client(service->arenaPort(0));
    client.send(arenaRequest(CREATESESSION, createForm("T")));
    expectAnswer(client, CREATESESSION, TSFAIL, "enter the arena");
    client.send(arenaRequest(GETSESSIONINFO, Body().text("T")));
    expectAnswer(client, 24, TSFAIL);
}

TEST_F(ArenaTest, PlayersArriveAndLeave) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto arrived = ann->waitFor(PLAYERNEW);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(*arrived->body.text(0), "Bob");
    bob.reset();
    auto removed = ann->waitFor(PLAYERREMOVED);
    ASSERT_TRUE(removed);
    EXPECT_EQ(*removed->body.text(0), "Bob");
}

TEST_F(ArenaTest, ChatInAllThreeScopes) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto cid = enterArena("Cid");
    ann->drain(100);
    bob->drain(100);
    ann->send(arenaRequest(CREATESESSION, createForm("Table")));
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);
    bob->send(arenaRequest(JOINSESSION, joinForm("Table")));
    expectAnswer(*bob, JOINSESSION, TSSUCCESS);
    for (auto* c : {ann.get(), bob.get(), cid.get()}) c->drain(150);

    struct Case {
        const char* label;
        uint8_t type;
        Body body;
        bool annGets, bobGets, cidGets;
    } cases[] = {
        {"all", CHATALL, Body().text("hello all").i32(255).i32(1), true, true, true},
        {"session", CHATSESSION, Body().text("hello table").i32(255).i32(1), true, true, false},
        {"private", CHATLIST, Body().list(Body().text("cid")).text("psst").i32(255).i32(1), false, false, true},
    };
    for (const Case& c : cases) {
        ann->send(arenaRequest(c.type, c.body));
        const bool expected[] = {c.annGets, c.bobGets, c.cidGets};
        TestClient* clients[] = {ann.get(), bob.get(), cid.get()};
        for (int i = 0; i < 3; ++i) {
            auto line = clients[i]->waitFor(c.type, expected[i] ? 2000 : 300);
            ASSERT_EQ(bool(line), expected[i]) << c.label << " client " << i;
            if (!line) continue;
            EXPECT_EQ(*line->body.text(ChatLineBody::Sender), "Ann") << c.label;
            int32_t colour = 0;
            ASSERT_TRUE(line->body.readInteger(ChatLineBody::Colour, colour));
            EXPECT_EQ(colour, 255);
        }
    }
}

TEST_F(ArenaTest, PlayerInformationComesWithThePhoto) {
    auto ann = enterArena("Ann");
    ann->send(arenaRequest(GETPLAYERINFO, Body().text("ann")));
    auto answer = ann->waitAnswer(GETPLAYERINFO);
    ASSERT_EQ(answer->type, TSSUCCESS);
    const ValueList* card = answer->body.list(1);
    ASSERT_TRUE(card);
    EXPECT_EQ(*card->text(0), "Ann");
    EXPECT_TRUE(card->list(8));
    auto photo = ann->waitFor(PHOTO);
    ASSERT_TRUE(photo);
    EXPECT_EQ(*photo->body.text(0), "Ann");
    EXPECT_EQ(*photo->body.binary(1), std::string("\x02\0\0\0", 4));
    ann->send(arenaRequest(GETPLAYERINFO, Body().text("Nobody")));
    expectAnswer(*ann, GETPLAYERINFO, TSFAIL, "no player called Nobody");
}

TEST_F(ArenaTest, SessionLifecycleWithMasterChange) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto cid = enterArena("Cid");
    for (auto* c : {ann.get(), bob.get()}) c->drain(100);

    ann->send(arenaRequest(CREATESESSION, createForm("Table", "", 2, 1)));
    auto created = cid->waitFor(SESSIONNEW);
    ASSERT_TRUE(created);
    int32_t maxPlayers = 0, maxSpectators = 0, state = -1;
    EXPECT_EQ(*created->body.text(0), "Table");
    ASSERT_TRUE(created->body.readInteger(1, maxPlayers));
    ASSERT_TRUE(created->body.readInteger(2, maxSpectators));
    EXPECT_EQ(*created->body.text(3), "Ann");
    ASSERT_TRUE(created->body.readInteger(4, state));
    EXPECT_EQ(*created->body.text(5), "POKER");
    EXPECT_EQ(maxPlayers, 2);
    EXPECT_EQ(maxSpectators, 1);
    EXPECT_EQ(state, 0);
    auto joined = cid->waitFor(JOINNEW);
    EXPECT_EQ(*joined->body.text(JoinNewBody::Player), "Ann");
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);

    cid->send(arenaRequest(GETSESSIONINFO, Body().text("table")));
    auto info = cid->waitAnswer(24);
    ASSERT_EQ(info->type, TSSUCCESS);
    EXPECT_EQ(*info->body.list(1)->text(0), "Table");
    EXPECT_EQ(*info->body.list(1)->text(1), "opt 1 2");

    bob->send(arenaRequest(JOINSESSION, joinForm("Table")));
    expectAnswer(*bob, JOINSESSION, TSSUCCESS);
    cid->send(arenaRequest(JOINSESSION, joinForm("Table", "", "1.0", true)));
    expectAnswer(*cid, JOINSESSION, TSSUCCESS);

    // A newcomer sees the session with its members.
    auto dan = enterArena("Dan");
    dan->send(arenaRequest(LEAVESESSION));
    expectAnswer(*dan, LEAVESESSION, TSFAIL, "no session");

    ann->drain(150);
    ann->send(arenaRequest(LEAVESESSION));
    expectAnswer(*ann, LEAVESESSION, TSSUCCESS);
    auto left = cid->waitFor(JOINLEAVE);
    EXPECT_EQ(*left->body.text(0), "Ann");
    auto master = cid->waitFor(MASTERCHANGED);
    ASSERT_TRUE(master);
    EXPECT_EQ(*master->body.text(0), "Table");
    EXPECT_EQ(*master->body.text(1), "Bob");

    dan->drain(150);
    bob->send(arenaRequest(LEAVESESSION));
    expectAnswer(*bob, LEAVESESSION, TSSUCCESS);
    auto spectatorMaster = dan->waitFor(MASTERCHANGED);
    EXPECT_EQ(*spectatorMaster->body.text(1), "Cid");
    cid->send(arenaRequest(LEAVESESSION));
    auto gone = dan->waitFor(SESSIONREMOVE);
    ASSERT_TRUE(gone);
    EXPECT_EQ(*gone->body.text(0), "Table");
}

TEST_F(ArenaTest, SessionListShowsMembers) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    ann->send(arenaRequest(CREATESESSION, createForm("Table", "pw", 3, 2)));
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);
    bob->send(arenaRequest(JOINSESSION, joinForm("Table", "pw", "1.0", true)));
    expectAnswer(*bob, JOINSESSION, TSSUCCESS);

    auto cid = createAccount("Cid");
    cid->send(request(CONNECTIONREQUEST, Body().text("Arena 1")));
    ASSERT_EQ(cid->waitAnswer(CONNECTIONREQUEST)->type, TSSUCCESS);
    TestClient arena(service->arenaPort(0));
    arena.send(arenaRequest(LOGINARENA, Body().text("Cid")));
    auto list = arena.waitFor(SESSIONLIST);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->body.size(), 1u);
    const ValueList& entry = *list->body.list(0);
    using F = SessionListEntry;
    auto number = [&](F::Field field) {
        int32_t value = -1;
        EXPECT_TRUE(entry.readInteger(field, value)) << field;
        return value;
    };
    EXPECT_EQ(entry.size(), size_t(F::Count));
    EXPECT_EQ(*entry.text(F::Name), "Table");
    EXPECT_EQ(number(F::MaxPlayers), 3);
    EXPECT_EQ(number(F::MaxSpectators), 2);
    EXPECT_EQ(number(F::Players), 1);
    EXPECT_EQ(number(F::Spectators), 1);
    EXPECT_EQ(*entry.text(F::Master), "Ann");
    EXPECT_EQ(number(F::State), 1);  // private
    EXPECT_EQ(*entry.text(F::Game), "POKER");
    EXPECT_EQ(names(entry.list(F::PlayerNames)), std::vector<std::string>{"Ann"});
    EXPECT_EQ(names(entry.list(F::SpectatorNames)), std::vector<std::string>{"Bob"});
}

TEST_F(ArenaTest, JoinAndCreateRefusals) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto cid = enterArena("Cid");
    ann->send(arenaRequest(CREATESESSION, createForm("Duel", "pw", 2, 0)));
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);
    struct JoinCase {
        const char* label;
        Body form;
        const char* fragment;
    } joins[] = {
        {"unknown", joinForm("Nope", "pw"), "no session called Nope"},
        {"wrong password", joinForm("Duel", "xx"), "Wrong password"},
        {"other version", joinForm("Duel", "pw", "0.9"), "version 1.0"},
        {"no spectators", joinForm("Duel", "pw", "1.0", true), "no spectators"},
        {"incomplete", Body().text("Duel"), "incomplete"},
    };
    for (const JoinCase& c : joins) {
        bob->send(arenaRequest(JOINSESSION, c.form));
        SCOPED_TRACE(c.label);
        expectAnswer(*bob, JOINSESSION, TSFAIL, c.fragment);
    }
    bob->send(arenaRequest(JOINSESSION, joinForm("duel", "pw")));
    expectAnswer(*bob, JOINSESSION, TSSUCCESS);
    cid->send(arenaRequest(JOINSESSION, joinForm("Duel", "pw")));
    expectAnswer(*cid, JOINSESSION, TSFAIL, "full");

    struct CreateCase {
        const char* label;
        Body form;
        const char* fragment;
    } creates[] = {
        {"taken", createForm("DUEL"), "already exists"},
        {"underscore", createForm("my_table"), "letters"},
        {"too long", createForm("Sixteen letters!"), "letters"},
        {"no players", createForm("Zero", "", 0), "out of range"},
        {"no game", createForm("NoGame", "", 2, 0, false, ""), "choose a game"},
        {"incomplete", Body().text("X"), "incomplete"},
    };
    for (const CreateCase& c : creates) {
        cid->send(arenaRequest(CREATESESSION, c.form));
        SCOPED_TRACE(c.label);
        expectAnswer(*cid, CREATESESSION, TSFAIL, c.fragment);
    }
}

TEST_F(ArenaTest, SessionsPerArenaAreLimited) {
    Config config = testConfig(dir.path());
    config.limits.sessionsPerArena = 1;
    startService(config);
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    ann->send(arenaRequest(CREATESESSION, createForm("One")));
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);
    bob->send(arenaRequest(CREATESESSION, createForm("Two")));
    expectAnswer(*bob, CREATESESSION, TSFAIL, "no room");
}

TEST_F(ArenaTest, BeginTellsTheGameServerThenStartsEveryMember) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto cid = enterArena("Cid");
    ann->send(arenaRequest(CREATESESSION, createForm("Table", "", 4, 2)));
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);
    bob->send(arenaRequest(JOINSESSION, joinForm("Table")));
    expectAnswer(*bob, JOINSESSION, TSSUCCESS);
    cid->send(arenaRequest(JOINSESSION, joinForm("Table", "", "1.0", true)));
    expectAnswer(*cid, JOINSESSION, TSSUCCESS);

    bob->send(arenaRequest(BEGINGAME));
    expectAnswer(*bob, BEGINGAME, TSFAIL, "Only the master");
    ann->send(arenaRequest(BEGINGAME));
    auto state = cid->waitFor(UPDATESESSIONSTATE);
    ASSERT_TRUE(state);
    int32_t bits = 0;
    ASSERT_TRUE(state->body.readInteger(1, bits));
    EXPECT_EQ(bits & 8, 8);
    expectAnswer(*ann, BEGINGAME, TSSUCCESS);
    for (auto* client : {ann.get(), bob.get(), cid.get()}) {
        auto start = client->waitFor(STARTGAME);
        ASSERT_TRUE(start);
        int32_t port = 0;
        EXPECT_EQ(*start->body.text(0), "127.0.0.1");
        ASSERT_TRUE(start->body.readInteger(1, port));
        EXPECT_EQ(port, service->gameServerPort());
    }
    ann->send(arenaRequest(BEGINGAME));
    expectAnswer(*ann, BEGINGAME, TSFAIL, "already begun");

    auto storage = openSqliteStorage(service->config().databasePath);
    auto announced = storage->findGameSessionOf("bob", 0);
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->game, "POKER");
    EXPECT_EQ(announced->arena, "Arena 1");
    EXPECT_EQ(announced->expectedPlayers, 2);
    ASSERT_EQ(announced->members.size(), 3u);
    EXPECT_TRUE(announced->members[2].spectator);
    EXPECT_EQ(announced->members[0].address, "127.0.0.1");
    EXPECT_EQ(storage->gameStats("Ann"), (std::vector<GameStat>{{"POKER", 1, 0}}));
    EXPECT_TRUE(storage->gameStats("Cid").empty());  // spectators do not play
}

TEST_F(ArenaTest, PlayersComeBackFromTheirGameWithoutTheRouter) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto cid = enterArena("Cid");
    ann->send(arenaRequest(CREATESESSION, createForm("Table")));
    expectAnswer(*ann, CREATESESSION, TSSUCCESS);
    bob->send(arenaRequest(JOINSESSION, joinForm("Table")));
    expectAnswer(*bob, JOINSESSION, TSSUCCESS);
    ann->send(arenaRequest(BEGINGAME));
    ASSERT_TRUE(ann->waitFor(STARTGAME));
    ASSERT_TRUE(bob->waitFor(STARTGAME));
    cid->drain(150);
    ann.reset();  // the lobbies leave for the game
    bob.reset();
    EXPECT_FALSE(cid->waitFor(PLAYERREMOVED, 400));  // still listed while playing

    TestClient back(service->arenaPort(0));
    back.send(arenaRequest(LOGINARENA, Body().text("Ann")));
    expectAnswer(back, LOGINARENA, TSSUCCESS);
    auto list = back.waitFor(PLAYERLIST);
    EXPECT_EQ(list->body.size(), 3u);
    auto left = cid->waitFor(JOINLEAVE);
    ASSERT_TRUE(left);
    EXPECT_EQ(*left->body.text(0), "Ann");  // back in the arena, out of the session
    auto master = cid->waitFor(MASTERCHANGED);
    EXPECT_EQ(*master->body.text(1), "Bob");
}

TEST_F(ArenaTest, PingClassesAreMeasured) {
    Config config = testConfig(dir.path());
    config.limits.arenaPingSeconds = 1;
    startService(config);
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    auto ping = bob->waitFor(PING, 4000);
    ASSERT_TRUE(ping);
    bob->send(request(PING, {}, kModuleArenaW));
    for (;;) {
        auto update = ann->waitFor(UPDATEPLAYERINFO, 4000);
        ASSERT_TRUE(update);
        if (*update->body.text(0) != "Bob") continue;
        int32_t pingClass = 0;
        ASSERT_TRUE(update->body.readInteger(1, pingClass));
        EXPECT_EQ(pingClass, 5);
        break;
    }
}

TEST(PingClass, Thresholds) {
    using std::chrono::milliseconds;
    const std::pair<int, int> cases[] = {{0, 5}, {150, 5}, {151, 4}, {300, 4}, {301, 3}, {500, 3},
                                         {501, 2}, {800, 2}, {801, 1}, {60000, 1}};
    for (auto [ms, expected] : cases) EXPECT_EQ(pingClass(milliseconds(ms)), expected) << ms;
}

TEST_F(ArenaTest, SearchAndPagesCrossRoles) {
    auto ann = enterArena("Ann", 1);
    auto bob = createAccount("Bob");
    bob->drain(100);
    bob->send(request(SEARCHPLAYER, Body().text("ANN")));
    auto found = bob->waitAnswer(SEARCHPLAYER);
    ASSERT_EQ(found->type, TSSUCCESS) << failText(*found);
    EXPECT_EQ(*found->body.list(1)->text(0), "Ann");
    EXPECT_EQ(*found->body.list(1)->text(1), "Arena 2");

    bob->send(request(PAGER, Body().list(Body().text("ann")).text("come to the Router")));
    auto page = ann->waitFor(PAGER);
    ASSERT_TRUE(page);
    EXPECT_EQ(*page->body.text(0), "Bob");
    ann->send(arenaRequest(PAGER, Body().list(Body().text("Bob")).text("on my way")));
    auto reply = bob->waitFor(PAGER);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply->body.text(0), "Ann");
    EXPECT_EQ(*reply->body.text(1), "on my way");

    // The Router's arena list counts the players inside.
    auto again = routerClient();
    ASSERT_EQ(login(*again, "Bob", "pw")->type, TSSUCCESS);
    auto arenas = again->waitFor(SERVERSLIST);
    int32_t count = 0;
    ASSERT_TRUE(arenas->body.list(1)->readInteger(ArenaListEntry::Players, count));
    EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace tessary::server
