// Accepts TCP clients for one role, applies the per-address connection
// limit, and closes connections that stay silent too long.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "link.h"
#include "platform/clock.h"
#include "server/config.h"

namespace tessary::server {

struct ConnectionLimits {
    size_t maxFrameBytes;
    int64_t requestsPerSecond;
    int64_t requestBurst;
    size_t maxPendingSendBytes;
    // A frame whose first bytes arrived must be complete this long after.
    int frameDeadlineSeconds = 30;
    // The throttle, the idle time-out and the frame deadline read this clock.
    const platform::Clock* clock = &platform::systemClock();
};

// The open connections of each peer address across the whole service: every
// listener of every role counts against the same limit (each role runs on
// its own thread, hence the lock).
class AddressLimit {
public:
    explicit AddressLimit(int perAddress) : perAddress_(perAddress) {}

    // Counts a new connection from `address`; false when it already has
    // the most it may have.
    [[nodiscard]] bool tryOpen(const std::string& address);
    void closed(const std::string& address);
    int perAddress() const { return perAddress_; }

private:
    std::mutex mutex_;
    const int perAddress_;
    std::unordered_map<std::string, int> open_;
};

class TcpConnection;
class WriteBatcher;

class TcpListener {
public:
    TcpListener(asio::io_context& io, std::string role, LinkHandler& handler, ConnectionLimits limits,
                AddressLimit& addresses, int idleTimeoutSeconds);
    ~TcpListener();

    // Binds and listens; throws std::system_error when the address is taken.
    void open(const Endpoint& endpoint);
    uint16_t port() const { return port_; }
    // Closes the acceptor and every connection.
    void stop();

    size_t connectionCount() const { return connections_.size(); }

private:
    void accept();
    void accepted(asio::ip::tcp::socket socket);
    void connectionEnded(uint64_t id, const std::string& address);
    void scheduleSweep();
    // Closes the connections silent beyond the idle time-out and those whose
    // started frame is overdue.
    void sweep();

    asio::io_context& io_;
    std::string role_;
    LinkHandler& handler_;
    ConnectionLimits limits_;
    AddressLimit& addresses_;
    int idleTimeoutSeconds_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer sweepTimer_;
    asio::steady_timer retryTimer_;
    std::unique_ptr<WriteBatcher> batcher_;
    uint16_t port_ = 0;
    uint64_t nextId_ = 1;
    bool stopped_ = false;
    std::unordered_map<uint64_t, std::weak_ptr<TcpConnection>> connections_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Resolves a configured host (dotted address or name) to one address.
asio::ip::address resolveHost(asio::io_context& io, const std::string& host);

}  // namespace tessary::server
