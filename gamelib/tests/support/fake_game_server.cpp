#include "fake_game_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace tessary::gamelib::testing {

namespace {

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

FakeGameServer::FakeGameServer() {
    // The stream port p and the datagram port p + 1 must both be free.
    for (int attempt = 0; attempt < 50 && listener_ < 0; ++attempt) {
        udp_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in u = loopback(0);
        socklen_t length = sizeof u;
        if (::bind(udp_, reinterpret_cast<sockaddr*>(&u), sizeof u) != 0 ||
            ::getsockname(udp_, reinterpret_cast<sockaddr*>(&u), &length) != 0 || ntohs(u.sin_port) <= 1024) {
            closeFd(udp_);
            continue;
        }
        const uint16_t streamPort = uint16_t(ntohs(u.sin_port) - 1);
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in t = loopback(streamPort);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&t), sizeof t) != 0 || ::listen(listener_, 4) != 0) {
            closeFd(listener_);
            closeFd(udp_);
            continue;
        }
        port_ = streamPort;
    }
}

FakeGameServer::~FakeGameServer() {
    closeFd(client_);
    closeFd(listener_);
    closeFd(udp_);
}

bool FakeGameServer::accept(int timeoutMs) {
    if (!waitFor(listener_, POLLIN, timeoutMs)) return false;
    closeFd(client_);
    client_ = ::accept(listener_, nullptr, nullptr);
    stream_.clear();
    consumed_ = 0;
    return client_ >= 0;
}

void FakeGameServer::closeClient() { closeFd(client_); }

bool FakeGameServer::sendBytes(std::span<const uint8_t> bytes) {
    size_t sent = 0;
    const int64_t deadline = nowMs() + 5000;
    while (sent < bytes.size() && nowMs() < deadline) {
        if (!waitFor(client_, POLLOUT, 100)) continue;
        const ssize_t n = ::send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return sent == bytes.size();
}

bool FakeGameServer::readSome(int timeoutMs) {
    if (client_ < 0 || !waitFor(client_, POLLIN, timeoutMs)) return false;
    uint8_t buffer[65536];
    const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    if (consumed_ > 0) {
        stream_.erase(stream_.begin(), stream_.begin() + long(consumed_));
        consumed_ = 0;
    }
    stream_.insert(stream_.end(), buffer, buffer + n);
    return true;
}

std::optional<protocol::Message> FakeGameServer::receiveFrame(int timeoutMs) {
    const int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const size_t available = stream_.size() - consumed_;
        if (available >= 3) {
            const uint8_t* head = stream_.data() + consumed_;
            const size_t size = protocol::announcedSize(head);
            if (size < protocol::kHeaderSize) return std::nullopt;  // the stream is broken
            if (available >= size) {
                auto message = protocol::decode(std::span<const uint8_t>(head, size));
                consumed_ += size;
                if (consumed_ == stream_.size()) {
                    stream_.clear();
                    consumed_ = 0;
                }
                return message;
            }
        }
        const int64_t left = deadline - nowMs();
        if (left <= 0 || !readSome(int(left))) return std::nullopt;
    }
}

std::vector<protocol::RawMessage> FakeGameServer::receiveRawUntilQuiet(int quietMs) {
    std::vector<protocol::RawMessage> frames;
    while (auto message = receiveFrame(quietMs)) {
        if (auto* raw = std::get_if<protocol::RawMessage>(&*message)) frames.push_back(std::move(*raw));
    }
    return frames;
}

std::optional<Datagram> FakeGameServer::receiveDatagram(int timeoutMs) {
    if (!waitFor(udp_, POLLIN, timeoutMs)) return std::nullopt;
    uint8_t buffer[2048];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(udp_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) return std::nullopt;
    clientUdpPort_ = ntohs(from.sin_port);
    return decodeDatagram(std::span<const uint8_t>(buffer, size_t(n)));
}

bool FakeGameServer::sendDatagramBytes(std::span<const uint8_t> bytes) {
    if (clientUdpPort_ == 0) return false;
    const sockaddr_in to = loopback(clientUdpPort_);
    return ::sendto(udp_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           ssize_t(bytes.size());
}

void FakeGameServer::echoUntil(const std::atomic<bool>& stop) {
    const int64_t start = nowMs();
    while (!stop.load(std::memory_order_relaxed)) {
        pollfd fds[2] = {{client_, POLLIN, 0}, {udp_, POLLIN, 0}};
        if (::poll(fds, 2, 5) <= 0) continue;
        if (fds[0].revents & POLLIN) {
            if (!readSome(0)) return;
            while (auto message = receiveFrame(0)) {
                if (std::holds_alternative<protocol::RawMessage>(*message) && !sendBytes(protocol::encode(*message)))
                    return;
            }
        }
        if (fds[1].revents & POLLIN) {
            if (auto datagram = receiveDatagram(0)) {
                datagram->echoStamp = datagram->stamp;
                datagram->stamp = uint32_t(nowMs() - start + 1);
                (void)sendDatagram(*datagram);
            }
        }
    }
}

}  // namespace tessary::gamelib::testing
