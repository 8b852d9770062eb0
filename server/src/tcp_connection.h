// One client's TCP stream: reads and cuts frames (FrameReader), hands each
// message to the role, throttles a flooding client, and writes queued frames
// in gathered batches.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "frame_reader.h"
#include "link.h"
#include "tcp_listener.h"

namespace tessary::server {

class TcpConnection final : public ClientLink, public std::enable_shared_from_this<TcpConnection> {
public:
    using EndedCallback = std::function<void()>;

    TcpConnection(asio::ip::tcp::socket socket, uint64_t id, std::string address, uint16_t port,
                  std::string role, LinkHandler& handler, const ConnectionLimits& limits, EndedCallback ended);

    void start();

    void send(SharedFrame frame) override;
    void close(std::string_view reason) override;
    bool isOpen() const override { return open_; }
    void pause() override { paused_ = true; }
    void resume() override;

    std::chrono::steady_clock::time_point lastReceive() const { return lastReceive_; }

private:
    void startRead();
    void handleMessages();
    [[nodiscard]] bool takeToken();
    void startWrite();

    asio::ip::tcp::socket socket_;
    std::string role_;
    LinkHandler& handler_;
    ConnectionLimits limits_;
    EndedCallback ended_;
    FrameReader reader_;
    std::array<uint8_t, 16384> readBuffer_{};
    bool open_ = true;
    bool reading_ = false;
    bool paused_ = false;
    bool throttled_ = false;
    bool throttleLogged_ = false;
    bool handling_ = false;
    double tokens_;
    std::chrono::steady_clock::time_point tokensAt_;
    std::chrono::steady_clock::time_point lastReceive_;
    asio::steady_timer throttleTimer_;

    std::vector<SharedFrame> pending_;
    std::vector<SharedFrame> writing_;
    std::vector<asio::const_buffer> buffers_;
    size_t pendingBytes_ = 0;
    bool writeActive_ = false;
};

}  // namespace tessary::server
