// One client's TCP stream: reads and cuts frames (FrameReader), hands each
// message to the role, throttles a flooding client, and writes queued frames
// in gathered batches.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame_reader.h"
#include "link.h"
#include "request_bucket.h"
#include "tcp_listener.h"

namespace tessary::server {

class TcpConnection;

// Starts the writes of every connection that got frames during one turn of
// the event loop together, after the handlers of that turn have run: under
// load each write then carries many frames (one chat line to a thousand
// players costs a thousand queued frames, not a thousand system calls per
// line).
class WriteBatcher {
public:
    explicit WriteBatcher(asio::io_context& io) : io_(io) {}
    void schedule(std::shared_ptr<TcpConnection> connection);

private:
    void flush();

    asio::io_context& io_;
    std::vector<std::shared_ptr<TcpConnection>> dirty_;
    std::vector<std::shared_ptr<TcpConnection>> flushing_;
    bool posted_ = false;
};

class TcpConnection final : public ClientLink, public std::enable_shared_from_this<TcpConnection> {
public:
    using EndedCallback = std::function<void()>;

    TcpConnection(asio::ip::tcp::socket socket, uint64_t id, std::string address, uint16_t port,
                  std::string role, LinkHandler& handler, const ConnectionLimits& limits, WriteBatcher& batcher,
                  EndedCallback ended);

    void start();

    void send(SharedFrame frame) override;
    void close(std::string_view reason) override;
    void closeAfterSending(std::string_view reason) override;
    bool isOpen() const override { return open_; }
    void pause() override { paused_ = true; }
    void resume() override;

    // On the clock of the limits: when bytes last arrived, and since when an
    // unfinished frame waits for the rest of its bytes (nothing when none does).
    int64_t lastReceiveMs() const { return lastReceiveMs_; }
    std::optional<int64_t> partialFrameSinceMs() const { return partialSinceMs_; }
    // Called by the batcher: starts writing what was queued.
    void flush();

private:
    void startRead();
    void handleMessages();
    void throttle();
    void startWrite();

    asio::ip::tcp::socket socket_;
    std::string role_;
    LinkHandler& handler_;
    ConnectionLimits limits_;
    WriteBatcher& batcher_;
    EndedCallback ended_;
    FrameReader reader_;
    std::array<uint8_t, 16384> readBuffer_{};
    bool open_ = true;
    bool reading_ = false;
    bool paused_ = false;
    bool throttled_ = false;
    bool throttleLogged_ = false;
    bool handling_ = false;
    RequestBucket bucket_;
    std::optional<protocol::Message> waiting_;  // cut, but its token not yet there
    int64_t lastReceiveMs_;
    std::optional<int64_t> partialSinceMs_;
    asio::steady_timer throttleTimer_;

    std::vector<SharedFrame> pending_;
    std::vector<SharedFrame> writing_;
    std::vector<asio::const_buffer> buffers_;
    size_t pendingBytes_ = 0;
    bool writeActive_ = false;
    bool flushScheduled_ = false;
    std::optional<std::string> closeWhenSent_;
};

}  // namespace tessary::server
