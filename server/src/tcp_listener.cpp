#include "tcp_listener.h"

#include <algorithm>

#include "log.h"
#include "tcp_connection.h"

namespace tessary::server {

asio::ip::address resolveHost(asio::io_context& io, const std::string& host) {
    asio::error_code error;
    const asio::ip::address address = asio::ip::make_address(host, error);
    if (!error) return address;
    asio::ip::tcp::resolver resolver(io);
    const auto results = resolver.resolve(asio::ip::tcp::v4(), host, "", error);
    if (error || results.empty()) throw std::system_error(error, "cannot resolve " + host);
    return results.begin()->endpoint().address();
}

TcpListener::TcpListener(asio::io_context& io, std::string role, LinkHandler& handler, ConnectionLimits limits,
                         int connectionsPerAddress, int idleTimeoutSeconds)
    : io_(io),
      role_(std::move(role)),
      handler_(handler),
      limits_(limits),
      connectionsPerAddress_(connectionsPerAddress),
      idleTimeoutSeconds_(idleTimeoutSeconds),
      acceptor_(io),
      sweepTimer_(io),
      retryTimer_(io),
      batcher_(std::make_unique<WriteBatcher>(io)) {}

TcpListener::~TcpListener() { *alive_ = false; }

void TcpListener::open(const Endpoint& endpoint) {
    const asio::ip::tcp::endpoint local(resolveHost(io_, endpoint.host), endpoint.port);
    try {
        acceptor_.open(local.protocol());
        acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true));
        acceptor_.bind(local);
        acceptor_.listen(4096);
    } catch (const std::system_error& error) {
        throw std::system_error(error.code(), role_ + " cannot listen on " + endpoint.host + ":" +
                                                  std::to_string(endpoint.port));
    }
    port_ = acceptor_.local_endpoint().port();
    logLine(role_, "listening on " + local.address().to_string() + ":" + std::to_string(port_));
    accept();
    scheduleSweep();
}

void TcpListener::accept() {
    acceptor_.async_accept([this, alive = alive_](asio::error_code error, asio::ip::tcp::socket socket) {
        if (!*alive || stopped_) return;
        if (error) {
            if (error == asio::error::operation_aborted) return;
            // Out of descriptors or memory: wait a little instead of spinning.
            logLine(role_, "accept failed: " + error.message());
            retryTimer_.expires_after(std::chrono::milliseconds(100));
            retryTimer_.async_wait([this, alive](asio::error_code e) {
                if (!e && *alive && !stopped_) accept();
            });
            return;
        }
        accepted(std::move(socket));
        accept();
    });
}

void TcpListener::accepted(asio::ip::tcp::socket socket) {
    asio::error_code error;
    const auto peer = socket.remote_endpoint(error);
    if (error) return;
    std::string address = peer.address().to_string();
    int& count = perAddress_[address];
    if (count >= connectionsPerAddress_) {
        logLine(role_, address + ":" + std::to_string(peer.port()) + " refused: more than " +
                           std::to_string(connectionsPerAddress_) + " connections from this address");
        socket.close(error);
        return;
    }
    ++count;
    const uint64_t id = nextId_++;
    auto connection = std::make_shared<TcpConnection>(
        std::move(socket), id, address, peer.port(), role_, handler_, limits_, *batcher_,
        [this, alive = alive_, id, address] {
            if (*alive) connectionEnded(id, address);
        });
    connections_.emplace(id, connection);
    connection->start();
}

void TcpListener::connectionEnded(uint64_t id, const std::string& address) {
    connections_.erase(id);
    auto it = perAddress_.find(address);
    if (it != perAddress_.end() && --it->second <= 0) perAddress_.erase(it);
}

void TcpListener::scheduleSweep() {
    // Often enough that no link outlives the limit by more than half of it.
    const auto period = std::clamp<std::chrono::milliseconds>(std::chrono::seconds(idleTimeoutSeconds_) / 2,
                                                              std::chrono::milliseconds(200), std::chrono::seconds(5));
    sweepTimer_.expires_after(period);
    sweepTimer_.async_wait([this, alive = alive_](asio::error_code error) {
        if (error || !*alive || stopped_) return;
        const auto limit = std::chrono::steady_clock::now() - std::chrono::seconds(idleTimeoutSeconds_);
        std::vector<std::shared_ptr<TcpConnection>> idle;
        for (auto& [id, weak] : connections_)
            if (auto connection = weak.lock(); connection && connection->lastReceive() < limit) idle.push_back(connection);
        for (auto& connection : idle)
            connection->close("silent for more than " + std::to_string(idleTimeoutSeconds_) + " s");
        scheduleSweep();
    });
}

void TcpListener::stop() {
    if (stopped_) return;
    stopped_ = true;
    asio::error_code ignored;
    acceptor_.close(ignored);
    sweepTimer_.cancel();
    retryTimer_.cancel();
    std::vector<std::shared_ptr<TcpConnection>> open;
    for (auto& [id, weak] : connections_)
        if (auto connection = weak.lock()) open.push_back(connection);
    for (auto& connection : open) connection->close("");
}

}  // namespace tessary::server
