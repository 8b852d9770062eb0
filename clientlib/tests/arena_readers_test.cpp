// The readers of Arena messages and answers, on messages a fake Arena sends.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fake_server.h"
#include "protocol/message_fields.h"

namespace tessary::clientlib {
namespace {

using namespace testing;

std::string text(const char* buffer) { return std::string(buffer, ::strnlen(buffer, TS_TEXT_OUT_SIZE)); }

class ArenaReaders : public ServerTest {
protected:
    void SetUp() override { connect(protocol::kModuleArenaW); }

    int32_t deliverFromArena(uint8_t type, const Values& body) { return deliver(type, body, protocol::kModuleArena); }

    static Values session(const std::string& name, std::vector<std::string> players,
                          std::vector<std::string> spectators) {
        Values playerList, spectatorList;
        for (const auto& p : players) playerList.text(p);
        for (const auto& s : spectators) spectatorList.text(s);
        using F = protocol::SessionListEntry;
        Values entry;
        for (size_t field = 0; field < F::Count; ++field) {
            switch (F::Field(field)) {
                case F::Name: entry.text(name); break;
                case F::Master: entry.text(name + " master"); break;
                case F::Game: entry.text(name + " game"); break;
                case F::PlayerNames: entry.sub(playerList); break;
                case F::SpectatorNames: entry.sub(spectatorList); break;
                default: entry.i32(int32_t(field)); break;  // each number is its position
            }
        }
        return entry;
    }

    char a_[TS_TEXT_OUT_SIZE];
    char b_[TS_TEXT_OUT_SIZE];
    char c_[TS_TEXT_OUT_SIZE];
};

// The sequence of the example: sessions with their players and spectators.
TEST_F(ArenaReaders, SessionPlayerAndSpectatorCursors) {
    ASSERT_EQ(deliverFromArena(20, Values{}.sub(session("one", {"a", "b"}, {"c"})).sub(session("two", {"d"}, {}))), 20);
    EXPECT_EQ(TSArenaRcv_GetNextPlayerInSession(a_), 0) << "no session read yet";

    int32_t n[5];
    std::vector<std::string> seen;
    auto step = [&](const char* what, std::function<int32_t()> call) {
        const int32_t read = call();
        seen.push_back(std::string(what) + (read ? ":" + text(a_) : ":0"));
    };
    auto nextSession = [&] { return TSArenaRcv_GetNextSession(a_, b_, c_, &n[0], &n[1], &n[2], &n[3], &n[4]); };
    auto player = [&] { return TSArenaRcv_GetNextPlayerInSession(a_); };
    auto spectator = [&] { return TSArenaRcv_GetNextSpectatorInSession(a_); };
    step("S", nextSession);
    for (int i = 0; i < 3; ++i) step("P", player);
    for (int i = 0; i < 2; ++i) step("V", spectator);
    step("S", nextSession);
    for (int i = 0; i < 2; ++i) step("P", player);
    step("V", spectator);
    step("S", nextSession);
    EXPECT_EQ(seen, (std::vector<std::string>{"S:one", "P:a", "P:b", "P:0", "V:c", "V:0", "S:two", "P:d", "P:0", "V:0",
                                              "S:0"}));
    EXPECT_EQ(TSArenaRcv_GetNextPlayerInSession(a_), 0) << "the last session's players are all read";
}

TEST_F(ArenaReaders, SessionValuesGoToTheirOutputs) {
    ASSERT_EQ(deliverFromArena(20, Values{}.sub(session("one", {}, {}))), 20);
    int32_t r4 = 0, r5 = 0, r6 = 0, r7 = 0, r8 = 0;
    ASSERT_EQ(TSArenaRcv_GetNextSession(a_, b_, c_, &r4, &r5, &r6, &r7, &r8), 1);
    EXPECT_EQ(text(a_), "one");
    EXPECT_EQ(text(b_), "one game");
    EXPECT_EQ(text(c_), "one master");
    EXPECT_EQ(std::vector<int32_t>({r4, r5, r6, r7, r8}), std::vector<int32_t>({1, 3, 2, 4, 6}))
        << "position 2 goes to the sixth argument, 3 to the fifth";
}

TEST_F(ArenaReaders, ANewSessionRestartsPlayersAndSpectators) {
    ASSERT_EQ(deliverFromArena(20, Values{}.sub(session("one", {"a"}, {"b"})).sub(session("two", {"c"}, {"d"}))), 20);
    int32_t n[5];
    ASSERT_EQ(TSArenaRcv_GetNextSession(a_, b_, c_, &n[0], &n[1], &n[2], &n[3], &n[4]), 1);
    ASSERT_EQ(TSArenaRcv_GetNextSession(a_, b_, c_, &n[0], &n[1], &n[2], &n[3], &n[4]), 1);
    ASSERT_EQ(TSArenaRcv_GetNextPlayerInSession(a_), 1);
    EXPECT_EQ(text(a_), "c");
    ASSERT_EQ(TSArenaRcv_GetNextSpectatorInSession(a_), 1);
    EXPECT_EQ(text(a_), "d");

    ASSERT_EQ(deliverFromArena(20, Values{}.sub(session("three", {"e"}, {}))), 20);
    EXPECT_EQ(TSArenaRcv_GetNextPlayerInSession(a_), 0) << "a new list starts before its first session";
}

TEST_F(ArenaReaders, PlayerList) {
    ASSERT_EQ(deliverFromArena(22, Values{}.sub(Values{}.text("ann").i32(1)).sub(Values{}.text("bob").i32(2))), 22);
    int32_t value = 0;
    ASSERT_EQ(TSArenaRcv_GetNextPlayer(a_, &value), 1);
    EXPECT_EQ(text(a_) + std::to_string(value), "ann1");
    ASSERT_EQ(TSArenaRcv_GetNextPlayer(a_, &value), 1);
    EXPECT_EQ(text(a_) + std::to_string(value), "bob2");
    EXPECT_EQ(TSArenaRcv_GetNextPlayer(a_, &value), 0);
    EXPECT_EQ(TSArenaRcv_GetNextSession(a_, b_, c_, &value, &value, &value, &value, &value), 0) << "not a session list";
}

TEST_F(ArenaReaders, Notifications) {
    int32_t i1 = 0, i2 = 0, i3 = 0;
    struct Case {
        const char* name;
        uint8_t type;
        Values body;
        std::function<int32_t()> read;
        std::function<std::string()> values;
    };
    const Case cases[] = {
        {"player new", 6, Values{}.text("ann").i32(5), [&] { return TSArenaRcv_PlayerNew(a_, &i1); },
         [&] { return text(a_) + "," + std::to_string(i1); }},
        {"player removed", 11, Values{}.text("ann"), [&] { return TSArenaRcv_PlayerRemoved(a_); },
         [&] { return text(a_); }},
        {"player update", 54, Values{}.text("ann").i32(-3), [&] { return TSArenaRcv_UpdatePlayerInfo(a_, &i1); },
         [&] { return text(a_) + "," + std::to_string(i1); }},
        {"session new", 36, Values{}.text("s").i32(1).i32(2).text("opts").i32(3).text("POKER"),
         [&] { return TSArenaRcv_SessionNew(a_, b_, &i1, &i2, &i3, c_); },
         [&] { return text(a_) + "," + text(b_) + "," + std::to_string(i1) + std::to_string(i2) + std::to_string(i3) +
                      "," + text(c_); }},
        {"session removed", 43, Values{}.text("s"), [&] { return TSArenaRcv_SessionRemoved(a_); },
         [&] { return text(a_); }},
        {"master changed", 57, Values{}.text("s").text("bob"), [&] { return TSArenaRcv_MasterChanged(a_, b_); },
         [&] { return text(a_) + "," + text(b_); }},
        {"session state", 60, Values{}.text("s").i32(2), [&] { return TSArenaRcv_SessionState(a_, &i1); },
         [&] { return text(a_) + "," + std::to_string(i1); }},
        {"join, flag 7", 40, Values{}.text("s").text("bob").i8(7),
         [&] { return TSArenaRcv_PlayerJoinSession(a_, b_, &i1); },
         [&] { return text(a_) + "," + text(b_) + "," + std::to_string(i1); }},
        {"join, flag 0", 40, Values{}.text("s").text("bob").i8(0),
         [&] { return TSArenaRcv_PlayerJoinSession(a_, b_, &i1); },
         [&] { return text(a_) + "," + text(b_) + "," + std::to_string(i1); }},
        {"leave", 42, Values{}.text("s").text("bob"), [&] { return TSArenaRcv_PlayerLeaveSession(a_, b_); },
         [&] { return text(a_) + "," + text(b_); }},
        {"chat all", 27, Values{}.text("ann").text("hi").i32(1).i32(2),
         [&] { return TSArenaRcv_ChatAll(a_, b_, &i1, &i2); },
         [&] { return text(a_) + "," + text(b_) + "," + std::to_string(i1) + std::to_string(i2); }},
        {"chat list", 28, Values{}.text("ann").text("hi").i32(3).i32(4),
         [&] { return TSArenaRcv_ChatList(a_, b_, &i1, &i2); },
         [&] { return text(a_) + "," + text(b_) + "," + std::to_string(i1) + std::to_string(i2); }},
        {"chat session", 29, Values{}.text("ann").text("hi").i32(5).i32(6),
         [&] { return TSArenaRcv_ChatSession(a_, b_, &i1, &i2); },
         [&] { return text(a_) + "," + text(b_) + "," + std::to_string(i1) + std::to_string(i2); }},
        {"start game", 202, Values{}.text("s").i32(9), [&] { return TSArenaRcv_StartGame(a_, &i1); },
         [&] { return text(a_) + "," + std::to_string(i1); }},
    };
    const char* expected[] = {"ann,5", "ann", "ann,-3", "s,POKER,123,opts", "s", "s,bob", "s,2", "s,bob,1",
                              "s,bob,0", "s,bob", "ann,hi,12", "ann,hi,34", "ann,hi,56", "s,9"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        ASSERT_EQ(deliverFromArena(c.type, c.body), c.type) << c.name;
        ASSERT_EQ(c.read(), 1) << c.name;
        EXPECT_EQ(c.values(), expected[i]) << c.name;
        // The same reader on a message of another type reads nothing.
        const uint8_t other = c.type == 6 ? 11 : 6;
        ASSERT_EQ(deliverFromArena(other, Values{}.text("x").i32(0)), other) << c.name;
        EXPECT_EQ(c.read(), 0) << c.name << " on type " << int(other);
        // Nor does it with a value of the wrong kind in front.
        ASSERT_EQ(deliverFromArena(c.type, Values{}.i32(1).i32(1).i32(1).i32(1).i32(1).i32(1)), c.type) << c.name;
        EXPECT_EQ(c.read(), 0) << c.name << " with binaries for texts";
    }
}

TEST_F(ArenaReaders, PingIsReportedAndAnswered) {
    EXPECT_EQ(deliverFromArena(90, Values{}), 90);
    EXPECT_EQ(TSArenaRcv_Ping(), 1);
    ASSERT_EQ(deliverFromArena(27, Values{}.text("a").text("b").i32(0).i32(0)), 27);
    EXPECT_EQ(TSArenaRcv_Ping(), 0);
}

TEST_F(ArenaReaders, AnswersOfTheArena) {
    char result = 0;
    struct Case {
        uint8_t request;
        int32_t (*read)(char*, char*);
    };
    const Case plain[] = {{208, TSArenaRcv_LoginResult},
                          {33, TSArenaRcv_CreateSessionResult},
                          {37, TSArenaRcv_JoinSessionResult},
                          {49, TSArenaRcv_BeginGameResult}};
    for (const auto& c : plain) {
        ASSERT_EQ(deliverFromArena(47, Values{}.i8(c.request)), c.request);
        EXPECT_EQ(c.read(&result, a_), 1) << int(c.request);
        EXPECT_EQ(result, 47);
        ASSERT_EQ(deliverFromArena(48, Values{}.i8(c.request).sub(Values{}.text("no"))), c.request);
        EXPECT_EQ(c.read(&result, a_), 1) << int(c.request);
        EXPECT_EQ(result, 48);
        EXPECT_EQ(text(a_), "no");
        for (const auto& other : plain) {
            if (other.request != c.request) {
                EXPECT_EQ(other.read(&result, a_), 0) << int(c.request);
            }
        }
    }
}

TEST_F(ArenaReaders, SessionInformationIsTheAnswerWithCode24) {
    char result = 0;
    ASSERT_EQ(deliverFromArena(47, Values{}.i8(24).sub(Values{}.text("s").text("info"))), 24);
    ASSERT_EQ(TSArenaRcv_SessionInfoResult(&result, a_, b_, c_), 1);
    EXPECT_EQ(text(b_) + "/" + text(c_), "s/info");

    ASSERT_EQ(deliverFromArena(47, Values{}.i8(23).sub(Values{}.text("s").text("info"))), 23);
    EXPECT_EQ(TSArenaRcv_SessionInfoResult(&result, a_, b_, c_), 0) << "23 is the request, not the answer";
}

TEST_F(ArenaReaders, PlayerInformationWithItsGames) {
    const Values data = std::move(Values{}
                                      .text("nick").text("f").text("l").text("m").text("t").text("FR").i8(2).i32(1980)
                                      .sub(Values{}.sub(Values{}.text("POKER").text("7")).sub(Values{}.text("SLIME").text("1"))));
    ASSERT_EQ(deliverFromArena(47, Values{}.i8(25).sub(data)), 25);
    char result = 0;
    char r[6][TS_TEXT_OUT_SIZE];
    uint8_t r9 = 0;
    int32_t r10 = 0;
    ASSERT_EQ(TSArenaRcv_PlayerInfoResult(&result, a_, r[0], r[1], r[2], r[3], r[4], r[5], &r9, &r10), 1);
    EXPECT_EQ(text(r[0]) + text(r[5]), "nickFR");
    EXPECT_EQ(r9, 2);
    EXPECT_EQ(r10, 1980);
    ASSERT_EQ(TSArenaRcv_GetNextGame(a_, b_), 1);
    EXPECT_EQ(text(a_) + text(b_), "POKER7");
    ASSERT_EQ(TSArenaRcv_GetNextGame(a_, b_), 1);
    EXPECT_EQ(text(a_) + text(b_), "SLIME1");
    EXPECT_EQ(TSArenaRcv_GetNextGame(a_, b_), 0);

    ASSERT_EQ(deliverFromArena(48, Values{}.i8(25).sub(Values{}.text("unknown player"))), 25);
    r9 = 99;
    ASSERT_EQ(TSArenaRcv_PlayerInfoResult(&result, a_, r[0], r[1], r[2], r[3], r[4], r[5], &r9, &r10), 1);
    EXPECT_EQ(text(a_), "unknown player");
    EXPECT_EQ(r9, 99) << "untouched on a failure";
    EXPECT_EQ(TSArenaRcv_GetNextGame(a_, b_), 0);
}

TEST_F(ArenaReaders, PhotoOfAPlayer) {
    const std::string picture(100'000, '\x42');
    ASSERT_EQ(deliverFromArena(207, Values{}.text("ann").binary(picture)), 207);
    int32_t size = -1;
    std::vector<uint8_t> buffer(picture.size() + 16, 0xEE);
    EXPECT_EQ(TSArenaRcv_Photo(buffer.data()), 0) << "no size read yet";
    ASSERT_EQ(TSArenaRcv_GetPhotoSize(&size, a_), 1);
    EXPECT_EQ(size, int32_t(picture.size()));
    EXPECT_EQ(text(a_), "ann");
    ASSERT_EQ(TSArenaRcv_Photo(buffer.data()), 1);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + long(picture.size())), picture);
    EXPECT_EQ(buffer[picture.size()], 0xEE);

    ASSERT_EQ(deliverFromArena(207, Values{}.binary(picture)), 207);
    EXPECT_EQ(TSArenaRcv_GetPhotoSize(&size, a_), 0) << "a Router photo has no owner";
    EXPECT_EQ(size, 0);
}

TEST_F(ArenaReaders, TruncatedSessionEntriesReadNothing) {
    const Values broken[] = {
        std::move(Values{}.sub(Values{}.text("s").i32(1).i32(2).i32(3).i32(4))),
        std::move(Values{}.sub(Values{}.text("s").i32(1).i32(2).i32(3).i32(4).text("o").i32(6).i32(7))),
        std::move(Values{}.text("not a list")),
    };
    int32_t n[5];
    for (const auto& body : broken) {
        ASSERT_EQ(deliverFromArena(20, body), 20);
        EXPECT_EQ(TSArenaRcv_GetNextSession(a_, b_, c_, &n[0], &n[1], &n[2], &n[3], &n[4]), 0);
    }
    ASSERT_EQ(deliverFromArena(20, Values{}.sub(Values{}.text("s").i32(1).i32(2).i32(3).i32(4).text("o").i32(6).text("g"))), 20);
    ASSERT_EQ(TSArenaRcv_GetNextSession(a_, b_, c_, &n[0], &n[1], &n[2], &n[3], &n[4]), 1)
        << "the member lists are not needed to read the session";
    EXPECT_EQ(TSArenaRcv_GetNextPlayerInSession(a_), 0);
    EXPECT_EQ(TSArenaRcv_GetNextSpectatorInSession(a_), 0);
}

}  // namespace
}  // namespace tessary::clientlib
