#include "socket_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessary::platform {

std::optional<std::string> resolveIpv4(std::string_view host) {
    const std::string name(host);
    in_addr dotted{};
    if (inet_pton(AF_INET, name.c_str(), &dotted) == 1) return name;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    sockaddr_in first{};
    std::memcpy(&first, found->ai_addr, sizeof first);
    freeaddrinfo(found);
    return detail::toEndpoint(first).address;
}

namespace detail {

std::optional<sockaddr_in> toSockaddr(const Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    if (inet_pton(AF_INET, endpoint.address.c_str(), &address.sin_addr) != 1) return std::nullopt;
    return address;
}

Endpoint toEndpoint(const sockaddr_in& address) {
    char dotted[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, dotted, sizeof dotted);
    return {dotted, ntohs(address.sin_port)};
}

void closeDescriptor(int& fd) {
    if (fd < 0) return;
    const int saved = errno;
    ::close(fd);
    fd = -1;
    errno = saved;
}

}  // namespace detail
}  // namespace tessary::platform
