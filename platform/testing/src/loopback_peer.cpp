#include "platform/testing/loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace tessary::platform::testing {
namespace {

using SteadyClock = std::chrono::steady_clock;

int msLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

LoopbackPeer::LoopbackPeer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closeFd(listener_);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    closeFd(client_);
    closeFd(listener_);
}

bool LoopbackPeer::waitFor(int fd, short events, int timeoutMs) const {
    // A signal (a fuzzer's timer, say) must not end the wait early.
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd entry{fd, events, 0};
    int ready = 0;
    while ((ready = ::poll(&entry, 1, msLeft(deadline))) < 0 && errno == EINTR) {
    }
    return ready == 1;
}

bool LoopbackPeer::accept(int timeoutMs) {
    closeFd(client_);
    if (listener_ < 0 || !waitFor(listener_, POLLIN, timeoutMs)) return false;
    client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return client_ >= 0;
}

void LoopbackPeer::stopListening() {
    closeFd(listener_);
}

bool LoopbackPeer::send(std::span<const uint8_t> bytes, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (client_ < 0 || !waitFor(client_, POLLOUT, msLeft(deadline))) return false;
        const ssize_t n = ::send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

std::vector<uint8_t> LoopbackPeer::receive(size_t count, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<uint8_t> bytes(count);
    size_t received = 0;
    while (received < count && client_ >= 0 && waitFor(client_, POLLIN, msLeft(deadline))) {
        const ssize_t n = ::recv(client_, bytes.data() + received, count - received, 0);
        if (n <= 0) break;
        received += size_t(n);
    }
    bytes.resize(received);
    return bytes;
}

std::vector<uint8_t> LoopbackPeer::receiveUntilQuiet(int quietMs) {
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    while (client_ >= 0 && waitFor(client_, POLLIN, quietMs)) {
        const ssize_t n = ::recv(client_, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

LoopbackPeer::ClientEnd LoopbackPeer::waitForClientEnd(int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t chunk[4096];
    while (client_ >= 0 && waitFor(client_, POLLIN, msLeft(deadline))) {
        const ssize_t n = ::recv(client_, chunk, sizeof chunk, 0);
        if (n == 0) return ClientEnd::Closed;
        if (n < 0) return errno == ECONNRESET ? ClientEnd::Reset : ClientEnd::Closed;
    }
    return ClientEnd::StillOpen;
}

void LoopbackPeer::shutdownOutput() {
    if (client_ >= 0) ::shutdown(client_, SHUT_WR);
}

void LoopbackPeer::reset() {
    if (client_ < 0) return;
    const linger abortive{1, 0};
    setsockopt(client_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    closeFd(client_);
}

}  // namespace tessary::platform::testing
