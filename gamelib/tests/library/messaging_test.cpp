// Game traffic through the exports against the fake game server: every send
// export's frame, the events reaching the game's callbacks, the player table
// and data, the server time, a lost link.
#include <cstring>
#include <string>
#include <vector>

#include "fake_game_server.h"
#include "library_fixture.h"
#include "library_messages.h"

namespace tessary::gamelib::testing {
namespace {

using protocol::Bytes;
using protocol::RawMessage;

std::vector<std::string> calls;
int disconnections = 0;

void onMyId(uint16_t id, uint16_t a, uint16_t b) {
    calls.push_back("myid " + std::to_string(id) + " " + std::to_string(a) + " " + std::to_string(b));
}
void onNewPlayer(uint16_t id, const char* name) { calls.push_back("new " + std::to_string(id) + " " + name); }
void onPlayerLeft(uint16_t id) { calls.push_back("left " + std::to_string(id)); }
void onNewMaster(uint16_t id) { calls.push_back("master " + std::to_string(id)); }
void onPlayerInfos(uint16_t id, const void*, int32_t size) {
    calls.push_back("infos " + std::to_string(id) + " " + std::to_string(size));
}
void onDisconnection() { ++disconnections; }
void onChat(uint16_t sender, const void* data, int32_t size) {
    calls.push_back("chat " + std::to_string(sender) + " " + std::string(static_cast<const char*>(data), size_t(size)));
}
void onEnum(uint16_t id, const char* name) { calls.push_back("player " + std::to_string(id) + " " + name); }
void freeFromCallback(uint16_t, const void*, int32_t) {
    calls.push_back("free");
    (void)api().TS_Free();
}

RawMessage fromServer(Bytes payload, uint16_t sender = 0) {
    RawMessage m;
    m.kind = protocol::SENDTOOTHERPLAYERS;
    m.sender = sender;
    m.payload = std::move(payload);
    return m;
}

Bytes newPlayer(uint16_t id, const std::string& name) {
    Bytes b{kNewPlayer, uint8_t(id), uint8_t(id >> 8)};
    Bytes field(16, 0);
    std::memcpy(field.data(), name.data(), std::min<size_t>(name.size(), 16));
    b.insert(b.end(), field.begin(), field.end());
    return b;
}

class Messaging : public LibraryTest {
protected:
    void SetUp() override {
        calls.clear();
        disconnections = 0;
        ASSERT_TRUE(server.ready());
        ASSERT_EQ(api().TS_Initialisation(kGameName, int32_t(getpid())), TS_SUCCESS);
    }

    void connectAndRegister(uint16_t ownId = 0x0201) {
        ASSERT_EQ(api().TS_DebugInit("127.0.0.1", server.port()), TS_SUCCESS);
        ASSERT_EQ(api().TS_ConnectGame(), TS_SUCCESS);
        ASSERT_TRUE(server.accept());
        ASSERT_EQ(api().TS_Registration("me"), TS_SUCCESS);
        auto frames = engineAndReceive();
        ASSERT_EQ(frames.size(), 1u);
        ASSERT_EQ(frames[0].payload[0], kRegister);
        ASSERT_TRUE(server.send(fromServer({kOwnId, uint8_t(ownId), uint8_t(ownId >> 8), 1, 0, 2, 0})));
        ASSERT_TRUE(engineUntil([&] {
            uint16_t id = 0;
            return api().TS_GetPlayerID("me", &id) == TS_SUCCESS && id == ownId;
        }));
    }

    template <class Done>
    bool engineUntil(Done done) {
        return waitUntil([&] {
            (void)api().TS_Engine();
            return done();
        });
    }

    std::vector<RawMessage> engineAndReceive() {
        EXPECT_EQ(api().TS_Engine(), TS_SUCCESS);
        return server.receiveRawUntilQuiet();
    }

    FakeGameServer server;
};

TEST_F(Messaging, EverySendExportBuildsItsFrame) {
    connectAndRegister(0x0201);
    GameApi& a = api();
    const uint8_t data[] = {'h', 'i'};
    struct Case {
        const char* name;
        int32_t result;
        uint8_t kind;
        Bytes payload;
    } cases[] = {
        {"to server", a.TS_SendMessageToServer(10, 1, data, 2), protocol::SENDTOSERVER, {10, 'h', 'i'}},
        {"to one player", a.TS_SendMessageToOnePlayer(11, 0x10304, 1, data, 2), protocol::SENDTOPLAYER,
         {11, 0x04, 0x03, 'h', 'i'}},
        {"to the others", a.TS_SendMessageToAllPlayers(12, 1, data, 2), protocol::SENDTOOTHERPLAYERS, {12, 'h', 'i'}},
        {"to all", a.TS_SendMessageToAllPlayersWithEcho(13, 1, data, 2), protocol::SENDTOALLPLAYERS, {13, 'h', 'i'}},
        {"to a group", a.TS_SendMessageToGroup(14, 0x107, 1, data, 2), protocol::SENDTOPLAYERGROUP,
         {14, 0x07, 'h', 'i'}},
        {"no data", a.TS_SendMessageToServer(0, 1, nullptr, 0), protocol::SENDTOSERVER, {0}},
        {"type in the low byte", a.TS_SendMessageToServer(0x105, 1, nullptr, 0), protocol::SENDTOSERVER, {5}},
    };
    auto frames = engineAndReceive();
    ASSERT_EQ(frames.size(), std::size(cases));
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(cases[i].result, TS_SUCCESS) << cases[i].name;
        EXPECT_EQ(frames[i].kind, cases[i].kind) << cases[i].name;
        EXPECT_EQ(frames[i].sender, 0x0201) << cases[i].name;
        EXPECT_EQ(frames[i].flags, 0) << cases[i].name;
        EXPECT_EQ(frames[i].payload, cases[i].payload) << cases[i].name;
    }

    EXPECT_EQ(a.TS_SendMessageToServer(201, 1, data, 2), TS_ERROR_MESSAGE_TYPE);
    EXPECT_EQ(a.TS_SendMessageToOnePlayer(1, 2, 0, data, 2), TS_ERROR_SEND_MODE);
    EXPECT_EQ(a.TS_SendMessageToGroup(1, 2, 5, data, 2), TS_ERROR_SEND_MODE);
}

TEST_F(Messaging, RelayedSendsLeaveAsDatagramsWithTheirAddressing) {
    connectAndRegister(0x0201);
    GameApi& a = api();
    const uint8_t data[] = {9};
    ASSERT_EQ(a.TS_SendMessageToOnePlayer(20, 0x0506, 2, data, 1), TS_SUCCESS);
    ASSERT_EQ(a.TS_SendMessageToGroup(21, 3, 3, data, 1), TS_SUCCESS);
    ASSERT_EQ(a.TS_SendMessageToAllPlayers(22, 4, data, 1), TS_SUCCESS);
    std::vector<Datagram> datagrams;
    ASSERT_TRUE(engineUntil([&] {
        while (auto d = server.receiveDatagram(1))
            if (d->message.payload[0] != kProbe) datagrams.push_back(*d);
        return datagrams.size() == 3;
    }));
    EXPECT_EQ(datagrams[0].message.kind, protocol::SENDTOPLAYER);
    EXPECT_EQ(datagrams[0].message.payload, (Bytes{20, 0x06, 0x05, 9}));
    EXPECT_EQ(datagrams[1].message.kind, protocol::SENDTOPLAYERGROUP);
    EXPECT_EQ(datagrams[1].message.payload, (Bytes{21, 3, 9}));
    EXPECT_EQ(datagrams[2].message.kind, protocol::SENDTOOTHERPLAYERS);
    for (const Datagram& d : datagrams) {
        EXPECT_EQ(d.message.sender, 0x0201);
        EXPECT_EQ(d.message.flags, protocol::kReplaceFlag);
    }
    // Paced: at least 80 ms between two.
    EXPECT_GT(datagrams[1].stamp - datagrams[0].stamp, 80u);
    EXPECT_GT(datagrams[2].stamp - datagrams[1].stamp, 80u);
}

TEST_F(Messaging, EventsReachTheGamesCallbacks) {
    GameApi& a = api();
    EXPECT_EQ(a.TS_FixMyIdCallback(onMyId), TS_SUCCESS);
    EXPECT_EQ(a.TS_FixNewPlayerCallback(onNewPlayer), TS_SUCCESS);
    EXPECT_EQ(a.TS_FixPlayerLeftCallback(onPlayerLeft), TS_SUCCESS);
    EXPECT_EQ(a.TS_FixNewMasterCallback(onNewMaster), TS_SUCCESS);
    EXPECT_EQ(a.TS_FixPlayerInfosCallback(onPlayerInfos), TS_SUCCESS);
    EXPECT_EQ(a.TS_FixDisconnectionCallback(nullptr), TS_ERROR_NO_CALLBACK);
    EXPECT_EQ(a.TS_FixPersonalCallback(onChat, 1), TS_SUCCESS);
    EXPECT_EQ(a.TS_FixPersonalCallback(onChat, 1), TS_ERROR_CALLBACK_EXISTS);
    EXPECT_EQ(a.TS_FixPersonalCallback(onChat, 201), TS_ERROR_MESSAGE_TYPE);
    connectAndRegister(4);

    ASSERT_TRUE(server.send(fromServer(newPlayer(4, "me"))));
    ASSERT_TRUE(server.send(fromServer(newPlayer(6, "abcdefghijklmnop"))));
    ASSERT_TRUE(server.send(fromServer({kNewMaster, 6, 0})));
    ASSERT_TRUE(server.send(fromServer({kPlayerInfos, 6, 0, 1, 2, 3, 4})));
    ASSERT_TRUE(server.send(fromServer({1, 'y', 'o'}, 6)));
    ASSERT_TRUE(server.send(fromServer({2, 'n', 'o'}, 6)));  // nobody listens to type 2
    ASSERT_TRUE(server.send(fromServer({kPlayerLeft, 6, 0})));
    ASSERT_TRUE(engineUntil([] { return calls.size() == 7; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"myid 4 1 2", "new 4 me", "new 6 abcdefghijklmnop", "master 6",
                                               "infos 6 4", "chat 6 yo", "left 6"}));

    calls.clear();
    EXPECT_EQ(a.TS_EnumPlayers(onEnum), TS_SUCCESS);
    EXPECT_EQ(calls, (std::vector<std::string>{"player 4 me"}));
    EXPECT_EQ(a.TS_EnumPlayers(nullptr), TS_ERROR_NO_CALLBACK);

    EXPECT_EQ(a.TS_DeletePersonalCallback(1), TS_SUCCESS);
    EXPECT_EQ(a.TS_DeletePersonalCallback(1), TS_ERROR_MESSAGE_TYPE);
    calls.clear();
    ASSERT_TRUE(server.send(fromServer({1, 'x'}, 6)));
    for (int i = 0; i < 10; ++i) (void)a.TS_Engine();
    EXPECT_TRUE(calls.empty());
}

TEST_F(Messaging, PlayerTableAndDataThroughTheExports) {
    GameApi& a = api();
    connectAndRegister(4);
    ASSERT_TRUE(server.send(fromServer(newPlayer(6, "you"))));
    uint16_t id = 0;
    ASSERT_TRUE(engineUntil([&] { return a.TS_GetPlayerID("you", &id) == TS_SUCCESS; }));
    EXPECT_EQ(id, 6);
    EXPECT_EQ(a.TS_GetPlayerID("You", &id), TS_ERROR_NAME);

    char name[4];
    EXPECT_EQ(a.TS_GetPlayerName(6, name, 3), TS_ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(a.TS_GetPlayerName(6, name, 4), TS_SUCCESS);
    EXPECT_STREQ(name, "you");
    EXPECT_EQ(a.TS_GetPlayerName(7, name, 4), TS_ERROR_PLAYER);

    const int32_t bankroll = 1234;
    EXPECT_EQ(a.TS_UpdatePlayerData(0x10006, 0x10001, &bankroll, 4), TS_SUCCESS);  // player 6, key 1
    int32_t back = 0;
    int32_t size = 4;
    EXPECT_EQ(a.TS_GetPlayerData(6, 1, &back, &size), TS_SUCCESS);
    EXPECT_EQ(back, 1234);
    EXPECT_EQ(a.TS_DeletePlayerData(6, 1), TS_SUCCESS);

    EXPECT_EQ(a.TS_DeletePlayer(6), TS_SUCCESS);
    EXPECT_EQ(a.TS_DeletePlayer(6), TS_ERROR_PLAYER);
    EXPECT_EQ(a.TS_UpdatePlayerData(6, 1, &bankroll, 4), TS_ERROR_PLAYER);
}

TEST_F(Messaging, GroupsThroughTheExports) {
    GameApi& a = api();
    EXPECT_EQ(a.TS_CreateGroup(1), TS_ERROR_NOT_CONNECTED);
    connectAndRegister(4);
    EXPECT_EQ(a.TS_CreateGroup(0x101), TS_SUCCESS);  // group 1
    EXPECT_EQ(a.TS_CreateGroup(1), TS_ERROR_GROUP);
    EXPECT_EQ(a.TS_AddPlayerInGroup(1, 4), TS_SUCCESS);
    EXPECT_EQ(a.TS_AddPlayerInGroup(1, 4), TS_ERROR_PLAYER);
    calls.clear();
    EXPECT_EQ(a.TS_EnumPlayersInGroup(1, onEnum), TS_SUCCESS);
    EXPECT_EQ(calls, (std::vector<std::string>{"player 4 me"}));
    EXPECT_EQ(a.TS_EnumPlayersInGroup(2, onEnum), TS_ERROR_GROUP);
    EXPECT_EQ(a.TS_EnumPlayersInGroup(1, nullptr), TS_ERROR_NO_CALLBACK);
    EXPECT_EQ(a.TS_RemovePlayerFromGroup(0x101, 0x10004), TS_SUCCESS);
    std::vector<Bytes> sent;
    for (const RawMessage& m : engineAndReceive()) sent.push_back(m.payload);
    EXPECT_EQ(sent, (std::vector<Bytes>{{kGroupCreate, 1}, {kGroupAddPlayer, 1, 4, 0}, {kGroupRemovePlayer, 1, 4, 0}}));
}

TEST_F(Messaging, ServerTimeAndStorageThroughTheExports) {
    GameApi& a = api();
    uint32_t seconds = 0;
    int32_t milliseconds = 0;
    EXPECT_EQ(a.TS_GetServerTime(&seconds, &milliseconds), TS_ERROR_NO_SERVER_TIME);
    connectAndRegister(4);
    EXPECT_EQ(a.TS_StartServerSynchronization(), TS_SUCCESS);
    EXPECT_EQ(a.TS_StorePlayerInfosInDatabase(0x10004, "ab", 2), TS_SUCCESS);  // player 4
    std::vector<Bytes> sent;
    ASSERT_EQ(a.TS_Engine(), TS_SUCCESS);  // the time request is queued after the pump
    for (const RawMessage& m : engineAndReceive()) sent.push_back(m.payload);
    EXPECT_EQ(sent, (std::vector<Bytes>{{kPlayerInfos, 4, 0, 'a', 'b'}, {kServerTime}}));

    Bytes answer{kServerTime};
    appendLe32(answer, 1'700'000'000);
    appendLe32(answer, 5);
    ASSERT_TRUE(server.send(fromServer(answer)));
    ASSERT_TRUE(engineUntil([&] { return a.TS_GetServerTime(&seconds, &milliseconds) == TS_SUCCESS; }));
    EXPECT_GE(seconds, 1'700'000'000u);
    EXPECT_LT(seconds, 1'700'000'010u);
    EXPECT_EQ(a.TS_StopServerSynchronization(), TS_SUCCESS);
}

TEST_F(Messaging, ALostLinkIsReportedOnceAndTheTablesStay) {
    GameApi& a = api();
    EXPECT_EQ(a.TS_FixDisconnectionCallback(onDisconnection), TS_SUCCESS);
    connectAndRegister(4);
    EXPECT_EQ(a.TS_CreateGroup(1), TS_SUCCESS);
    server.closeClient();
    ASSERT_TRUE(waitUntil([&] { return a.TS_Engine() == TS_ERROR_NOT_CONNECTED; }));
    EXPECT_EQ(disconnections, 1);
    EXPECT_EQ(a.TS_Engine(), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(disconnections, 1);
    uint16_t id = 0;
    EXPECT_EQ(a.TS_GetPlayerID("me", &id), TS_SUCCESS);
    EXPECT_EQ(a.TS_SendMessageToServer(1, 1, nullptr, 0), TS_ERROR_NOT_CONNECTED);

    // A new connection starts over with an empty table; groups stay.
    ASSERT_EQ(a.TS_ConnectGame(), TS_SUCCESS);
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(a.TS_GetPlayerID("me", &id), TS_ERROR_NAME);
    EXPECT_EQ(a.TS_CreateGroup(1), TS_ERROR_GROUP);
}

TEST_F(Messaging, FreeingFromACallbackWaitsForTheEngineToReturn) {
    GameApi& a = api();
    EXPECT_EQ(a.TS_FixPersonalCallback(freeFromCallback, 3), TS_SUCCESS);
    connectAndRegister(4);
    ASSERT_TRUE(server.send(fromServer({3})));
    ASSERT_TRUE(server.send(fromServer({3})));
    ASSERT_TRUE(waitUntil([&] { return a.TS_Engine() == TS_ERROR_NOT_CONNECTED; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"free"}));  // the second message never ran
    EXPECT_EQ(a.TS_Engine(), TS_ERROR_NOT_CONNECTED);
}

}  // namespace
}  // namespace tessary::gamelib::testing
