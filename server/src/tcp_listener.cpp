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

bool AddressLimit::tryOpen(const std::string& address) {
    std::lock_guard lock(mutex_);
    int& count = open_[address];
    if (count >= perAddress_) return false;
    ++count;
    return true;
}

void AddressLimit::closed(const std::string& address) {
    std::lock_guard lock(mutex_);
    auto it = open_.find(address);
    if (it != open_.end() && --it->second <= 0) open_.erase(it);
}

TcpListener::TcpListener(asio::io_context& io, std::string role, LinkHandler& handler, ConnectionLimits limits,
                         AddressLimit& addresses, int idleTimeoutSeconds)
    : io_(io),
      role_(std::move(role)),
      handler_(handler),
      limits_(limits),
      addresses_(addresses),
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
    if (!addresses_.tryOpen(address)) {
        logFrom(role_, address, address + ":" + std::to_string(peer.port()) + " refused: more than " +
                           std::to_string(addresses_.perAddress()) + " connections from this address");
        socket.close(error);
        return;
    }
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
    addresses_.closed(address);
}

void TcpListener::scheduleSweep() {
    // Often enough that no link outlives a limit by more than half of it.
    const int shortest = std::min(idleTimeoutSeconds_, limits_.frameDeadlineSeconds);
    const auto period = std::clamp<std::chrono::milliseconds>(std::chrono::seconds(shortest) / 2,
                                                              std::chrono::milliseconds(200), std::chrono::seconds(5));
    sweepTimer_.expires_after(period);
    sweepTimer_.async_wait([this, alive = alive_](asio::error_code error) {
        if (error || !*alive || stopped_) return;
        sweep();
        scheduleSweep();
    });
}

void TcpListener::sweep() {
    const int64_t now = limits_.clock->monotonicMs();
    std::vector<std::pair<std::shared_ptr<TcpConnection>, std::string>> overdue;
    for (auto& [id, weak] : connections_) {
        auto connection = weak.lock();
        if (!connection) continue;
        if (connection->lastReceiveMs() < now - int64_t(idleTimeoutSeconds_) * 1000)
            overdue.emplace_back(connection, "silent for more than " + std::to_string(idleTimeoutSeconds_) + " s");
        else if (auto since = connection->partialFrameSinceMs();
                 since && *since < now - int64_t(limits_.frameDeadlineSeconds) * 1000)
            overdue.emplace_back(connection, "frame not completed within " +
                                                 std::to_string(limits_.frameDeadlineSeconds) + " s");
    }
    for (auto& [connection, reason] : overdue) connection->close(reason);
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
