#include "protocol/connection.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/fake_clock.h"
#include "test_support.h"

namespace tessary::protocol {
namespace {

using platform::FakeClock;
using platform::testing::LoopbackPeer;
using testing::CapturedDiag;
using testing::FramePeer;
using testing::pollUntil;
using testing::serviceMessage;

ServiceMessage chat(std::string_view text) {
    ValueList body;
    body.appendText(text);
    return serviceMessage(CHAT, kModuleArena, kModulePlayer, body);
}

ServiceMessage request(uint8_t type, size_t bodySize = 0) {
    ValueList body;
    if (bodySize > 0) body.appendBinary(Bytes(bodySize, type));
    return serviceMessage(type, kModulePlayer, kModuleArena, body);
}

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { connectAgain(); }

    void connectAgain() {
        ASSERT_TRUE(connection.connect("127.0.0.1", server.port()));
        ASSERT_TRUE(server.accept());
    }

    // Pumps until `count` messages wait in the receive queue.
    bool pumpUntilReceived(size_t count) {
        return pollUntil([&] { (void)connection.pump(); },
                         [&] { return connection.receiveQueueSize() >= count; });
    }

    // Pumps for about 100 ms, time enough for bytes sent on loopback to arrive,
    // and tells whether a message came.
    bool pumpAWhileReceives() {
        return pollUntil([&] { (void)connection.pump(); },
                         [&] { return connection.receiveQueueSize() > 0; }, 20);
    }

    // Pumps until the link is found lost or broken.
    bool pumpUntilFailure() {
        bool failed = false;
        return pollUntil([&] { failed = !connection.pump(); }, [&] { return failed; });
    }

    FakeClock clock;
    FramePeer server;
    Connection connection{arenaOptions(), clock};

private:
    static ConnectionOptions arenaOptions() {
        ConnectionOptions options;
        options.keepAliveDestination = kModuleArenaW;
        return options;
    }
};

TEST_F(ConnectionTest, TwoFramesInOneReadAreBothDecodedInOrder) {
    Bytes stream = encode(chat("first"));
    const Bytes second = encode(chat("second"));
    stream.insert(stream.end(), second.begin(), second.end());
    ASSERT_TRUE(server.send(stream));

    ASSERT_TRUE(pumpUntilReceived(2));
    EXPECT_EQ(connection.takeReceived(), Message(chat("first")));
    EXPECT_EQ(connection.takeReceived(), Message(chat("second")));
    EXPECT_EQ(connection.takeReceived(), std::nullopt);
}

TEST_F(ConnectionTest, AFrameSplitOverPollsIsDecodedWhenItsLastByteArrives) {
    const Bytes frame = encode(chat("a frame that arrives in three parts"));
    ASSERT_TRUE(server.send(std::span(frame).first(2)));  // not even the size yet
    EXPECT_FALSE(pumpAWhileReceives());
    ASSERT_TRUE(server.send(std::span(frame).subspan(2, 10)));
    EXPECT_FALSE(pumpAWhileReceives());
    ASSERT_TRUE(server.send(std::span(frame).subspan(12)));
    ASSERT_TRUE(pumpUntilReceived(1));
    EXPECT_EQ(connection.takeReceived(), Message(chat("a frame that arrives in three parts")));
}

TEST_F(ConnectionTest, ALargeFrameArrivesWhole) {
    const ServiceMessage photo = request(PHOTO, 2'500'000);
    ASSERT_TRUE(server.send(encode(photo), 10'000));
    ASSERT_TRUE(pumpUntilReceived(1));
    EXPECT_EQ(connection.takeReceived(), Message(photo));
}

TEST_F(ConnectionTest, QueuedMessagesLeaveOnTheNextPumpInQueueOrder) {
    // Small frames share batches, frames of a piece or more go alone; the
    // server must see every byte in queue order either way.
    std::vector<ServiceMessage> sent;
    for (size_t size : {0, 10, 400, 500, 995, 1000, 3000, 20, 0, 60'000, 5})
        sent.push_back(request(uint8_t(1 + sent.size()), size));
    for (const ServiceMessage& m : sent) connection.queue(m);
    EXPECT_EQ(server.receiveUntilQuiet(50).size(), 0u);  // nothing leaves before the pump

    ASSERT_TRUE(
        pollUntil([&] { (void)connection.pump(); },
                  [&] { return connection.sendQueueEmpty() && connection.unsentBytes() == 0; }));
    for (const ServiceMessage& m : sent) EXPECT_EQ(server.readMessage(), Message(m));
}

TEST_F(ConnectionTest, AnUrgentMessageOvertakesWaitingTraffic) {
    for (int i = 0; i < 3; ++i) {
        ServiceMessage background = request(uint8_t(100 + i));
        background.flags = 31;
        connection.queue(background);
    }
    connection.queue(request(LOGIN));
    ASSERT_TRUE(connection.pump());
    EXPECT_EQ(std::get<ServiceMessage>(*server.readMessage()).type, LOGIN);
}

TEST_F(ConnectionTest, WhatTheSocketDoesNotTakeWaitsAndLeavesLater) {
    // A peer that does not read fills the socket; the pump must not block and
    // must not lose or reorder bytes.
    std::vector<ServiceMessage> sent;
    for (int i = 0; i < 8 && connection.unsentBytes() == 0; ++i) {
        sent.push_back(request(uint8_t(200 + i), 2'000'000));
        connection.queue(sent.back());
        ASSERT_TRUE(connection.pump());
    }
    ASSERT_GT(connection.unsentBytes(), 0u) << "the socket never filled";
    connection.queue(request(CHAT));
    sent.push_back(request(CHAT));

    for (const ServiceMessage& m : sent) {
        std::optional<Message> got;
        ASSERT_TRUE(pollUntil([&] { (void)connection.pump(); },
                              [&] { return (got = server.readMessage(20)).has_value(); }));
        EXPECT_EQ(*got, Message(m));
    }
}

TEST_F(ConnectionTest, KeepAliveAfterThirtySecondsOfSilenceLeavesOnTheNextPump) {
    clock.advanceSeconds(30);
    ASSERT_TRUE(connection.pump());
    EXPECT_TRUE(connection.sendQueueEmpty()) << "30 s is not more than 30 s";

    clock.advanceSeconds(1);
    ASSERT_TRUE(connection.pump());
    EXPECT_EQ(connection.sendQueueSize(), 1u);
    EXPECT_EQ(server.receiveUntilQuiet(50).size(), 0u);

    ASSERT_TRUE(connection.pump());
    EXPECT_EQ(server.readMessage(),
              Message(serviceMessage(STILLALIVE, kModulePlayer, kModuleArenaW)));

    clock.advanceSeconds(20);
    ASSERT_TRUE(connection.pump());
    EXPECT_TRUE(connection.sendQueueEmpty()) << "the keep-alive itself counts as sending";
}

TEST_F(ConnectionTest, SendingKeepsTheLinkAliveWithoutKeepAlives) {
    for (int i = 0; i < 10; ++i) {
        clock.advanceSeconds(20);
        connection.queue(request(CHAT));
        ASSERT_TRUE(connection.pump());
        ASSERT_TRUE(server.readMessage().has_value());
        ASSERT_TRUE(server.send(encode(chat("answer"))));
        ASSERT_TRUE(pumpUntilReceived(1));
        (void)connection.takeReceived();
    }
    EXPECT_TRUE(connection.sendQueueEmpty());
    EXPECT_EQ(server.receiveUntilQuiet(50).size(), 0u);
}

TEST_F(ConnectionTest, SilenceForMoreThanTheReceiveTimeOutEndsTheLink) {
    CapturedDiag diag;
    clock.advanceSeconds(180);
    ASSERT_TRUE(connection.pump());
    ASSERT_TRUE(connection.pump());
    ASSERT_TRUE(server.readMessage().has_value());  // a keep-alive does not count as receiving

    clock.advanceSeconds(1);
    EXPECT_FALSE(connection.pump());
    EXPECT_EQ(connection.error(), kErrorReceiveTimeout);
    EXPECT_EQ(diag.text, "Depassement temps\n");
    EXPECT_FALSE(connection.isConnected());
    EXPECT_EQ(server.waitForClientEnd(), LoopbackPeer::ClientEnd::Reset);
    EXPECT_FALSE(connection.pump());
}

TEST_F(ConnectionTest, ReceivedBytesRestartTheReceiveTimeOut) {
    clock.advanceSeconds(170);
    ASSERT_TRUE(server.send(encode(chat("still here"))));
    ASSERT_TRUE(pumpUntilReceived(1));
    clock.advanceSeconds(170);
    EXPECT_TRUE(connection.pump());
}

TEST(ConnectionWithoutTimeOut, SurvivesAnySilence) {
    FakeClock clock;
    FramePeer server;
    ConnectionOptions options;
    options.receiveTimeoutSeconds = 0;
    options.keepAliveSeconds = 0;
    Connection connection(options, clock);
    ASSERT_TRUE(connection.connect("127.0.0.1", server.port()));
    ASSERT_TRUE(server.accept());
    clock.advanceSeconds(100'000);
    EXPECT_TRUE(connection.pump());
    EXPECT_TRUE(connection.sendQueueEmpty());  // nor keep-alives
}

TEST_F(ConnectionTest, PeerCloseEndsTheLink) {
    server.shutdownOutput();
    ASSERT_TRUE(pumpUntilFailure());
    EXPECT_EQ(connection.error(), kErrorPeerClosed);
    EXPECT_FALSE(connection.isConnected());
}

TEST_F(ConnectionTest, AResetLinkIsNoticedAtOnceNotAtTheTimeOut) {
    server.reset();
    ASSERT_TRUE(pumpUntilFailure());
    EXPECT_EQ(connection.error(), ECONNRESET);
    EXPECT_FALSE(connection.isConnected());
}

TEST_F(ConnectionTest, AFramingFailureSticksUntilReconnecting) {
    struct Case {
        const char* name;
        Bytes badFrame;
    };
    const std::vector<Case> cases = {
        {"impossible size", {0, 0, 2, 0, 0, 0}},
        {"undecodable frame", {0, 0, 6, 0xC0, 1, 0x41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CapturedDiag diag;
        ASSERT_TRUE(server.send(c.badFrame));
        ASSERT_TRUE(pumpUntilFailure());
        EXPECT_FALSE(diag.text.empty());
        EXPECT_TRUE(connection.framingFailed());
        EXPECT_TRUE(connection.isConnected());
        EXPECT_EQ(connection.error(), 0);

        // Good frames afterwards change nothing; queued ones never leave.
        ASSERT_TRUE(server.send(encode(chat("too late"))));
        connection.queue(request(CHAT));
        EXPECT_FALSE(pumpAWhileReceives());
        EXPECT_EQ(server.receiveUntilQuiet(50).size(), 0u);

        connectAgain();
        EXPECT_FALSE(connection.framingFailed());
        ASSERT_TRUE(server.send(encode(chat("fresh"))));
        ASSERT_TRUE(pumpUntilReceived(1));
        EXPECT_EQ(connection.takeReceived(), Message(chat("fresh")));
    }
}

TEST_F(ConnectionTest, ConnectingAgainDropsTheOldLinkAndItsQueues) {
    connection.queue(request(CHAT));
    FramePeer other;
    ASSERT_TRUE(connection.connect("127.0.0.1", other.port()));
    ASSERT_TRUE(other.accept());
    EXPECT_TRUE(connection.sendQueueEmpty());
    EXPECT_EQ(server.waitForClientEnd(), LoopbackPeer::ClientEnd::Reset);
    EXPECT_EQ(connection.peerAddress().port, other.port());
}

TEST(ConnectionFailures, AFailedConnectLeavesAnUnconnectedConnection) {
    LoopbackPeer closed;
    closed.stopListening();
    Connection connection;
    CapturedDiag diag;
    EXPECT_FALSE(connection.connect("127.0.0.1", closed.port()));
    EXPECT_EQ(diag.text, "Erreur socket\n");
    EXPECT_EQ(connection.error(), ECONNREFUSED);
    EXPECT_FALSE(connection.pump());

    connection.queue(request(CHAT));  // accepted, never sent
    EXPECT_EQ(connection.sendQueueSize(), 1u);
    EXPECT_FALSE(connection.pump());
}

TEST_F(ConnectionTest, RawMessagesAreQueuedByTheirSenderKey) {
    RawMessage fromHigh{.kind = SENDTOALLPLAYERS, .flags = 0, .sender = 9, .payload = {1}};
    RawMessage fromLow{.kind = SENDTOALLPLAYERS, .flags = 0, .sender = 2, .payload = {2}};
    connection.queue(fromHigh, fromHigh.sender);
    connection.queue(fromLow, fromLow.sender);
    ASSERT_TRUE(connection.pump());
    EXPECT_EQ(server.readMessage(), Message(fromLow));
    EXPECT_EQ(server.readMessage(), Message(fromHigh));
}

}  // namespace
}  // namespace tessary::protocol
