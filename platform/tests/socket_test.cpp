#include "platform/socket.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/testing/loopback_peer.h"

namespace tessary::platform {
namespace {

using testing::LoopbackPeer;

std::vector<uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// Receives until `count` bytes came or about two seconds passed.
std::vector<uint8_t> receiveSome(TcpSocket& socket, size_t count) {
    std::vector<uint8_t> got;
    uint8_t chunk[256];
    for (int attempt = 0; attempt < 200 && got.size() < count; ++attempt) {
        const IoResult result = socket.receive(chunk);
        if (result.status == IoStatus::Done)
            got.insert(got.end(), chunk, chunk + result.bytes);
        else if (result.status != IoStatus::WouldBlock)
            break;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
}

// The status of the first receive that is not WouldBlock (about two seconds at most).
IoResult receiveUntilSettled(TcpSocket& socket) {
    uint8_t chunk[256];
    IoResult result;
    for (int attempt = 0; attempt < 200; ++attempt) {
        result = socket.receive(chunk);
        if (result.status != IoStatus::WouldBlock) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return result;
}

TEST(ResolveIpv4, TakesDottedAddressesAsTheyAreAndLooksUpNames) {
    EXPECT_EQ(resolveIpv4("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(resolveIpv4("127.1.2.3"), "127.1.2.3");
    const auto localhost = resolveIpv4("localhost");
    ASSERT_TRUE(localhost.has_value());
    EXPECT_EQ(localhost->rfind("127.", 0), 0u) << *localhost;
    EXPECT_FALSE(resolveIpv4("").has_value());
}

class TcpSocketTest : public ::testing::Test {
protected:
    void connectClient(std::string_view host = "127.0.0.1") {
        ASSERT_EQ(client.connect(host, peer.port()), 0);
        ASSERT_TRUE(peer.accept());
    }

    LoopbackPeer peer;
    TcpSocket client;
};

TEST_F(TcpSocketTest, ConnectsByAddressOrNameAndKnowsBothEnds) {
    for (const char* host : {"127.0.0.1", "localhost"}) {
        SCOPED_TRACE(host);
        connectClient(host);
        EXPECT_TRUE(client.isOpen());
        EXPECT_EQ(client.peerAddress().port, peer.port());
        EXPECT_EQ(client.peerAddress().address.rfind("127.", 0), 0u);
        EXPECT_EQ(client.localAddress().address.rfind("127.", 0), 0u);
        EXPECT_NE(client.localAddress().port, 0);
    }
}

TEST_F(TcpSocketTest, IsNonBlockingWithNoDelayAfterConnecting) {
    connectClient();
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(getsockopt(client.descriptor(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0);

    uint8_t buffer[16];
    const IoResult nothing = client.receive(buffer);
    EXPECT_EQ(nothing.status, IoStatus::WouldBlock);
    EXPECT_EQ(nothing.bytes, 0u);
}

TEST_F(TcpSocketTest, CarriesBytesBothWays) {
    connectClient();
    const auto hello = bytesOf("hello");
    const IoResult sent = client.send(hello);
    ASSERT_EQ(sent.status, IoStatus::Done);
    EXPECT_EQ(sent.bytes, hello.size());
    EXPECT_EQ(peer.receive(hello.size()), hello);

    const auto answer = bytesOf("answer from the peer");
    ASSERT_TRUE(peer.send(answer));
    EXPECT_EQ(receiveSome(client, answer.size()), answer);
}

TEST_F(TcpSocketTest, SendStopsWithoutBlockingWhenThePeerDoesNotRead) {
    connectClient();
    const std::vector<uint8_t> chunk(1 << 20, 0x55);
    IoResult result;
    for (int attempt = 0; attempt < 256; ++attempt) {  // far more than any socket buffer
        result = client.send(chunk);
        if (result.status != IoStatus::Done) break;
    }
    EXPECT_EQ(result.status, IoStatus::WouldBlock);
}

TEST_F(TcpSocketTest, TellsAnOrderlyEndFromAReset) {
    connectClient();
    peer.shutdownOutput();
    EXPECT_EQ(receiveUntilSettled(client).status, IoStatus::Closed);

    connectClient();
    peer.reset();
    const IoResult reset = receiveUntilSettled(client);
    EXPECT_EQ(reset.status, IoStatus::Failed);
    EXPECT_EQ(reset.error, ECONNRESET);
    // Sending on the dead link fails instead of raising SIGPIPE.
    EXPECT_EQ(client.send(bytesOf("x")).status, IoStatus::Failed);
}

TEST_F(TcpSocketTest, CloseIsAbortive) {
    connectClient();
    client.close();
    EXPECT_FALSE(client.isOpen());
    EXPECT_EQ(peer.waitForClientEnd(), LoopbackPeer::ClientEnd::Reset);
}

TEST_F(TcpSocketTest, FailedConnectsReportTheirCause) {
    peer.stopListening();
    EXPECT_EQ(client.connect("127.0.0.1", peer.port()), ECONNREFUSED);
    EXPECT_FALSE(client.isOpen());
    EXPECT_EQ(client.connect("", peer.port()), EHOSTUNREACH);
}

TEST_F(TcpSocketTest, OperationsOnAClosedSocketFail) {
    uint8_t buffer[4];
    EXPECT_EQ(client.send(bytesOf("x")).error, EBADF);
    EXPECT_EQ(client.receive(buffer).error, EBADF);
}

TEST_F(TcpSocketTest, MovingHandsOverTheStream) {
    connectClient();
    TcpSocket moved = std::move(client);
    EXPECT_FALSE(client.isOpen());
    ASSERT_TRUE(moved.isOpen());
    const auto hi = bytesOf("hi");
    EXPECT_EQ(moved.send(hi).bytes, 2u);
    EXPECT_EQ(peer.receive(2), hi);
}

class UdpSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(a.bind(), 0);
        ASSERT_EQ(b.bind(), 0);
    }

    IoResult receiveOn(UdpSocket& socket, std::span<uint8_t> buffer, Endpoint* from) {
        IoResult result;
        for (int attempt = 0; attempt < 200; ++attempt) {
            result = socket.receiveFrom(buffer, from);
            if (result.status != IoStatus::WouldBlock) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return result;
    }

    UdpSocket a;
    UdpSocket b;
};

TEST_F(UdpSocketTest, ExchangesDatagramsAndNamesTheSender) {
    EXPECT_NE(a.localPort(), 0);
    EXPECT_NE(a.localPort(), b.localPort());

    const auto datagram = bytesOf("state update");
    EXPECT_EQ(a.sendTo({"127.0.0.1", b.localPort()}, datagram).bytes, datagram.size());
    std::vector<uint8_t> buffer(1024);
    Endpoint from;
    const IoResult got = receiveOn(b, buffer, &from);
    ASSERT_EQ(got.status, IoStatus::Done);
    buffer.resize(got.bytes);
    EXPECT_EQ(buffer, datagram);
    EXPECT_EQ(from, (Endpoint{"127.0.0.1", a.localPort()}));
}

TEST_F(UdpSocketTest, NeverBlocksAndCutsLongDatagrams) {
    uint8_t small[4];
    EXPECT_EQ(b.receiveFrom(small).status, IoStatus::WouldBlock);

    ASSERT_EQ(a.sendTo({"127.0.0.1", b.localPort()}, bytesOf("0123456789")).status, IoStatus::Done);
    const IoResult cut = receiveOn(b, small, nullptr);
    ASSERT_EQ(cut.status, IoStatus::Done);
    EXPECT_EQ(cut.bytes, 4u);
    EXPECT_EQ(std::string(small, small + 4), "0123");
    EXPECT_EQ(b.receiveFrom(small).status, IoStatus::WouldBlock);  // the rest is gone

    ASSERT_EQ(a.sendTo({"127.0.0.1", b.localPort()}, {}).status, IoStatus::Done);
    const IoResult empty = receiveOn(b, small, nullptr);
    EXPECT_EQ(empty.status, IoStatus::Done);
    EXPECT_EQ(empty.bytes, 0u);
}

TEST_F(UdpSocketTest, RejectsAddressesThatAreNotDotted) {
    const IoResult result = a.sendTo({"localhost", b.localPort()}, bytesOf("x"));
    EXPECT_EQ(result.status, IoStatus::Failed);
    EXPECT_EQ(result.error, EINVAL);
    a.close();
    EXPECT_EQ(a.sendTo({"127.0.0.1", b.localPort()}, bytesOf("x")).error, EBADF);
}

}  // namespace
}  // namespace tessary::platform
