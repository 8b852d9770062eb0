#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "echo_probe.h"

namespace tessary::clientlib {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kPayloadSize = 32;
constexpr int kTimeToLive = 32;
constexpr int kTypeOfService = 8;
constexpr auto kLookupPollInterval = std::chrono::milliseconds(20);

// --- name resolution that a stop request can interrupt ---

// One asynchronous look-up; its fields must stay put until the resolver is done.
struct Lookup {
    std::string name;
    addrinfo hints{};
    gaicb request{};
};

// Look-ups that could not be cancelled when their round was stopped: kept
// until the resolver finishes with them (never destroyed at exit, since the
// resolver may still be writing into one).
struct AbandonedLookups {
    std::mutex mutex;
    std::vector<std::unique_ptr<Lookup>> lookups;
};
AbandonedLookups& abandoned() {
    static auto* instance = new AbandonedLookups;
    return *instance;
}

void releaseFinished(Lookup& lookup) {
    if (gai_error(&lookup.request) == 0 && lookup.request.ar_result) freeaddrinfo(lookup.request.ar_result);
    lookup.request.ar_result = nullptr;
}

void sweepAbandoned() {
    auto& list = abandoned();
    const std::lock_guard lock(list.mutex);
    std::erase_if(list.lookups, [](const std::unique_ptr<Lookup>& lookup) {
        if (gai_error(&lookup->request) == EAI_INPROGRESS) return false;
        releaseFinished(*lookup);
        return true;
    });
}

std::optional<in_addr> lookUp(const std::string& host, const StopSignal& stop) {
    sweepAbandoned();
    auto lookup = std::make_unique<Lookup>();
    lookup->name = host;
    lookup->hints.ai_family = AF_INET;
    lookup->request.ar_name = lookup->name.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* requests[] = {&lookup->request};
    if (getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr) != 0) return std::nullopt;

    for (;;) {
        const int state = gai_error(&lookup->request);
        if (state != EAI_INPROGRESS) {
            std::optional<in_addr> address;
            if (state == 0 && lookup->request.ar_result)
                address = reinterpret_cast<const sockaddr_in*>(lookup->request.ar_result->ai_addr)->sin_addr;
            releaseFinished(*lookup);
            return address;
        }
        if (stop.raised()) {
            if (gai_cancel(&lookup->request) == EAI_NOTCANCELED) {
                auto& list = abandoned();
                const std::lock_guard lock(list.mutex);
                list.lookups.push_back(std::move(lookup));
            } else {
                releaseFinished(*lookup);
            }
            return std::nullopt;
        }
        const timespec wait{0, std::chrono::nanoseconds(kLookupPollInterval).count()};
        const gaicb* pending[] = {&lookup->request};
        gai_suspend(pending, 1, &wait);
    }
}

std::optional<in_addr> resolve(const std::string& host, const StopSignal& stop) {
    in_addr address{};
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
    return lookUp(host, stop);
}

// --- the echo itself ---

class IcmpSocket {
public:
    // A ping socket where the system allows one, else a raw socket.
    IcmpSocket() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd_ < 0) {
            fd_ = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
            raw_ = fd_ >= 0;
        }
        if (fd_ < 0) return;
        const int ttl = kTimeToLive;
        const int tos = kTypeOfService;
        const int dontFragment = IP_PMTUDISC_DO;
        ::setsockopt(fd_, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
        ::setsockopt(fd_, IPPROTO_IP, IP_TOS, &tos, sizeof tos);
        ::setsockopt(fd_, IPPROTO_IP, IP_MTU_DISCOVER, &dontFragment, sizeof dontFragment);
    }
    ~IcmpSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    IcmpSocket(const IcmpSocket&) = delete;
    IcmpSocket& operator=(const IcmpSocket&) = delete;

    bool open() const { return fd_ >= 0; }
    bool raw() const { return raw_; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    bool raw_ = false;
};

uint16_t internetChecksum(const uint8_t* bytes, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2) sum += uint32_t(bytes[i] << 8 | bytes[i + 1]);
    if (size % 2) sum += uint32_t(bytes[size - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

std::array<uint8_t, sizeof(icmphdr) + kPayloadSize> echoRequest(uint16_t identifier, uint16_t sequence) {
    std::array<uint8_t, sizeof(icmphdr) + kPayloadSize> packet{};
    icmphdr header{};
    header.type = ICMP_ECHO;
    header.un.echo.id = htons(identifier);
    header.un.echo.sequence = htons(sequence);
    std::memcpy(packet.data(), &header, sizeof header);
    for (size_t i = 0; i < kPayloadSize; ++i) packet[sizeof header + i] = uint8_t('a' + i % 23);
    const uint16_t sum = internetChecksum(packet.data(), packet.size());
    packet[2] = uint8_t(sum >> 8);
    packet[3] = uint8_t(sum);
    return packet;
}

// Whether `bytes` (as received on `socket`) is the reply to our request.
bool isOurReply(const IcmpSocket& socket, const uint8_t* bytes, size_t size, uint16_t identifier,
                uint16_t sequence) {
    if (socket.raw()) {  // a raw socket sees the IP header and every ICMP packet
        if (size < 20) return false;
        const size_t ipHeader = size_t(bytes[0] & 0x0F) * 4;
        if (size < ipHeader) return false;
        bytes += ipHeader;
        size -= ipHeader;
    }
    if (size < sizeof(icmphdr)) return false;
    icmphdr header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.type != ICMP_ECHOREPLY || ntohs(header.un.echo.sequence) != sequence) return false;
    // A ping socket's identifier is chosen by the kernel, which also filters.
    return !socket.raw() || ntohs(header.un.echo.id) == identifier;
}

uint16_t nextSequence() {
    static std::atomic<uint16_t> sequence{uint16_t(::getpid())};
    return sequence.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

int32_t IcmpEcho::echo(const std::string& host, std::chrono::milliseconds timeout, const StopSignal& stop) {
    const auto address = resolve(host, stop);
    if (stop.raised()) return kEchoLost;
    if (!address) return kEchoError;
    const IcmpSocket socket;
    if (!socket.open()) return kEchoError;

    const auto identifier = uint16_t(::getpid());
    const uint16_t sequence = nextSequence();
    const auto packet = echoRequest(identifier, sequence);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr = *address;
    const auto sent = Clock::now();
    if (::sendto(socket.fd(), packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&target),
                 sizeof target) != ssize_t(packet.size()))
        return kEchoLost;

    const auto deadline = sent + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return kEchoLost;
        pollfd waits[] = {{socket.fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        const int ready = ::poll(waits, stop.fd() >= 0 ? 2 : 1, int(left.count()));
        if (stop.raised()) return kEchoLost;
        // An ICMP error (unreachable, too big to pass unfragmented) ends the
        // echo as lost; left pending it would wake every poll until the time-out.
        if (ready > 0 && (waits[0].revents & (POLLERR | POLLNVAL))) return kEchoLost;
        if (ready <= 0 || !(waits[0].revents & POLLIN)) continue;

        uint8_t reply[360];
        const ssize_t received = ::recv(socket.fd(), reply, sizeof reply, 0);
        if (received > 0 && isOurReply(socket, reply, size_t(received), identifier, sequence))
            return int32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count());
    }
}

}  // namespace tessary::clientlib
