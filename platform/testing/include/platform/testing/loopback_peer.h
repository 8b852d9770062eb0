// Test support: the far end of a TCP link on 127.0.0.1, driven by the test
// with blocking calls that are always bounded in time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessary::platform::testing {

class LoopbackPeer {
public:
    // Listens on 127.0.0.1 at an ephemeral port.
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    uint16_t port() const { return port_; }

    // Accepts the next client, replacing the current one (which is closed).
    [[nodiscard]] bool accept(int timeoutMs = 5000);
    // Stops listening: later connects are refused.
    void stopListening();

    [[nodiscard]] bool send(std::span<const uint8_t> bytes, int timeoutMs = 5000);
    // Exactly `count` bytes, or fewer when the time runs out or the client closes.
    std::vector<uint8_t> receive(size_t count, int timeoutMs = 5000);
    // Everything that arrives until nothing has come for `quietMs`.
    std::vector<uint8_t> receiveUntilQuiet(int quietMs = 100);
    enum class ClientEnd { StillOpen, Closed, Reset };
    // Reads and drops input until the client ends the link or the time runs out.
    ClientEnd waitForClientEnd(int timeoutMs = 5000);

    // Ends the stream in order (the client reads end of stream); what the
    // client sends can still be read.
    void shutdownOutput();
    // Ends the link with a reset (the client's next receive fails).
    void reset();

private:
    bool waitFor(int fd, short events, int timeoutMs) const;

    int listener_ = -1;
    int client_ = -1;
    uint16_t port_ = 0;
};

}  // namespace tessary::platform::testing
