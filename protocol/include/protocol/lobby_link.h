// The lobby library's server link: at most one connection (to a Router, then
// to an Arena), the poll that runs its pump and hands out one received message
// at a time, and the message handed out last. The library's connection and
// poll exports are thin wrappers around this class.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/clock.h"
#include "protocol/codec.h"
#include "protocol/connection.h"

namespace tessary::protocol {

class LobbyLink {
public:
    // Results of poll() besides a message code.
    static constexpr int kLinkDown = -1;
    static constexpr int kNothingNew = 0;

    // `clock` must outlive the link.
    explicit LobbyLink(const platform::Clock& clock = platform::systemClock()) : clock_(clock) {}

    // Replaces any connection (its unsent messages are dropped) with a new one
    // whose keep-alives go to `keepAliveDestination` (kModuleRouter for a
    // Router, kModuleArenaW for an Arena). A failed connect leaves an
    // unconnected connection behind, on which poll() reports kLinkDown.
    [[nodiscard]] bool connect(std::string_view host, uint16_t port, uint8_t keepAliveDestination);
    // Drops the connection; the current message stays readable.
    void disconnect() { connection_.reset(); }

    // Runs one pump cycle and hands out the next received message:
    // kLinkDown when there is no connection or the cycle failed, kNothingNew
    // when nothing waits, else the message's type code. For TSSUCCESS and
    // TSFAIL the result is the code of the request answered (their first
    // value, one byte); a PING is answered at once (the answer leaves with the
    // next cycle) and reported as PING.
    int poll();

    // The message handed out by the last poll that returned a code.
    const ServiceMessage& current() const { return current_; }

    // Queues a request from the player's client to `destination` with a copy
    // of `body` (none: empty). False when there is no connection; queued but
    // never sent while the connection is down.
    bool queueRequest(uint8_t type, uint8_t destination, const ValueList* body = nullptr);

    bool hasConnection() const { return connection_.has_value(); }
    // The connection, for diagnostics and tests; null when there is none.
    const Connection* connection() const { return connection_ ? &*connection_ : nullptr; }

private:
    static int resultCode(const ServiceMessage& message);

    const platform::Clock& clock_;
    std::optional<Connection> connection_;
    ServiceMessage current_;
};

}  // namespace tessary::protocol
