// Accepts TCP clients for one role, applies the per-address connection
// limit, and closes connections that stay silent too long.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "link.h"
#include "server/config.h"

namespace tessary::server {

struct ConnectionLimits {
    size_t maxFrameBytes;
    double requestsPerSecond;
    double requestBurst;
    size_t maxPendingSendBytes;
};

class TcpConnection;
class WriteBatcher;

class TcpListener {
public:
    TcpListener(asio::io_context& io, std::string role, LinkHandler& handler, ConnectionLimits limits,
                int connectionsPerAddress, int idleTimeoutSeconds);
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

    asio::io_context& io_;
    std::string role_;
    LinkHandler& handler_;
    ConnectionLimits limits_;
    int connectionsPerAddress_;
    int idleTimeoutSeconds_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer sweepTimer_;
    asio::steady_timer retryTimer_;
    std::unique_ptr<WriteBatcher> batcher_;
    uint16_t port_ = 0;
    uint64_t nextId_ = 1;
    bool stopped_ = false;
    std::unordered_map<uint64_t, std::weak_ptr<TcpConnection>> connections_;
    std::map<std::string, int> perAddress_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Resolves a configured host (dotted address or name) to one address.
asio::ip::address resolveHost(asio::io_context& io, const std::string& host);

}  // namespace tessary::server
