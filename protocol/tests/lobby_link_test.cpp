#include "protocol/lobby_link.h"

#include <gtest/gtest.h>

#include "platform/fake_clock.h"
#include "test_support.h"

namespace tessary::protocol {
namespace {

using platform::FakeClock;
using testing::CapturedDiag;
using testing::FramePeer;
using testing::pollUntil;
using testing::serviceMessage;

ServiceMessage answer(uint8_t type, std::optional<Bytes> requestCode, std::string_view text = {}) {
    ValueList body;
    if (requestCode) body.appendBinary(*requestCode);
    if (!text.empty()) body.appendText(text);
    return serviceMessage(type, kModuleRouter, kModulePlayer, body);
}

class LobbyLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link.connect("127.0.0.1", server.port(), kModuleArenaW));
        ASSERT_TRUE(server.accept());
    }

    // Polls until a message is handed out (or about two seconds pass).
    int pollForMessage() {
        int result = 0;
        pollUntil([&] { result = link.poll(); }, [&] { return result != LobbyLink::kNothingNew; });
        return result;
    }

    FakeClock clock;
    FramePeer server;
    LobbyLink link{clock};
};

TEST_F(LobbyLinkTest, AnswersReportTheRequestTheyAnswer) {
    struct Case {
        const char* name;
        ServiceMessage message;
        int result;
    };
    const std::vector<Case> cases = {
        {"login refused", answer(TSFAIL, Bytes{LOGIN}, "wrong password"), LOGIN},
        {"arena login accepted", answer(TSSUCCESS, Bytes{LOGINARENA}), LOGINARENA},
        {"session info", answer(TSSUCCESS, Bytes{24}), 24},
        {"no request code", answer(TSSUCCESS, std::nullopt, "text first"), TSSUCCESS},
        {"code of two bytes", answer(TSFAIL, Bytes{LOGIN, 0}), TSFAIL},
        {"code 0 would read as nothing new", answer(TSFAIL, Bytes{0}), TSFAIL},
        {"any other message reports its type", answer(NEWS, std::nullopt, "news"), NEWS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(server.sendMessage(c.message));
        EXPECT_EQ(pollForMessage(), c.result);
        EXPECT_EQ(link.current(), c.message);  // the current message keeps its own type
    }
}

TEST_F(LobbyLinkTest, TwoMessagesInOneReadAreHandedOutByTwoPolls) {
    Bytes stream = encode(answer(NEWS, std::nullopt, "one"));
    const Bytes second = encode(answer(CHAT, std::nullopt, "two"));
    stream.insert(stream.end(), second.begin(), second.end());
    ASSERT_TRUE(server.send(stream));

    EXPECT_EQ(pollForMessage(), NEWS);
    EXPECT_EQ(link.poll(), CHAT);
    EXPECT_EQ(link.poll(), LobbyLink::kNothingNew);
    EXPECT_EQ(link.current().type, CHAT) << "an empty poll keeps the current message";
    EXPECT_EQ(*link.current().body.text(0), "two");
}

TEST_F(LobbyLinkTest, APingIsAnsweredAndTheAnswerLeavesWithTheNextPoll) {
    ASSERT_TRUE(server.sendMessage(serviceMessage(PING, kModuleArenaW, kModulePlayer)));
    EXPECT_EQ(pollForMessage(), PING);
    EXPECT_EQ(link.connection()->sendQueueSize(), 1u);
    EXPECT_EQ(server.receiveUntilQuiet(50).size(), 0u);

    EXPECT_EQ(link.poll(), LobbyLink::kNothingNew);
    EXPECT_EQ(server.readMessage(), Message(serviceMessage(PING, kModulePlayer, kModuleArenaW)));
}

TEST_F(LobbyLinkTest, RequestsLeaveOnTheNextPollFromThePlayersClient) {
    ValueList body;
    body.appendText("hello all");
    ASSERT_TRUE(link.queueRequest(CHATALL, kModuleArena, &body));
    ASSERT_TRUE(link.queueRequest(GETSESSIONINFO, kModuleArena));
    EXPECT_EQ(server.receiveUntilQuiet(50).size(), 0u);

    EXPECT_EQ(link.poll(), LobbyLink::kNothingNew);
    EXPECT_EQ(server.readMessage(),
              Message(serviceMessage(CHATALL, kModulePlayer, kModuleArena, body)));
    EXPECT_EQ(server.readMessage(),
              Message(serviceMessage(GETSESSIONINFO, kModulePlayer, kModuleArena)));
}

TEST_F(LobbyLinkTest, KeepAlivesGoToTheDestinationGivenAtConnect) {
    clock.advanceSeconds(31);
    EXPECT_EQ(link.poll(), LobbyLink::kNothingNew);
    EXPECT_EQ(link.poll(), LobbyLink::kNothingNew);
    EXPECT_EQ(server.readMessage(),
              Message(serviceMessage(STILLALIVE, kModulePlayer, kModuleArenaW)));
}

TEST_F(LobbyLinkTest, RawFramesHaveNoReaderAndAreSkipped) {
    Bytes stream =
        encode(RawMessage{.kind = SENDTOPLAYER, .flags = 0, .sender = 3, .payload = {EVENT_OWNID}});
    const Bytes news = encode(answer(NEWS, std::nullopt, "after the raw one"));
    stream.insert(stream.end(), news.begin(), news.end());
    ASSERT_TRUE(server.send(stream));
    EXPECT_EQ(pollForMessage(), NEWS);
}

TEST_F(LobbyLinkTest, ALostLinkReportsDownOnEveryPoll) {
    ASSERT_TRUE(server.sendMessage(answer(NEWS, std::nullopt, "last words")));
    EXPECT_EQ(pollForMessage(), NEWS);
    server.shutdownOutput();
    EXPECT_EQ(pollForMessage(), LobbyLink::kLinkDown);
    EXPECT_EQ(link.poll(), LobbyLink::kLinkDown);
    EXPECT_EQ(link.current().type, NEWS);
    EXPECT_TRUE(link.queueRequest(CHAT, kModuleArena))
        << "the unconnected object still takes requests";
}

TEST(LobbyLinkStates, WithoutAConnectionNothingIsQueued) {
    LobbyLink link;
    EXPECT_EQ(link.poll(), LobbyLink::kLinkDown);
    EXPECT_FALSE(link.queueRequest(CHAT, kModuleArena));

    FramePeer refused;
    refused.stopListening();
    CapturedDiag diag;
    EXPECT_FALSE(link.connect("127.0.0.1", refused.port(), kModuleRouter));
    EXPECT_EQ(diag.text, "Erreur socket\n");
    EXPECT_EQ(link.poll(), LobbyLink::kLinkDown);
    EXPECT_TRUE(link.queueRequest(CHAT, kModuleArena));

    link.disconnect();
    EXPECT_FALSE(link.hasConnection());
    EXPECT_FALSE(link.queueRequest(CHAT, kModuleArena));
}

}  // namespace
}  // namespace tessary::protocol
