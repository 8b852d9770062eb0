// IPv4 sockets as the libraries use them: a TCP client stream that connects
// blocking and then never blocks again, and a non-blocking UDP socket for the
// game library's datagram channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessary::platform {

// A dotted IPv4 address and a port (host order).
struct Endpoint {
    std::string address;
    uint16_t port = 0;

    bool operator==(const Endpoint&) const = default;
};

// The first IPv4 address of `host` in dotted form: a dotted address is taken
// as it is, anything else is looked up (this blocks). Nothing when it does not
// resolve.
[[nodiscard]] std::optional<std::string> resolveIpv4(std::string_view host);

enum class IoStatus : uint8_t {
    Done,        // `bytes` were moved
    WouldBlock,  // nothing can move now; try again on a later poll
    Closed,      // receive only: the peer ended the stream in order
    Failed,      // a real error (`error` holds the errno): the link is lost
};

struct IoResult {
    IoStatus status = IoStatus::WouldBlock;
    size_t bytes = 0;
    int error = 0;
};

// A TCP client stream. Owns its descriptor; closing is abortive (the peer sees
// a reset, nothing lingers), as is destruction.
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket() { close(); }
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Closes any previous stream, resolves `host`, connects in blocking mode,
    // then switches to non-blocking mode with TCP_NODELAY and reads both
    // addresses. Returns 0, or the errno of the failing step (EHOSTUNREACH
    // when the name does not resolve); on failure the socket is closed.
    [[nodiscard]] int connect(std::string_view host, uint16_t port);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    const Endpoint& localAddress() const { return local_; }
    const Endpoint& peerAddress() const { return peer_; }

    // Offers `bytes` to the stream without blocking and without SIGPIPE;
    // Done reports how many were accepted.
    [[nodiscard]] IoResult send(std::span<const uint8_t> bytes);
    // Reads what is available, at most buffer.size() bytes (which must be > 0).
    [[nodiscard]] IoResult receive(std::span<uint8_t> buffer);

private:
    int fd_ = -1;
    Endpoint local_;
    Endpoint peer_;
};

// A non-blocking UDP socket.
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket() { close(); }
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Closes any previous socket and binds a new one to any local address and
    // `port` (0: an ephemeral port). Returns 0 or the errno of the failing step.
    [[nodiscard]] int bind(uint16_t port = 0);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    uint16_t localPort() const { return localPort_; }

    // Sends one datagram; `to.address` must be dotted (EINVAL otherwise).
    [[nodiscard]] IoResult sendTo(const Endpoint& to, std::span<const uint8_t> datagram);
    // Reads one datagram without blocking; a longer one is cut to buffer.size().
    // Done with 0 bytes is an empty datagram. `from` receives the sender.
    [[nodiscard]] IoResult receiveFrom(std::span<uint8_t> buffer, Endpoint* from = nullptr);

private:
    int fd_ = -1;
    uint16_t localPort_ = 0;
};

}  // namespace tessary::platform
