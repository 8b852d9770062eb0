// Conversions between Endpoint and the sockets API, shared by both sockets.
#pragma once

#include <netinet/in.h>

#include <optional>

#include "platform/socket.h"

namespace tessary::platform::detail {

[[nodiscard]] std::optional<sockaddr_in> toSockaddr(const Endpoint& endpoint);
Endpoint toEndpoint(const sockaddr_in& address);

// Closes `fd` and leaves -1 there, keeping errno as it was.
void closeDescriptor(int& fd);

}  // namespace tessary::platform::detail
