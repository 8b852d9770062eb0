// The library's process-wide state: one instance of each thing the exports
// work on, created on first use and destroyed when the library is unloaded
// (which also stops the ping workers and closes the mailbox).
#pragma once

#include <cstdint>
#include <string_view>

#include "current_message.h"
#include "echo_probe.h"
#include "lobby_handoff.h"
#include "ping_registry.h"
#include "platform/c_boundary.h"
#include "protocol/lobby_link.h"

namespace tessary::clientlib {

class Library {
public:
    static Library& instance();

    // Replaces any connection; `destination` receives the keep-alives.
    bool connect(std::string_view host, int32_t port, int32_t destination);
    // Drops the connection and stops every ping; the current message stays.
    void disconnect();
    // Polls the pings, then the connection; a message handed out becomes the
    // current one with its cursors at their start.
    int32_t poll();

    // Queues a request; false when there is no connection object, or when the
    // request is too big for a frame (it is then dropped: its size would not
    // fit the frame header and would corrupt the stream).
    bool send(uint8_t type, uint8_t destination, const protocol::ValueList* body = nullptr);

    CurrentMessage& current() { return current_; }
    LobbyHandoff& handoff() { return handoff_; }
    PingRegistry& pings() { return pings_; }

private:
    Library();

    IcmpEcho echo_;
    PingRegistry pings_;
    protocol::LobbyLink link_;
    CurrentMessage current_;
    LobbyHandoff handoff_;
};

using platform::guarded;
using platform::guardedVoid;

}  // namespace tessary::clientlib
