#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <utility>

#include "platform/socket.h"
#include "socket_address.h"

namespace tessary::platform {
namespace {

std::optional<Endpoint> nameOf(int fd, int (*query)(int, sockaddr*, socklen_t*)) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (query(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return std::nullopt;
    return detail::toEndpoint(address);
}

bool transient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

TcpSocket::TcpSocket(TcpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      local_(std::move(other.local_)),
      peer_(std::move(other.peer_)) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        local_ = std::move(other.local_);
        peer_ = std::move(other.peer_);
    }
    return *this;
}

int TcpSocket::connect(std::string_view host, uint16_t port) {
    close();
    const auto address = resolveIpv4(host);
    if (!address) return EHOSTUNREACH;
    const auto target = detail::toSockaddr({*address, port});
    if (!target) return EINVAL;

    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return errno;
    const int noDelay = 1;
    const bool ready =
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&*target), sizeof *target) == 0 &&
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK) == 0 &&
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay) == 0;
    const auto local = ready ? nameOf(fd_, ::getsockname) : std::nullopt;
    const auto peer = local ? nameOf(fd_, ::getpeername) : std::nullopt;
    if (!peer) {
        const int error = errno;
        close();
        return error;
    }
    local_ = *local;
    peer_ = *peer;
    return 0;
}

void TcpSocket::close() {
    if (fd_ < 0) return;
    const linger abortive{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    detail::closeDescriptor(fd_);
    local_ = {};
    peer_ = {};
}

IoResult TcpSocket::send(std::span<const uint8_t> bytes) {
    if (fd_ < 0) return {IoStatus::Failed, 0, EBADF};
    if (bytes.empty()) return {IoStatus::Done, 0, 0};
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent >= 0) return {IoStatus::Done, size_t(sent), 0};
    if (transient(errno)) return {IoStatus::WouldBlock, 0, 0};
    return {IoStatus::Failed, 0, errno};
}

IoResult TcpSocket::receive(std::span<uint8_t> buffer) {
    if (fd_ < 0) return {IoStatus::Failed, 0, EBADF};
    if (buffer.empty()) return {IoStatus::Failed, 0, EINVAL};
    const ssize_t received = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (received > 0) return {IoStatus::Done, size_t(received), 0};
    if (received == 0) return {IoStatus::Closed, 0, 0};
    if (transient(errno)) return {IoStatus::WouldBlock, 0, 0};
    return {IoStatus::Failed, 0, errno};
}

}  // namespace tessary::platform
