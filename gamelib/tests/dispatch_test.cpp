// Every received message through the dispatcher, with right and wrong sizes,
// with and without the callbacks fixed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TSGame.h"
#include "dispatch.h"
#include "library_messages.h"

namespace tessary::gamelib {
namespace {

using protocol::Bytes;

// What the callbacks saw, one line per call.
std::vector<std::string> calls;

void onMyId(uint16_t id, uint16_t a, uint16_t b) {
    calls.push_back("myid " + std::to_string(id) + " " + std::to_string(a) + " " + std::to_string(b));
}
void onNewPlayer(uint16_t id, const char* name) { calls.push_back("new " + std::to_string(id) + " " + name); }
void onPlayerLeft(uint16_t id) { calls.push_back("left " + std::to_string(id)); }
void onNewMaster(uint16_t id) { calls.push_back("master " + std::to_string(id)); }
void onPlayerInfos(uint16_t id, const void* data, int32_t size) {
    std::string line = "infos " + std::to_string(id) + (data ? " data " : " null ") + std::to_string(size);
    for (int32_t i = 0; i < size; ++i) line += " " + std::to_string(static_cast<const uint8_t*>(data)[i]);
    calls.push_back(line);
}
void onPersonal(uint16_t sender, const void* data, int32_t size) {
    std::string line = "personal " + std::to_string(sender) + " " + std::to_string(size);
    for (int32_t i = 0; i < size; ++i) line += " " + std::to_string(static_cast<const uint8_t*>(data)[i]);
    calls.push_back(line);
}

protocol::RawMessage incoming(Bytes payload, uint16_t sender = 0) {
    protocol::RawMessage m;
    m.kind = protocol::SENDTOOTHERPLAYERS;
    m.sender = sender;
    m.payload = std::move(payload);
    return m;
}

Bytes newPlayer(uint16_t id, std::string_view name, size_t fieldSize = 16) {
    Bytes b{kNewPlayer, uint8_t(id), uint8_t(id >> 8)};
    Bytes field(fieldSize, 0);
    std::copy(name.begin(), name.begin() + std::min(name.size(), fieldSize), field.begin());
    b.insert(b.end(), field.begin(), field.end());
    return b;
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override { calls.clear(); }
    void fixAll() {
        state.events.myId = onMyId;
        state.events.newPlayer = onNewPlayer;
        state.events.playerLeft = onPlayerLeft;
        state.events.newMaster = onNewMaster;
        state.events.playerInfos = onPlayerInfos;
    }
    DispatchResult take(Bytes payload, uint16_t sender = 0) { return dispatchMessage(state, incoming(payload, sender), 1000); }

    GameState state;
};

TEST_F(Dispatch, LibraryEventsOfTheWrongSizeChangeNothing) {
    fixAll();
    state.probe.start(0);
    state.players.announce(4, "dan");
    const std::vector<Bytes> wrong = {
        {kNewMaster, 1},          {kNewMaster, 1, 0, 0},
        {kPlayerLeft, 4},         {kPlayerLeft, 4, 0, 0},
        newPlayer(5, "eve", 15),  newPlayer(5, "eve", 17),
        {kPlayerInfos, 4},        {kOwnId, 1, 0, 2, 0, 3},
        {kOwnId, 1, 0, 2, 0, 3, 0, 0},
        {kServerTime, 1, 2, 3, 4, 5, 6, 7},
    };
    for (const Bytes& payload : wrong) EXPECT_EQ(take(payload), DispatchResult::WrongSize) << int(payload[0]);
    EXPECT_TRUE(calls.empty());
    ASSERT_EQ(state.players.players().size(), 1u);
    EXPECT_EQ(state.ownId, 0);
    EXPECT_FALSE(state.serverClock.valid());
}

TEST_F(Dispatch, EventsCallTheirCallbacksWithTheirValues) {
    fixAll();
    state.ownName = "me";
    struct Case {
        Bytes payload;
        std::string call;
    } cases[] = {
        {{kOwnId, 7, 0, 1, 0, 4, 0}, "myid 7 1 4"},
        {newPlayer(0x0102, "ann"), "new 258 ann"},
        {{kNewMaster, 0x02, 0x01}, "master 258"},
        {{kPlayerInfos, 0x02, 0x01, 9, 8}, "infos 258 data 2 9 8"},
        {{kPlayerInfos, 0x02, 0x01}, "infos 258 null 0"},
        {{kPlayerLeft, 0x02, 0x01}, "left 258"},
    };
    for (const Case& c : cases) {
        calls.clear();
        EXPECT_EQ(take(c.payload), DispatchResult::Handled) << c.call;
        ASSERT_EQ(calls.size(), 1u) << c.call;
        EXPECT_EQ(calls[0], c.call);
    }
    EXPECT_EQ(state.ownId, 7);
    // The own player stays; the one who left is gone.
    ASSERT_EQ(state.players.players().size(), 1u);
    EXPECT_EQ(state.players.players()[0].name, "me");
    EXPECT_EQ(state.players.players()[0].id, 7);
}

TEST_F(Dispatch, EventsWithoutCallbacksStillChangeTheTables) {
    state.ownName = "me";
    EXPECT_EQ(take({kOwnId, 3, 0, 0, 0, 0, 0}), DispatchResult::Handled);
    EXPECT_EQ(take(newPlayer(9, "ann")), DispatchResult::Handled);
    EXPECT_EQ(take({kNewMaster, 9, 0}), DispatchResult::Handled);
    EXPECT_EQ(take({kPlayerInfos, 9, 0, 1}), DispatchResult::Handled);
    EXPECT_EQ(take({kPlayerLeft, 9, 0}), DispatchResult::Handled);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(state.ownId, 3);
    // Without a player-left callback the player stays in the table.
    ASSERT_EQ(state.players.players().size(), 2u);
    EXPECT_NE(state.players.find(9), nullptr);
}

TEST_F(Dispatch, NewPlayerNamesStopAtSixteenBytesWithoutATerminator) {
    fixAll();
    EXPECT_EQ(take(newPlayer(2, "abcdefghijklmnop")), DispatchResult::Handled);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], "new 2 abcdefghijklmnop");
    EXPECT_EQ(state.players.find(2)->name, "abcdefghijklmnop");

    // A known name only takes the new id; id 0 calls nothing.
    calls.clear();
    EXPECT_EQ(take(newPlayer(0, "abcdefghijklmnop")), DispatchResult::Handled);
    EXPECT_TRUE(calls.empty());
    ASSERT_EQ(state.players.players().size(), 1u);
    EXPECT_EQ(state.players.players()[0].id, 0);
}

TEST_F(Dispatch, OtherTypesGoToTheirPersonalCallback) {
    ASSERT_EQ(state.personal.fix(onPersonal, 12), TS_SUCCESS);
    EXPECT_EQ(take({12, 1, 2, 3}, 77), DispatchResult::Handled);
    EXPECT_EQ(take({12}, 78), DispatchResult::Handled);
    EXPECT_EQ(take({13, 1}, 77), DispatchResult::Dropped);
    EXPECT_EQ(take({}, 77), DispatchResult::Dropped);
    // Library types nobody receives are personal types too.
    for (uint8_t type : {238, 244, 248, 250, 255}) EXPECT_EQ(take({type}), DispatchResult::Dropped) << int(type);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "personal 77 3 1 2 3");
    EXPECT_EQ(calls[1], "personal 78 0");
}

TEST_F(Dispatch, ProbeAnswerStopsTheProbeAndTimeAnswerSetsTheClock) {
    state.probe.start(0);
    EXPECT_EQ(take({kProbe}), DispatchResult::Handled);
    EXPECT_FALSE(state.probe.active());

    state.serverClock.requestSent(600);
    EXPECT_EQ(take({kServerTime, 100, 0, 0, 0, 0x84, 0x03, 0, 0}), DispatchResult::Handled);  // 100 s 900 ms
    uint32_t seconds = 0;
    int32_t milliseconds = 0;
    ASSERT_EQ(state.serverClock.read(1000, &seconds, &milliseconds), TS_SUCCESS);
    EXPECT_EQ(seconds, 101u);  // half of 400 ms added
    EXPECT_EQ(milliseconds, 100);
}

// A callback that changes the tables while the dispatcher runs.
GameState* reentrantState = nullptr;
void leaveAndForgetEveryone(uint16_t) { reentrantState->players.clear(); }

TEST_F(Dispatch, CallbacksMayChangeTheTablesTheyAreCalledFrom) {
    reentrantState = &state;
    state.events.playerLeft = leaveAndForgetEveryone;
    state.players.announce(1, "a");
    state.players.announce(2, "b");
    EXPECT_EQ(take({kPlayerLeft, 1, 0}), DispatchResult::Handled);
    EXPECT_TRUE(state.players.players().empty());
}

}  // namespace
}  // namespace tessary::gamelib
