// Every request export, checked on the bytes that reach the server.
#include <functional>

#include "fake_server.h"

namespace tessary::clientlib {
namespace {

using namespace testing;
using protocol::Bytes;

struct RequestCase {
    const char* name;
    std::function<void()> call;
    uint8_t type;
    uint8_t destination;
    Bytes body;
};

class Requests : public ServerTest {};

TEST_F(Requests, BodiesAndArgumentOrder) {
    const char* addressees[] = {"ann", "bob"};
    const uint8_t picture[] = {1, 2, 3};
    const RequestCase cases[] = {
        {"page two players", [&] { TSSend_PagePlayer(2, addressees, "hi"); }, 205, 1, cat({L({T("ann"), T("bob")}), T("hi")})},
        {"page nobody", [] { TSSend_PagePlayer(0, nullptr, "hi"); }, 205, 1, cat({L({}), T("hi")})},
        {"page a negative count", [&] { TSSend_PagePlayer(-4, addressees, "hi"); }, 205, 1, cat({L({}), T("hi")})},
        {"login", [] { TSRouterSend_Login("user", "pass", "1.2", 7); }, 206, 1,
         cat({T("user"), T("pass"), T("1.2"), B32(7)})},
        {"login with null texts", [] { TSRouterSend_Login(nullptr, nullptr, "", -1); }, 206, 1,
         cat({T(""), T(""), T(""), B32(-1)})},
        {"create account", [] { TSRouterSend_CreateAccount("a", "b", "c", "d", "e", "f", "g", 0x1FE, 9, -2); }, 1, 1,
         cat({T("a"), T("b"), T("c"), T("d"), T("e"), T("f"), T("g"), B8(0xFE), B32(9), B32(-2)})},
        {"modify account", [] { TSRouterSend_ModifyAccount("a", "b", "c", "d", "e", "f", "g", 3, 4, 5); }, 201, 1,
         cat({T("a"), T("b"), T("c"), T("d"), T("e"), T("f"), T("g"), B8(3), B32(4), B32(5)})},
        {"join arena", [] { TSRouterSend_JoinArena("Arena One"); }, 4, 1, T("Arena One")},
        {"photo", [&] { TSRouterSend_Photo(3, picture, "me"); }, 207, 1, cat({BIN(Bytes{1, 2, 3}), T("me")})},
        {"photo of a negative size", [&] { TSRouterSend_Photo(-3, picture, "me"); }, 207, 1, cat({BIN(Bytes()), T("me")})},
        {"photo without data", [] { TSRouterSend_Photo(10, nullptr, "me"); }, 207, 1, cat({BIN(Bytes()), T("me")})},
        {"search player", [] { TSRouterSend_SearchPlayer("bob"); }, 14, 1, T("bob")},
        {"arena login", [] { TSArenaSend_Login("user"); }, 208, 2, T("user")},
        {"chat to all", [] { TSArenaSend_ChatToAll("hello", 1, 2); }, 27, 2, cat({T("hello"), B32(1), B32(2)})},
        {"chat to a player", [] { TSArenaSend_ChatToPlayer("bob", "hello", 3, 4); }, 28, 2,
         cat({L({T("bob")}), T("hello"), B32(3), B32(4)})},
        {"chat to the session", [] { TSArenaSend_ChatToSession("hello", 5, 6); }, 29, 2,
         cat({T("hello"), B32(5), B32(6)})},
        {"player information", [] { TSArenaSend_GetPlayerInfo("bob"); }, 25, 2, T("bob")},
        {"create session, flag 5", [] { TSArenaSend_CreateSession("s", "g", "o", 1, 2, 3, "p", "q", 5); }, 33, 2,
         cat({T("s"), T("g"), T("o"), B32(1), B32(2), B32(3), T("p"), T("q"), B8(1)})},
        {"create session, flag 0", [] { TSArenaSend_CreateSession("s", "g", "o", 1, 2, 3, "p", "q", 0); }, 33, 2,
         cat({T("s"), T("g"), T("o"), B32(1), B32(2), B32(3), T("p"), T("q"), B8(0)})},
        {"session information", [] { TSArenaSend_GetSessionInfo("s"); }, 23, 2, T("s")},
        {"join session, flag -1", [] { TSArenaSend_JoinSession("s", "p", "x", -1); }, 37, 2,
         cat({T("s"), T("p"), T("x"), B8(1)})},
        {"join session, flag 0", [] { TSArenaSend_JoinSession("s", "p", "x", 0); }, 37, 2,
         cat({T("s"), T("p"), T("x"), B8(0)})},
        {"leave session", [] { EXPECT_EQ(TSArenaSend_LeaveSession(), 1); }, 41, 2, {}},
        {"begin game", [] { EXPECT_EQ(TSArenaSend_BeginGame(), 1); }, 49, 2, {}},
        {"ping answer", [] { EXPECT_EQ(TSArenaSend_Ping(), 1); }, 90, 3, {}},
    };
    for (const auto& c : cases) {
        c.call();
        const auto frame = transmitted();
        ASSERT_TRUE(frame) << c.name;
        EXPECT_EQ(frame->header[3], 0) << c.name << ": flags";
        EXPECT_EQ(frame->type(), c.type) << c.name;
        EXPECT_EQ(frame->source(), 4) << c.name;
        EXPECT_EQ(frame->destination(), c.destination) << c.name;
        EXPECT_EQ(frame->body, c.body) << c.name;
    }
}

TEST_F(Requests, NothingLeavesBeforeTheNextPoll) {
    TSRouterSend_Login("user", "pass", "1.2", 7);
    TSRouterSend_JoinArena("Arena One");
    EXPECT_TRUE(server_->receiveUntilQuiet(100).empty());
    const auto login = transmitted();
    ASSERT_TRUE(login);
    EXPECT_EQ(login->type(), 206);
    const auto join = transmitted();
    ASSERT_TRUE(join);
    EXPECT_EQ(join->type(), 4) << "in the order queued";
}

TEST_F(Requests, ARequestTooBigForAFrameIsNotSent) {
    const std::vector<uint8_t> huge(protocol::kMaxMessageSize, 0x55);
    TSRouterSend_Photo(int32_t(huge.size()), huge.data(), "me");
    TSRouterSend_SearchPlayer("after");
    const auto frame = transmitted();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->type(), 14) << "the photo was dropped, the stream stays framed";
}

TEST_F(Requests, WithoutAConnectionNothingIsQueued) {
    TS_DisconnectFromHost();
    EXPECT_EQ(TSArenaSend_LeaveSession(), 0);
    EXPECT_EQ(TSArenaSend_BeginGame(), 0);
    EXPECT_EQ(TSArenaSend_Ping(), 0);
    TSRouterSend_Login("user", "pass", "1.2", 7);  // does nothing, and does not crash
    EXPECT_EQ(TS_GetMessageType(), -1);

    // A failed connect leaves a connection object: requests are accepted, never sent.
    protocol::testing::CapturedDiag diag;
    server_->stopListening();
    EXPECT_EQ(TS_ConnectToHost("127.0.0.1", server_->port(), 1), 0);
    EXPECT_EQ(TSArenaSend_LeaveSession(), 1);
    EXPECT_EQ(TS_GetMessageType(), -1);
    EXPECT_EQ(TS_ConnectToHost("127.0.0.1", -5, 1), 0) << "an impossible port";
    EXPECT_EQ(TS_ConnectToHost(nullptr, 4000, 1), 0);
    EXPECT_EQ(diag.text, "Erreur socket\nErreur socket\nErreur socket\n");
}

TEST_F(Requests, ReconnectingDropsUnsentRequests) {
    TSRouterSend_JoinArena("lost");
    connect(protocol::kModuleArenaW);
    TSArenaSend_Login("kept");
    const auto frame = transmitted();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->type(), 208);
}

TEST_F(Requests, APingIsAnsweredToModuleThree) {
    connect(protocol::kModuleArenaW);
    EXPECT_EQ(deliver(90, Values{}, protocol::kModuleArenaW), 90);
    EXPECT_EQ(TSArenaRcv_Ping(), 1);
    const auto answer = transmitted();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type(), 90);
    EXPECT_EQ(answer->destination(), 3);
    EXPECT_TRUE(answer->body.empty());
}

}  // namespace
}  // namespace tessary::clientlib
