#include "protocol/lobby_link.h"

namespace tessary::protocol {

bool LobbyLink::connect(std::string_view host, uint16_t port, uint8_t keepAliveDestination) {
    ConnectionOptions options;
    options.keepAliveDestination = keepAliveDestination;
    connection_.emplace(options, clock_);
    return connection_->connect(host, port);
}

int LobbyLink::poll() {
    if (!connection_ || !connection_->pump()) return kLinkDown;
    for (;;) {
        std::optional<Message> next = connection_->takeReceived();
        if (!next) return kNothingNew;
        // The lobby's servers send only structured messages; a raw one has no
        // reader on this side and is dropped.
        auto* message = std::get_if<ServiceMessage>(&*next);
        if (!message) continue;
        current_ = std::move(*message);
        if (current_.type == PING) queueRequest(PING, kModuleArenaW);
        return resultCode(current_);
    }
}

// An answer reports the request it answers. An answer without that code (or
// with code 0, which would read as "nothing new") reports its own type.
int LobbyLink::resultCode(const ServiceMessage& message) {
    if (message.type != TSSUCCESS && message.type != TSFAIL) return message.type;
    uint8_t request = 0;
    if (message.body.readInteger(0, request) && request != 0) return request;
    return message.type;
}

bool LobbyLink::queueRequest(uint8_t type, uint8_t destination, const ValueList* body) {
    if (!connection_) return false;
    ServiceMessage request;
    request.type = type;
    request.source = kModulePlayer;
    request.destination = destination;
    if (body) request.body = *body;
    connection_->queue(request);
    return true;
}

}  // namespace tessary::protocol
