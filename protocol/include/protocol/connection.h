// One TCP link to a server with its byte buffers and message queues, driven
// entirely by pump() on the caller's thread: sending only queues, and each
// pump flushes, receives, cuts frames, transmits in batches and keeps the link
// alive. Nothing here blocks except connect() (name lookup and connect).
//
// The game library builds its datagram channel and relay list on top of this
// class rather than inside it: after pump() it reads peerAddress() for the
// datagram destination, checks sendQueueEmpty() before sending a datagram,
// falls back to queue(raw, 0), and fetches messages with takeReceived().
// The lobby uses none of that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/clock.h"
#include "platform/socket.h"
#include "protocol/byte_fifo.h"
#include "protocol/codec.h"
#include "protocol/message_queue.h"

namespace tessary::protocol {

struct ConnectionOptions {
    int receiveTimeoutSeconds = 180;  // 0: a silent server never ends the link
    int keepAliveSeconds = 30;        // 0: no keep-alive
    uint8_t keepAliveSource = kModulePlayer;
    uint8_t keepAliveDestination = kModuleRouter;
};

// Values of Connection::error() besides 0 (healthy) and errno codes.
inline constexpr int kErrorReceiveTimeout = 151;
inline constexpr int kErrorPeerClosed = -2;

// Reads, writes and batches go in pieces of this many bytes.
inline constexpr size_t kTransferPiece = 1000;

class Connection {
public:
    // `clock` must outlive the connection.
    explicit Connection(ConnectionOptions options = {},
                        const platform::Clock& clock = platform::systemClock());

    // Drops any previous link with its queues and buffers, then connects.
    // On failure writes "Erreur socket\n" and leaves the connection
    // unconnected (error() holds the errno).
    [[nodiscard]] bool connect(std::string_view host, uint16_t port);
    // Closes the socket abortively and drops the unsent bytes of a started
    // transmission; the queues stay.
    void close();
    // close(), then empties both queues and buffers and clears the error.
    void reset();

    // Runs one cycle; false when the connection is not connected, the link
    // was lost in this cycle (socket closed; see error()), or the received
    // stream could not be framed (framingFailed(); sticks until connect()).
    [[nodiscard]] bool pump();

    // Encodes and queues a message; it leaves in a later pump(). Accepted
    // also while unconnected (it then never leaves).
    void queue(const ServiceMessage& message);
    void queue(const RawMessage& message, uint16_t key);

    // The next received message in queue order, if any.
    [[nodiscard]] std::optional<Message> takeReceived();

    bool isConnected() const { return socket_.isOpen(); }
    int error() const { return error_; }
    bool framingFailed() const { return framingFailed_; }
    bool sendQueueEmpty() const { return sendQueue_.empty(); }
    size_t sendQueueSize() const { return sendQueue_.size(); }
    size_t receiveQueueSize() const { return receiveQueue_.size(); }
    size_t unsentBytes() const { return sendBuffer_.size(); }
    const platform::Endpoint& localAddress() const { return socket_.localAddress(); }
    const platform::Endpoint& peerAddress() const { return socket_.peerAddress(); }
    const ConnectionOptions& options() const { return options_; }

private:
    void flushSendBuffer();
    bool receive();
    void transmitQueue();
    size_t formBatch();
    size_t offer(std::span<const uint8_t> bytes);
    void keepAlive();
    void insertOutgoing(Format format, uint8_t flags, uint16_t key, Bytes bytes);

    ConnectionOptions options_;
    const platform::Clock& clock_;
    platform::TcpSocket socket_;
    int error_ = 0;
    bool framingFailed_ = false;
    int64_t lastSendTime_ = 0;
    int64_t lastReceiveTime_ = 0;
    ByteFifo receiveBuffer_;
    ByteFifo sendBuffer_;
    SendQueue sendQueue_;
    ReceiveQueue receiveQueue_;
    Bytes batch_;  // reused storage for coalescing small frames
};

}  // namespace tessary::protocol
