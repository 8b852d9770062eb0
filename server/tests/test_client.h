// A blocking loopback client for the service tests, built on the codec only:
// sends requests, reads frames with a time-out.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "protocol/codec.h"

namespace tessary::server {

using protocol::Message;
using protocol::RawMessage;
using protocol::ServiceMessage;
using protocol::ValueList;

// Builds a request body value by value.
class Body {
public:
    Body& text(std::string_view t) {
        list_.appendText(t);
        return *this;
    }
    Body& i32(int32_t v) {
        list_.appendInteger<int32_t>(v);
        return *this;
    }
    Body& i8(uint8_t v) {
        list_.appendInteger<uint8_t>(v);
        return *this;
    }
    Body& bin(std::string_view bytes) {
        list_.appendBinary(bytes.data(), bytes.size());
        return *this;
    }
    Body& list(const Body& nested) {
        list_.appendList(nested.list_);
        return *this;
    }
    operator ValueList() const { return list_; }
    const ValueList& values() const { return list_; }

private:
    ValueList list_;
};

inline ServiceMessage request(uint8_t type, const ValueList& body = {}, uint8_t destination = protocol::kModuleRouter) {
    ServiceMessage m;
    m.type = type;
    m.source = protocol::kModulePlayer;
    m.destination = destination;
    m.body = body;
    return m;
}

// The request code of a TSSUCCESS / TSFAIL answer, or -1.
// A game's registration at the game server under `name`.
inline protocol::Bytes registrationPayload(const std::string& name) {
    protocol::Bytes payload{protocol::EVENT_REGISTER};
    for (size_t i = 0; i < 16; ++i) payload.push_back(i < name.size() ? uint8_t(name[i]) : 0);
    return payload;
}

inline uint16_t le16(const protocol::Bytes& bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

inline int answerCode(const ServiceMessage& m) {
    uint8_t code = 0;
    if ((m.type != protocol::TSSUCCESS && m.type != protocol::TSFAIL) || !m.body.readInteger(0, code)) return -1;
    return code;
}

inline std::string failText(const ServiceMessage& m) {
    const ValueList* reason = m.body.list(1);
    const std::string* text = reason ? reason->text(0) : nullptr;
    return text ? *text : std::string();
}

class TestClient {
public:
    explicit TestClient(uint16_t port, const char* address = "127.0.0.1", const char* bindAddress = nullptr) {
        // Not inherited by the programs a test starts: its close must close the link.
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (bindAddress) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            inet_pton(AF_INET, bindAddress, &local.sin_addr);
            ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        inet_pton(AF_INET, address, &to.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
        int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~TestClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool connected() const { return connected_; }
    int fd() const { return fd_; }

    void sendBytes(const std::vector<uint8_t>& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += size_t(n);
        }
    }
    void send(const ServiceMessage& m) { sendBytes(protocol::encode(m)); }
    void send(const RawMessage& m) { sendBytes(protocol::encode(m)); }

    // The next frame, or nothing after `timeoutMs` or when the peer closed.
    std::optional<Message> receive(int timeoutMs = 3000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (buffer_.size() >= 3) {
                const size_t size = protocol::announcedSize(buffer_.data());
                if (size >= protocol::kHeaderSize && buffer_.size() >= size) {
                    auto message = protocol::decode({buffer_.data(), size});
                    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(size));
                    return message;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(int(left.count()))) return std::nullopt;
        }
    }

    // The next structured message of `type` (answers match by request code
    // instead when `type` is TSSUCCESS/TSFAIL agnostic: use waitAnswer).
    std::optional<ServiceMessage> waitFor(uint8_t type, int timeoutMs = 3000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            auto message = receive(int(left.count()));
            if (!message) return std::nullopt;
            if (auto* s = std::get_if<ServiceMessage>(&*message); s && s->type == type) return *s;
            skipped.push_back(*message);
        }
    }

    // The next TSSUCCESS or TSFAIL for request `code`.
    std::optional<ServiceMessage> waitAnswer(uint8_t code, int timeoutMs = 3000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            auto message = receive(int(left.count()));
            if (!message) return std::nullopt;
            if (auto* s = std::get_if<ServiceMessage>(&*message); s && answerCode(*s) == code) return *s;
            skipped.push_back(*message);
        }
    }

    // Every message that arrives until `quietMs` pass without one.
    std::vector<Message> drain(int quietMs = 200) {
        std::vector<Message> out;
        while (auto message = receive(quietMs)) out.push_back(*message);
        return out;
    }

    // True when the peer closes the stream within `timeoutMs`.
    bool closedByPeer(int timeoutMs = 3000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0) return false;
            uint8_t chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) return true;
        }
    }

    std::vector<Message> skipped;

private:
    bool readSome(int timeoutMs) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return false;
        uint8_t chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer_.insert(buffer_.end(), chunk, chunk + n);
        return true;
    }

    int fd_ = -1;
    bool connected_ = false;
    std::vector<uint8_t> buffer_;
};

}  // namespace tessary::server
