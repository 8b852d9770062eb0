// One ICMP echo: the measuring step of an arena ping round. The interface
// lets tests put a double in place of the network.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "stop_signal.h"

namespace tessary::clientlib {

inline constexpr int32_t kEchoLost = -1;   // no reply within the time-out
inline constexpr int32_t kEchoError = -2;  // host unknown, or no way to send an echo

class EchoProbe {
public:
    virtual ~EchoProbe() = default;

    // Sends one echo request to `host` (dotted IPv4 address or host name) and
    // waits at most `timeout` for the reply: the round-trip time in ms, or
    // kEchoLost, or kEchoError. Returns kEchoLost early once `stop` is raised.
    // Called from several worker threads at once.
    virtual int32_t echo(const std::string& host, std::chrono::milliseconds timeout, const StopSignal& stop) = 0;
};

// The real echo: an ICMP datagram ("ping") socket, or a raw socket where the
// system does not allow ping sockets; TTL 32, type of service 8, don't
// fragment, 32 bytes of payload.
class IcmpEcho : public EchoProbe {
public:
    int32_t echo(const std::string& host, std::chrono::milliseconds timeout, const StopSignal& stop) override;
};

}  // namespace tessary::clientlib
