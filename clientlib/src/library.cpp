#include "library.h"

namespace tessary::clientlib {

Library::Library() : pings_(echo_, platform::systemClock()) {}

Library& Library::instance() {
    static Library library;
    return library;
}

bool Library::connect(std::string_view host, int32_t port, int32_t destination) {
    // An impossible port fails like a refused connection.
    const auto validPort = uint16_t(port > 0 && port <= 0xFFFF ? port : 0);
    return link_.connect(host, validPort, uint8_t(destination & 0x0F));
}

void Library::disconnect() {
    link_.disconnect();
    pings_.stopAll();
}

int32_t Library::poll() {
    handoff_.reapChildren();
    pings_.poll();
    const int code = link_.poll();
    if (code > 0) current_.replace(&link_.current());
    return code;
}

bool Library::send(uint8_t type, uint8_t destination, const protocol::ValueList* body) {
    if (!link_.hasConnection()) return false;
    if (body) {
        protocol::Bytes encoded;
        protocol::encodeBody(*body, encoded);
        if (protocol::kHeaderSize + encoded.size() > protocol::kMaxMessageSize) return false;
    }
    return link_.queueRequest(type, destination, body);
}

}  // namespace tessary::clientlib
