// The library's process-wide state: one instance of each thing the exports
// work on, created on first use and destroyed when the library is unloaded
// (which also stops the ping workers and closes the mailbox).
#pragma once

#include <exception>

#include "echo_probe.h"
#include "lobby_handoff.h"
#include "ping_registry.h"

namespace tessary::clientlib {

class Library {
public:
    static Library& instance();

    LobbyHandoff& handoff() { return handoff_; }
    PingRegistry& pings() { return pings_; }

private:
    Library();

    IcmpEcho echo_;
    PingRegistry pings_;
    LobbyHandoff handoff_;
};

// Runs an export's body; no exception crosses the C interface (`fallback` is
// returned instead).
template <class Body, class Result>
Result guarded(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void guardedVoid(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace tessary::clientlib
