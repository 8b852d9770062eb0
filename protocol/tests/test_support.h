// Helpers shared by the protocol tests: diagnostics capture and a server end
// that speaks frames over loopback.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/diag.h"
#include "platform/testing/loopback_peer.h"
#include "protocol/codec.h"

namespace tessary::protocol::testing {

// Captures the diagnostics stream for the lifetime of the object.
class CapturedDiag {
public:
    CapturedDiag() {
        previous_ = platform::setDiagSink([this](std::string_view t) { text.append(t); });
    }
    ~CapturedDiag() { platform::setDiagSink(std::move(previous_)); }
    CapturedDiag(const CapturedDiag&) = delete;
    CapturedDiag& operator=(const CapturedDiag&) = delete;

    std::string text;

private:
    platform::DiagSink previous_;
};

// The server end of a link: frames in and out over a loopback peer.
class FramePeer : public platform::testing::LoopbackPeer {
public:
    [[nodiscard]] bool sendMessage(const Message& message) { return send(encode(message)); }

    // The next whole frame the client sent, decoded; nothing when none came
    // within `timeoutMs`.
    std::optional<Message> readMessage(int timeoutMs = 2000) {
        Bytes frame = receive(3, timeoutMs);
        if (frame.size() < 3) return std::nullopt;
        const size_t size = announcedSize(frame.data());
        if (size < kHeaderSize) return std::nullopt;
        const Bytes rest = receive(size - 3, timeoutMs);
        frame.insert(frame.end(), rest.begin(), rest.end());
        if (frame.size() != size) return std::nullopt;
        return decode(frame);
    }
};

inline ServiceMessage serviceMessage(uint8_t type, uint8_t source, uint8_t destination,
                                     ValueList body = {}) {
    ServiceMessage message;
    message.type = type;
    message.source = source;
    message.destination = destination;
    message.body = std::move(body);
    return message;
}

// Calls `step` (one poll) every 5 ms until `done` holds, at most `attempts`
// times. Loopback delivery is quick but not instantaneous.
inline bool pollUntil(const std::function<void()>& step, const std::function<bool()>& done,
                      int attempts = 400) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        step();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Looks at `done` every 5 ms for at most `timeout`: a test that would
// otherwise spin on a condition fails after the bound instead of hanging.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace tessary::protocol::testing
