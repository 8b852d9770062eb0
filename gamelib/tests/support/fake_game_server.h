// A game server for the tests: a TCP listener on 127.0.0.1 at an ephemeral
// port and a UDP socket on the next port, driven by the test with blocking
// calls that are always bounded in time.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "library_messages.h"
#include "protocol/codec.h"

namespace tessary::gamelib::testing {

class FakeGameServer {
public:
    FakeGameServer();
    ~FakeGameServer();
    FakeGameServer(const FakeGameServer&) = delete;
    FakeGameServer& operator=(const FakeGameServer&) = delete;

    bool ready() const { return listener_ >= 0 && udp_ >= 0; }
    uint16_t port() const { return port_; }

    [[nodiscard]] bool accept(int timeoutMs = 5000);
    // Ends the client's link in order (the client reads end of stream).
    void closeClient();

    [[nodiscard]] bool sendBytes(std::span<const uint8_t> bytes);
    [[nodiscard]] bool send(const protocol::Message& message) { return sendBytes(protocol::encode(message)); }

    // The next whole frame from the client within `timeoutMs`.
    [[nodiscard]] std::optional<protocol::Message> receiveFrame(int timeoutMs = 50);
    // The raw frames that arrived until nothing came for `quietMs`;
    // structured frames (keep-alives) are skipped.
    std::vector<protocol::RawMessage> receiveRawUntilQuiet(int quietMs = 50);

    // The next datagram within `timeoutMs`, decoded; nothing on time-out or
    // when it does not decode. Remembers where it came from.
    [[nodiscard]] std::optional<Datagram> receiveDatagram(int timeoutMs = 50);
    // Sends to the client's datagram socket (known from its first datagram).
    [[nodiscard]] bool sendDatagramBytes(std::span<const uint8_t> bytes);
    [[nodiscard]] bool sendDatagram(const Datagram& datagram) { return sendDatagramBytes(encodeDatagram(datagram)); }
    bool knowsClientDatagramPort() const { return clientUdpPort_ != 0; }
    void setClientDatagramPort(uint16_t port) { clientUdpPort_ = port; }

    // Sends every raw frame and every datagram back to the client as it
    // arrives (a datagram with the client's stamp as its echo stamp), until
    // `stop` is set. For load tests; runs on its own thread after accept().
    void echoUntil(const std::atomic<bool>& stop);

    // Bytes of the stream that did not form a whole frame yet.
    size_t pendingStreamBytes() const { return stream_.size() - consumed_; }

private:
    bool readSome(int timeoutMs);

    int listener_ = -1;
    int client_ = -1;
    int udp_ = -1;
    uint16_t port_ = 0;
    uint16_t clientUdpPort_ = 0;
    std::vector<uint8_t> stream_;
    size_t consumed_ = 0;  // bytes of stream_ already cut into frames
};

}  // namespace tessary::gamelib::testing
