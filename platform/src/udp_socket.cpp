#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <utility>

#include "platform/socket.h"
#include "socket_address.h"

namespace tessary::platform {

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), localPort_(std::exchange(other.localPort_, 0)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        localPort_ = std::exchange(other.localPort_, 0);
    }
    return *this;
}

int UdpSocket::bind(uint16_t port) {
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return errno;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        close();
        return error;
    }
    localPort_ = ntohs(address.sin_port);
    return 0;
}

void UdpSocket::close() {
    detail::closeDescriptor(fd_);
    localPort_ = 0;
}

IoResult UdpSocket::sendTo(const Endpoint& to, std::span<const uint8_t> datagram) {
    if (fd_ < 0) return {IoStatus::Failed, 0, EBADF};
    const auto target = detail::toSockaddr(to);
    if (!target) return {IoStatus::Failed, 0, EINVAL};
    const ssize_t sent = ::sendto(fd_, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&*target), sizeof *target);
    if (sent >= 0) return {IoStatus::Done, size_t(sent), 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return {IoStatus::WouldBlock, 0, 0};
    return {IoStatus::Failed, 0, errno};
}

IoResult UdpSocket::receiveFrom(std::span<uint8_t> buffer, Endpoint* from) {
    if (fd_ < 0) return {IoStatus::Failed, 0, EBADF};
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t received = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                        reinterpret_cast<sockaddr*>(&sender), &length);
    if (received >= 0) {
        if (from) *from = detail::toEndpoint(sender);
        return {IoStatus::Done, size_t(received), 0};
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return {IoStatus::WouldBlock, 0, 0};
    return {IoStatus::Failed, 0, errno};
}

}  // namespace tessary::platform
