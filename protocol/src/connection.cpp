#include "protocol/connection.h"

#include <algorithm>

#include "platform/diag.h"
#include "protocol/frame_cutter.h"

namespace tessary::protocol {

using platform::diag;
using platform::IoStatus;

Connection::Connection(ConnectionOptions options, const platform::Clock& clock)
    : options_(options), clock_(clock) {}

bool Connection::connect(std::string_view host, uint16_t port) {
    reset();
    error_ = socket_.connect(host, port);
    if (error_ != 0) {
        diag("Erreur socket\n");
        return false;
    }
    lastSendTime_ = lastReceiveTime_ = clock_.wallSeconds();
    return true;
}

void Connection::close() {
    socket_.close();
    sendBuffer_.clear();
}

void Connection::reset() {
    close();
    receiveBuffer_.clear();
    sendQueue_.clear();
    receiveQueue_.clear();
    error_ = 0;
    framingFailed_ = false;
}

bool Connection::pump() {
    if (!isConnected() || framingFailed_) return false;
    flushSendBuffer();
    if (!receive()) {
        close();
        return false;
    }
    if (cutFrames(receiveBuffer_, receiveQueue_) != CutResult::Ok) {
        // The stream has lost its framing; nothing after this point can be
        // trusted until the caller connects again.
        framingFailed_ = true;
        return false;
    }
    transmitQueue();
    keepAlive();
    return error_ == 0;
}

void Connection::flushSendBuffer() {
    const size_t accepted = offer(sendBuffer_.bytes());
    (void)sendBuffer_.consume(accepted);  // never more than it holds
}

// Reads while the socket fills whole pieces. Unlike would-block, a failing
// read means the link is gone: it ends the connection now rather than at the
// receive time-out (a game link has none).
bool Connection::receive() {
    for (;;) {
        const platform::IoResult result =
            socket_.receive({receiveBuffer_.prepare(kTransferPiece), kTransferPiece});
        if (result.status == IoStatus::Done) {
            receiveBuffer_.commit(result.bytes);
            lastReceiveTime_ = clock_.wallSeconds();
            if (result.bytes == kTransferPiece) continue;
        } else if (result.status == IoStatus::Closed) {
            error_ = kErrorPeerClosed;
        } else if (result.status == IoStatus::Failed) {
            error_ = result.error;
        }
        break;
    }
    if (error_ == 0 && options_.receiveTimeoutSeconds > 0 &&
        clock_.wallSeconds() - lastReceiveTime_ > options_.receiveTimeoutSeconds) {
        error_ = kErrorReceiveTimeout;
        diag("Depassement temps\n");
    }
    return error_ == 0;
}

// Frames leave in batches below one piece; a frame of a piece or more leaves
// alone. A batch is sent only when no earlier transmission is pending, and
// what the socket leaves of it waits in the send buffer.
void Connection::transmitQueue() {
    while (!sendQueue_.empty() && sendBuffer_.empty()) {
        const size_t count = formBatch();
        std::span<const uint8_t> batch = count == 1 ? std::span<const uint8_t>(sendQueue_[0].bytes)
                                                    : std::span<const uint8_t>(batch_);
        const size_t accepted = offer(batch);
        if (accepted == 0) return;
        sendBuffer_.append(batch.subspan(accepted));
        for (size_t i = 0; i < count; ++i) sendQueue_.popFront();
    }
}

// Returns how many frames from the head form the next batch; when more than
// one, their bytes are in batch_.
size_t Connection::formBatch() {
    size_t count = 1;
    size_t total = sendQueue_[0].bytes.size();
    if (total >= kTransferPiece) return 1;
    while (count < sendQueue_.size() && total + sendQueue_[count].bytes.size() < kTransferPiece)
        total += sendQueue_[count++].bytes.size();
    if (count > 1) {
        batch_.clear();
        for (size_t i = 0; i < count; ++i)
            batch_.insert(batch_.end(), sendQueue_[i].bytes.begin(), sendQueue_[i].bytes.end());
    }
    return count;
}

// Hands `bytes` to the socket piece by piece until a call accepts nothing.
// A failing send counts as nothing accepted: the bytes are offered again
// later, and a dead link shows up in the next receive.
size_t Connection::offer(std::span<const uint8_t> bytes) {
    size_t accepted = 0;
    while (accepted < bytes.size()) {
        const size_t piece = std::min(kTransferPiece, bytes.size() - accepted);
        const platform::IoResult result = socket_.send(bytes.subspan(accepted, piece));
        if (result.status != IoStatus::Done || result.bytes == 0) break;
        accepted += result.bytes;
        lastSendTime_ = clock_.wallSeconds();
    }
    return accepted;
}

// Only a silent link needs a keep-alive: while frames wait to leave, another
// one would add nothing, and a stalled peer would make them pile up.
void Connection::keepAlive() {
    if (options_.keepAliveSeconds <= 0 || !sendQueue_.empty() || !sendBuffer_.empty()) return;
    if (clock_.wallSeconds() - lastSendTime_ <= options_.keepAliveSeconds) return;
    ServiceMessage stillAlive;
    stillAlive.type = STILLALIVE;
    stillAlive.source = options_.keepAliveSource;
    stillAlive.destination = options_.keepAliveDestination;
    queue(stillAlive);
}

void Connection::queue(const ServiceMessage& message) {
    insertOutgoing(Format::Structured, message.flags, 0, encode(message));
}

void Connection::queue(const RawMessage& message, uint16_t key) {
    insertOutgoing(Format::Raw, message.flags, key, encode(message));
}

void Connection::insertOutgoing(Format format, uint8_t flags, uint16_t key, Bytes bytes) {
    sendQueue_.insert({format, uint8_t(flags & kFlagMask), key, std::move(bytes)});
}

std::optional<Message> Connection::takeReceived() {
    if (receiveQueue_.empty()) return std::nullopt;
    return toMessage(std::move(receiveQueue_.takeFront().frame));
}

}  // namespace tessary::protocol
