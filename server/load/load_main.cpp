// tessaryd_load: measures a real tessaryd on loopback and prints figures.
//
//   chat      N lobby clients in one Arena; paced CHATALL lines fanned out to
//             all of them: deliveries per second, every line accounted for,
//             50th/99th percentile delivery latency.
//   rr        M clients doing unpipelined request/answer round trips
//             (GETSESSIONINFO): round trips per second and latency.
//   idle      K idle connections opened and held, then checked alive.
//   deep      D frames whose body opens one list more than allowed, each on a
//             fresh connection: tessaryd's memory before and after.
//   refusal   logins with unknown names and with wrong passwords, each from
//             its own loopback address (no delay applies), at the real
//             password cost: the answers' texts and times side by side.
//   backends  logins per second through the Router (cheapest password cost)
//             and pages per second from players of Arena 1 to players of
//             Arena 2: SQLite with every role in one process, then a
//             throw-away PostgreSQL server (Unix socket) shared by two
//             processes, the Router and Arena 1 in one, Arena 2 in the other.
//
// It starts its own tessaryd (the build's binary) with a temporary database
// and a configuration whose limits allow the load, talks to 127.0.0.1 only,
// and every phase is bounded in count and time.
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/time.h>

#include <algorithm>
#include <atomic>
#include <asio.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "daemon.h"
#include "frame_reader.h"
#include "pg_test_server.h"
#include "protocol/codec.h"

extern char** environ;

namespace {

using namespace tessary;
using tessary::server::Daemon;
using namespace tessary::protocol;
using Clock = std::chrono::steady_clock;
using asio::ip::tcp;

struct Options {
    int chatClients = 1000;
    int chatRate = 500;  // lines per second, each fanned out to every client
    int seconds = 5;
    int rrClients = 50;
    int idleConnections = 10000;
    int deepFrames = 10000;
    int refusals = 20;
    int logins = 3000;  // at most, per backend
    int pages = 20000;  // at most, per backend
    std::string phases = "chat,rr,idle";
};

double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int64_t nowNs() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }

double percentile(std::vector<uint32_t>& samples, double p) {
    if (samples.empty()) return 0;
    const size_t index = std::min(samples.size() - 1, size_t(p * double(samples.size())));
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(index), samples.end());
    return samples[index] / 1000.0;  // microseconds -> ms
}

ServiceMessage request(uint8_t type, uint8_t destination, ValueList body = {}) {
    ServiceMessage m;
    m.type = type;
    m.source = kModulePlayer;
    m.destination = destination;
    m.body = std::move(body);
    return m;
}

// --- the tessaryd child ---

// A configuration whose limits allow the load. `realPasswordCost`: the
// service's own hashing cost instead of the cheapest one.
std::string loadConfig(const std::filesystem::path& dir, int connections, bool realPasswordCost = false) {
    std::ostringstream config;
    config << "[storage]\ndatabase = " << (dir / "load.sqlite").string() << "\n"
           << (realPasswordCost ? "" : "[password]\nopslimit = 1\nmemlimit = 8192\n")
           << "[router]\nlisten = 127.0.0.1:0\n"
           << "[arena]\nname = Load Arena\nlisten = 127.0.0.1:0\nplayer_limit = " << connections << "\n"
           << "[limits]\nconnections_per_address = " << connections + 100
           << "\nrequests_per_second = 1000000\nrequest_burst = 1000000\nidle_timeout_seconds = 600\n"
           << "max_pending_send_bytes = 67108864\nsessions_per_arena = 10\n";
    return config.str();
}

// --- one lobby client on the load side ---

// The sending time carried in a chat line ("load <ns>"), read straight from
// the frame without building a value list: the load side must stay cheaper
// than the service it measures.
std::optional<int64_t> chatStamp(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize || frame[4] != CHATALL) return std::nullopt;
    uint8_t body[256];
    const size_t n = frame.size() - kHeaderSize;
    if (n > sizeof body) return std::nullopt;
    std::memcpy(body, frame.data() + kHeaderSize, n);
    unscrambleBody(body, n);
    size_t at = 0;
    for (int text = 0; text < 2; ++text) {  // the sender's name, then the line
        if (at >= n || body[at] != 's') return std::nullopt;
        const size_t start = ++at;
        while (at < n && body[at]) ++at;
        if (at >= n) return std::nullopt;
        if (text == 1) {
            const std::string_view line(reinterpret_cast<const char*>(body + start), at - start);
            if (line.substr(0, 5) != "load ") return std::nullopt;
            return std::stoll(std::string(line.substr(5)));
        }
        ++at;
    }
    return std::nullopt;
}

class Client : public std::enable_shared_from_this<Client> {
public:
    // Gets every whole frame as it arrives.
    using Handler = std::function<void(Client&, std::span<const uint8_t> frame)>;

    explicit Client(asio::io_context& io) : socket_(io), reader_(1 << 20) {}

    bool connect(uint16_t port) {
        asio::error_code error;
        socket_.connect({asio::ip::make_address("127.0.0.1"), port}, error);
        if (error) return false;
        socket_.set_option(tcp::no_delay(true), error);
        return true;
    }

    void sendNow(const ServiceMessage& message) {
        const Bytes bytes = encode(message);
        asio::error_code error;
        asio::write(socket_, asio::buffer(bytes), error);
    }

    // Blocking read until an answer to `code` (other messages are dropped).
    std::optional<ServiceMessage> waitAnswer(uint8_t code) {
        for (;;) {
            Message message;
            std::string reason;
            while (reader_.next(message, reason) == server::FrameReader::Result::Message) {
                auto* s = std::get_if<ServiceMessage>(&message);
                uint8_t answered = 0;
                if (s && (s->type == TSSUCCESS || s->type == TSFAIL) && s->body.readInteger(0, answered) &&
                    answered == code)
                    return *s;
            }
            asio::error_code error;
            const size_t n = socket_.read_some(asio::buffer(buffer_), error);
            if (error) return std::nullopt;
            reader_.append(buffer_.data(), n);
        }
    }

    void start(Handler handler) {
        handler_ = std::move(handler);
        // Whatever the blocking reads left behind is dropped.
        reader_ = server::FrameReader(1 << 20);
        read();
    }

    void send(std::shared_ptr<const Bytes> frame) {
        out_.push_back(std::move(frame));
        if (!writing_) write();
    }

    bool open() const { return socket_.is_open(); }
    tcp::socket& socket() { return socket_; }
    int index = 0;

private:
    void read() {
        socket_.async_read_some(asio::buffer(buffer_), [self = shared_from_this()](asio::error_code error, size_t n) {
            if (error) return;
            self->cut(n);
            self->read();
        });
    }

    void cut(size_t n) {
        pending_.insert(pending_.end(), buffer_.begin(), buffer_.begin() + std::ptrdiff_t(n));
        size_t at = 0;
        while (pending_.size() - at >= 3) {
            const size_t size = announcedSize(pending_.data() + at);
            if (size < kHeaderSize || pending_.size() - at < size) break;
            handler_(*this, std::span(pending_.data() + at, size));
            at += size;
        }
        pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(at));
    }

    void write() {
        writing_ = true;
        batch_.assign(out_.begin(), out_.end());
        out_.clear();
        buffers_.clear();
        for (auto& frame : batch_) buffers_.push_back(asio::buffer(*frame));
        asio::async_write(socket_, buffers_, [self = shared_from_this()](asio::error_code error, size_t) {
            self->writing_ = false;
            self->batch_.clear();
            if (!error && !self->out_.empty()) self->write();
        });
    }

    tcp::socket socket_;
    server::FrameReader reader_;
    std::array<uint8_t, 65536> buffer_{};
    std::vector<uint8_t> pending_;
    Handler handler_;
    std::deque<std::shared_ptr<const Bytes>> out_;
    std::vector<std::shared_ptr<const Bytes>> batch_;
    std::vector<asio::const_buffer> buffers_;
    bool writing_ = false;
};

ValueList accountForm(const std::string& name) {
    ValueList body;
    for (const char* text : {"", "pw", "f", "l", "country", "mail", "load client"}) body.appendText(*text ? text : name);
    body.appendInteger<uint8_t>(0);
    body.appendInteger<int32_t>(1);
    body.appendInteger<int32_t>(1);
    return body;
}

// Creates the account over the Router, asks for the arena, logs into it.
std::shared_ptr<Client> enterArena(asio::io_context& io, uint16_t routerPort, const std::string& arenaName,
                                   uint16_t arenaPort, const std::string& name) {
    Client router(io);
    if (!router.connect(routerPort)) return nullptr;
    router.sendNow(request(NEWUSERREQUEST, kModuleRouter, accountForm(name)));
    auto created = router.waitAnswer(NEWUSERREQUEST);
    if (!created || created->type != TSSUCCESS) return nullptr;
    ValueList arena;
    arena.appendText(arenaName);
    router.sendNow(request(CONNECTIONREQUEST, kModuleRouter, arena));
    auto admitted = router.waitAnswer(CONNECTIONREQUEST);
    if (!admitted || admitted->type != TSSUCCESS) return nullptr;
    auto client = std::make_shared<Client>(io);
    if (!client->connect(arenaPort)) return nullptr;
    ValueList login;
    login.appendText(name);
    client->sendNow(request(LOGINARENA, kModuleArena, login));
    auto entered = client->waitAnswer(LOGINARENA);
    if (!entered || entered->type != TSSUCCESS) return nullptr;
    return client;
}

std::shared_ptr<Client> enterArena(asio::io_context& io, const Daemon& daemon, const std::string& name) {
    return enterArena(io, daemon.routerPort, "Load Arena", daemon.arenaPort, name);
}

std::vector<std::shared_ptr<Client>> enterMany(asio::io_context& io, const Daemon& daemon, const std::string& prefix,
                                               int count) {
    std::vector<std::shared_ptr<Client>> clients;
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    for (int i = 0; i < count && Clock::now() < deadline; ++i) {
        auto client = enterArena(io, daemon, prefix + std::to_string(i));
        if (!client) break;
        client->index = i;
        clients.push_back(client);
    }
    return clients;
}

// Runs the loop until `done` or the time limit.
void runUntil(asio::io_context& io, Clock::time_point limit, const std::function<bool()>& done) {
    while (Clock::now() < limit && !done()) {
        io.run_for(std::chrono::milliseconds(20));
        io.restart();
    }
}

void answerPings(Client& client, std::span<const uint8_t> frame) {
    if (frame[4] == PING) client.sendNow(request(PING, kModuleArenaW));
}

// --- phases ---

void chatPhase(const Options& options, const Daemon& daemon) {
    asio::io_context io;
    const auto setupStart = Clock::now();
    auto clients = enterMany(io, daemon, "chat", options.chatClients);
    const int n = int(clients.size());
    std::printf("chat: %d of %d clients in the arena (setup %.1f s)\n", n, options.chatClients,
                std::chrono::duration<double>(Clock::now() - setupStart).count());
    if (n == 0) return;

    uint64_t delivered = 0;
    std::vector<uint32_t> latencyUs;
    latencyUs.reserve(size_t(options.chatRate) * size_t(options.seconds) * size_t(n));
    bool measuring = false;
    Clock::time_point lastDelivery;
    for (auto& client : clients) {
        client->start([&](Client& c, std::span<const uint8_t> frame) {
            answerPings(c, frame);
            if (!measuring) return;
            const auto sentNs = chatStamp(frame);
            if (!sentNs) return;
            latencyUs.push_back(uint32_t(std::max<int64_t>(0, nowNs() - *sentNs) / 1000));
            ++delivered;
            lastDelivery = Clock::now();
        });
    }
    // Let the arrival notices of the setup drain before measuring.
    runUntil(io, Clock::now() + std::chrono::seconds(2), [] { return false; });

    measuring = true;
    uint64_t sent = 0;
    const double daemonCpu = daemon.cpuSeconds();
    const double ownCpu = ownCpuSeconds();
    const auto start = Clock::now();
    const auto stopSending = start + std::chrono::seconds(options.seconds);
    asio::steady_timer pacer(io);
    std::function<void()> pace = [&] {
        const auto now = Clock::now();
        if (now >= stopSending) return;
        const double elapsed = std::chrono::duration<double>(now - start).count();
        const uint64_t due = uint64_t(elapsed * options.chatRate);
        while (sent < due) {
            ValueList body;
            body.appendText("load " + std::to_string(nowNs()));
            body.appendInteger<int32_t>(0xFFFFFF);
            body.appendInteger<int32_t>(0);
            clients[sent % uint64_t(n)]->send(std::make_shared<const Bytes>(encode(request(CHATALL, kModuleArena, body))));
            ++sent;
        }
        pacer.expires_after(std::chrono::milliseconds(1));
        pacer.async_wait([&](asio::error_code error) {
            if (!error) pace();
        });
    };
    pace();
    runUntil(io, stopSending + std::chrono::seconds(60),
             [&] { return Clock::now() >= stopSending && delivered >= sent * uint64_t(n); });
    const uint64_t expected = sent * uint64_t(n);
    const double span = std::chrono::duration<double>(lastDelivery - start).count();
    std::printf("  %llu lines sent at %d/s for %d s; %llu of %llu deliveries (%.3f%%)\n",
                (unsigned long long)sent, options.chatRate, options.seconds, (unsigned long long)delivered,
                (unsigned long long)expected, expected ? 100.0 * double(delivered) / double(expected) : 0.0);
    std::printf("  deliveries/s %.0f   latency p50 %.2f ms   p99 %.2f ms   max %.2f ms   tessaryd RSS %ld MB\n",
                span > 0 ? double(delivered) / span : 0.0, percentile(latencyUs, 0.50), percentile(latencyUs, 0.99),
                percentile(latencyUs, 0.99999), daemon.rssKb() / 1024);
    const double daemonUsed = daemon.cpuSeconds() - daemonCpu;
    std::printf("  CPU: tessaryd %.2f s (%.0f deliveries per CPU second), load program %.2f s, wall %.2f s\n",
                daemonUsed, daemonUsed > 0 ? double(delivered) / daemonUsed : 0.0, ownCpuSeconds() - ownCpu, span);
    for (auto& client : clients) client->socket().close();
    io.run_for(std::chrono::milliseconds(200));
}

void roundTripPhase(const Options& options, const Daemon& daemon) {
    asio::io_context io;
    auto clients = enterMany(io, daemon, "rr", options.rrClients);
    const int n = int(clients.size());
    std::printf("request/answer: %d of %d clients\n", n, options.rrClients);
    if (n == 0) return;
    ValueList session;
    for (const char* text : {"Bench", "CHAT", "1.0"}) session.appendText(text);
    for (int32_t value : {0, 8, 0}) session.appendInteger<int32_t>(value);
    session.appendText("options of the bench session");
    session.appendText("");
    session.appendInteger<uint8_t>(0);
    clients[0]->sendNow(request(CREATESESSION, kModuleArena, session));
    clients[0]->waitAnswer(CREATESESSION);

    ValueList info;
    info.appendText("Bench");
    const auto question = std::make_shared<const Bytes>(encode(request(GETSESSIONINFO, kModuleArena, info)));
    uint64_t answers = 0;
    std::vector<uint32_t> latencyUs;
    std::vector<int64_t> sentAt(size_t(n), 0);
    bool running = false;
    auto stop = Clock::now();
    for (auto& client : clients) {
        client->start([&](Client& c, std::span<const uint8_t> frame) {
            answerPings(c, frame);
            if (frame[4] != TSSUCCESS || !running) return;
            auto decoded = decode(frame);
            uint8_t code = 0;
            if (!decoded || !std::get<ServiceMessage>(*decoded).body.readInteger(0, code) || code != 24) return;
            ++answers;
            latencyUs.push_back(uint32_t((nowNs() - sentAt[size_t(c.index)]) / 1000));
            if (Clock::now() >= stop) return;
            sentAt[size_t(c.index)] = nowNs();
            c.send(question);
        });
    }
    runUntil(io, Clock::now() + std::chrono::seconds(1), [] { return false; });
    running = true;
    const double daemonCpu = daemon.cpuSeconds();
    const double ownCpu = ownCpuSeconds();
    const auto start = Clock::now();
    stop = start + std::chrono::seconds(options.seconds);
    for (auto& client : clients) {
        sentAt[size_t(client->index)] = nowNs();
        client->send(question);
    }
    runUntil(io, stop + std::chrono::seconds(2), [&] { return Clock::now() >= stop + std::chrono::milliseconds(200); });
    const double span = std::chrono::duration<double>(stop - start).count();
    std::printf("  %llu round trips in %d s: %.0f per second   latency p50 %.3f ms   p99 %.3f ms\n",
                (unsigned long long)answers, options.seconds, double(answers) / span, percentile(latencyUs, 0.50),
                percentile(latencyUs, 0.99));
    const double daemonUsed = daemon.cpuSeconds() - daemonCpu;
    std::printf("  CPU: tessaryd %.2f s (%.0f round trips per CPU second), load program %.2f s\n", daemonUsed,
                daemonUsed > 0 ? double(answers) / daemonUsed : 0.0, ownCpuSeconds() - ownCpu);
    for (auto& client : clients) client->socket().close();
    io.run_for(std::chrono::milliseconds(200));
}

void idlePhase(const Options& options, const Daemon& daemon) {
    asio::io_context io;
    const long rssBefore = daemon.rssKb();
    std::vector<std::unique_ptr<Client>> clients;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(60);
    for (int i = 0; i < options.idleConnections && Clock::now() < deadline; ++i) {
        auto client = std::make_unique<Client>(io);
        if (!client->connect(daemon.routerPort)) {
            std::printf("  connect %d failed: %s\n", i, std::strerror(errno));
            break;
        }
        clients.push_back(std::move(client));
    }
    const double openSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("idle: %zu of %d connections opened in %.1f s; holding %d s\n", clients.size(),
                options.idleConnections, openSeconds, options.seconds);
    std::this_thread::sleep_for(std::chrono::seconds(options.seconds));
    // Every held connection must still be served: each keep-alive is echoed.
    size_t alive = 0;
    const Bytes keepAlive = encode(request(STILLALIVE, kModuleRouter));
    for (auto& client : clients) {
        asio::error_code error;
        asio::write(client->socket(), asio::buffer(keepAlive), error);
    }
    const auto checkDeadline = Clock::now() + std::chrono::seconds(30);
    for (auto& client : clients) {
        client->socket().non_blocking(false);
        while (Clock::now() < checkDeadline) {
            std::array<uint8_t, 64> buffer{};
            asio::error_code error;
            const size_t got = client->socket().read_some(asio::buffer(buffer), error);
            if (error) break;
            if (got >= kHeaderSize && buffer[4] == STILLALIVE) {
                ++alive;
                break;
            }
        }
    }
    std::printf("  %zu of %zu still answering after the hold   tessaryd RSS %ld MB (before %ld MB)\n", alive,
                clients.size(), daemon.rssKb() / 1024, rssBefore / 1024);
}

void deepPhase(const Options& options, const Daemon& daemon) {
    Bytes body(1001, '[');
    scrambleBody(body.data(), body.size());
    const size_t size = kHeaderSize + body.size();
    Bytes frame(size);
    const uint8_t header[kHeaderSize] = {uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size), 0, LOGIN,
                                         uint8_t(kModulePlayer << 4 | kModuleRouter)};
    std::copy(std::begin(header), std::end(header), frame.begin());
    std::copy(body.begin(), body.end(), frame.begin() + kHeaderSize);
    asio::io_context io;
    const long rssBefore = daemon.rssKb();
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(60);
    int sent = 0;
    for (; sent < options.deepFrames && Clock::now() < deadline; ++sent) {
        tcp::socket socket(io);
        asio::error_code error;
        socket.connect({asio::ip::make_address("127.0.0.1"), daemon.routerPort}, error);
        if (error) break;
        asio::write(socket, asio::buffer(frame), error);
        // The service closes the connection on the refused frame.
        std::array<uint8_t, 64> sink{};
        while (!error) socket.read_some(asio::buffer(sink), error);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("deep: %d refused frames of 1,001 open lists in %.1f s   tessaryd RSS %ld MB (before %ld MB)\n", sent,
                seconds, daemon.rssKb() / 1024, rssBefore / 1024);
}

// One login from its own loopback address: the answer and its time in ms.
// A TSSUCCESS answer gives an empty text.
std::optional<std::pair<std::string, double>> timedLogin(asio::io_context& io, const Daemon& daemon,
                                                         const std::string& from, const std::string& name,
                                                         const std::string& password = "not the password") {
    tcp::socket socket(io);
    asio::error_code error;
    socket.open(tcp::v4(), error);
    socket.bind({asio::ip::make_address(from), 0}, error);
    socket.connect({asio::ip::make_address("127.0.0.1"), daemon.routerPort}, error);
    if (error) return std::nullopt;
    ValueList body;
    body.appendText(name);
    body.appendText(password);
    body.appendText("1.0");
    body.appendInteger<int32_t>(1);
    const Bytes frame = encode(request(LOGIN, kModuleRouter, body));
    const auto sentAt = Clock::now();
    asio::write(socket, asio::buffer(frame), error);
    server::FrameReader reader(1 << 20);
    std::array<uint8_t, 4096> buffer{};
    while (!error) {
        const size_t got = socket.read_some(asio::buffer(buffer), error);
        reader.append(buffer.data(), got);
        Message message;
        std::string reason;
        while (reader.next(message, reason) == server::FrameReader::Result::Message) {
            const auto* answer = std::get_if<ServiceMessage>(&message);
            if (!answer || (answer->type != TSFAIL && answer->type != TSSUCCESS)) continue;
            const ValueList* texts = answer->body.list(1);
            const std::string* text = texts ? texts->text(0) : nullptr;
            return std::pair{text ? *text : std::string(),
                             std::chrono::duration<double, std::milli>(Clock::now() - sentAt).count()};
        }
    }
    return std::nullopt;
}

void refusalPhase(const Options& options, const std::string& binary, const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    Daemon daemon(binary, dir, loadConfig(dir, 1000, true));
    asio::io_context io;
    const int count = options.refusals;
    // One account per wrong password, one address per attempt: no failure
    // counts twice, so what is timed is the check itself.
    for (int i = 0; i < count; ++i) {
        Client router(io);
        if (!router.connect(daemon.routerPort)) return;
        router.sendNow(request(NEWUSERREQUEST, kModuleRouter, accountForm("known" + std::to_string(i))));
        auto created = router.waitAnswer(NEWUSERREQUEST);
        if (!created || created->type != TSSUCCESS) {
            std::printf("refusal: account creation failed\n");
            return;
        }
    }
    std::vector<double> unknown, wrong;
    std::set<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const std::string from = "127.0.1." + std::to_string(1 + i);
        const std::string other = "127.0.2." + std::to_string(1 + i);
        auto a = timedLogin(io, daemon, from, "nobody" + std::to_string(i));
        auto b = timedLogin(io, daemon, other, "known" + std::to_string(i));
        if (!a || !b) {
            std::printf("refusal: no answer\n");
            return;
        }
        unknown.push_back(a->second);
        wrong.push_back(b->second);
        texts.insert(a->first);
        texts.insert(b->first);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    auto spread = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return std::pair{v.front(), v.back()};
    };
    std::printf("refusal: %d each, %zu distinct answer text(s): \"%s\"\n", count, texts.size(),
                texts.begin()->c_str());
    std::printf("  unknown name:   median %.1f ms (%.1f .. %.1f)\n", median(unknown), spread(unknown).first,
                spread(unknown).second);
    std::printf("  wrong password: median %.1f ms (%.1f .. %.1f)\n", median(wrong), spread(wrong).first,
                spread(wrong).second);
    std::printf("  difference of the medians: %.1f ms\n", median(wrong) - median(unknown));

    // Twenty connections from one address keep guessing; real logins from
    // other addresses meanwhile.
    Bytes guesses;
    for (int i = 0; i < 10; ++i) {
        ValueList body;
        body.appendText("known0");
        body.appendText("guess" + std::to_string(i));
        body.appendText("1.0");
        body.appendInteger<int32_t>(1);
        const Bytes frame = encode(request(LOGIN, kModuleRouter, body));
        guesses.insert(guesses.end(), frame.begin(), frame.end());
    }
    std::vector<std::unique_ptr<tcp::socket>> guessers;
    for (int i = 0; i < 20; ++i) {
        auto socket = std::make_unique<tcp::socket>(io);
        asio::error_code error;
        socket->open(tcp::v4(), error);
        socket->bind({asio::ip::make_address("127.0.3.1"), 0}, error);
        socket->connect({asio::ip::make_address("127.0.0.1"), daemon.routerPort}, error);
        if (!error) asio::write(*socket, asio::buffer(guesses), error);
        guessers.push_back(std::move(socket));
    }
    std::vector<double> real;
    for (int i = 1; i < count; ++i)
        if (auto answer = timedLogin(io, daemon, "127.0.4." + std::to_string(i), "known" + std::to_string(i), "pw");
            answer && answer->first.empty())
            real.push_back(answer->second);
    if (!real.empty())
        std::printf("  %zu real logins while 20 connections of one address guess: median %.1f ms (%.1f .. %.1f)\n",
                    real.size(), median(real), spread(real).first, spread(real).second);
}

// --- backends: SQLite in one process beside PostgreSQL shared by two ---

// Limits that let the load through, the cheapest password cost.
std::string backendLimits() {
    return "[password]\nopslimit = 1\nmemlimit = 8192\n"
           "[limits]\nconnections_per_address = 100000\nrequests_per_second = 1000000\nrequest_burst = 1000000\n"
           "idle_timeout_seconds = 600\nmax_pending_send_bytes = 67108864\n";
}

std::string arenaSection(const std::string& name) {
    return "[arena]\nname = " + name + "\nlisten = 127.0.0.1:0\nplayer_limit = 1000\n";
}

// Logins on fresh connections by `threads` players at once, each its own
// account, until `limit` logins or `seconds` pass. Logins per second.
double measureLogins(uint16_t routerPort, const std::string& prefix, int threads, int limit, int seconds) {
    {
        asio::io_context io;
        for (int i = 0; i < threads; ++i) {
            Client router(io);
            if (!router.connect(routerPort)) return 0;
            router.sendNow(request(NEWUSERREQUEST, kModuleRouter, accountForm(prefix + std::to_string(i))));
            auto created = router.waitAnswer(NEWUSERREQUEST);
            if (!created || created->type != TSSUCCESS) return 0;
        }
    }
    std::atomic<int> done{0}, failed{0};
    const auto start = Clock::now();
    const auto stop = start + std::chrono::seconds(seconds);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            asio::io_context io;
            ValueList body;
            body.appendText(prefix + std::to_string(t));
            body.appendText("pw");
            body.appendText("1.0");
            body.appendInteger<int32_t>(1);
            const ServiceMessage login = request(LOGIN, kModuleRouter, body);
            while (Clock::now() < stop && done.fetch_add(1) < limit) {
                Client router(io);
                auto answer = router.connect(routerPort) ? (router.sendNow(login), router.waitAnswer(LOGIN))
                                                         : std::nullopt;
                if (!answer || answer->type != TSSUCCESS) ++failed;
            }
        });
    }
    for (auto& worker : workers) worker.join();
    const double span = std::chrono::duration<double>(Clock::now() - start).count();
    const int logins = std::min(done.load(), limit);
    if (failed) std::printf("  (%d logins failed)\n", failed.load());
    return double(logins - failed) / span;
}

// `pairs` players in Arena 1 page their partners in Arena 2, at most
// `window` pages on their way at a time, until `limit` pages or `seconds`.
// Deliveries per second, and whether every page arrived.
std::pair<double, bool> measurePages(uint16_t routerPort, uint16_t arena1, uint16_t arena2, int pairs, int limit,
                                     int seconds) {
    asio::io_context io;
    std::vector<std::shared_ptr<Client>> senders, receivers;
    for (int i = 0; i < pairs; ++i) {
        auto to = enterArena(io, routerPort, "Arena 2", arena2, "to" + std::to_string(i));
        auto from = enterArena(io, routerPort, "Arena 1", arena1, "from" + std::to_string(i));
        if (!to || !from) return {0, false};
        receivers.push_back(to);
        senders.push_back(from);
    }
    std::atomic<uint64_t> delivered{0};
    for (auto& client : receivers)
        client->start([&](Client& c, std::span<const uint8_t> frame) {
            answerPings(c, frame);
            if (frame[4] == PAGER) ++delivered;
        });
    for (auto& client : senders) client->start(answerPings);
    runUntil(io, Clock::now() + std::chrono::seconds(1), [] { return false; });
    std::vector<std::shared_ptr<const Bytes>> pages;
    for (int i = 0; i < pairs; ++i) {
        ValueList to;
        to.appendText("to" + std::to_string(i));
        ValueList body;
        body.appendList(to);
        body.appendText("a page across the hosts");
        pages.push_back(std::make_shared<const Bytes>(encode(request(PAGER, kModuleArena, body))));
    }
    const uint64_t window = 200;
    uint64_t sent = 0;
    const auto start = Clock::now();
    const auto stop = start + std::chrono::seconds(seconds);
    while (Clock::now() < stop && delivered < uint64_t(limit)) {
        while (sent < uint64_t(limit) && sent - delivered < window) {
            senders[sent % uint64_t(pairs)]->send(pages[sent % uint64_t(pairs)]);
            ++sent;
        }
        io.run_for(std::chrono::milliseconds(1));
        io.restart();
    }
    const double span = std::chrono::duration<double>(Clock::now() - start).count();
    // What is still on its way gets a moment; the rate counts only the span.
    const uint64_t counted = delivered;
    runUntil(io, Clock::now() + std::chrono::seconds(3), [&] { return delivered >= sent; });
    const bool complete = delivered == sent;
    for (auto& client : senders) client->socket().close();
    for (auto& client : receivers) client->socket().close();
    io.run_for(std::chrono::milliseconds(200));
    return {double(counted) / span, complete};
}

void backendsPhase(const Options& options, const std::string& binary, const std::filesystem::path& dir) {
    const int threads = 8, pairs = 20;
    auto report = [&](const char* backend, double logins, std::pair<double, bool> pages) {
        std::printf("  %-34s logins/s %7.0f   pages/s %7.0f%s\n", backend, logins, pages.first,
                    pages.second ? "" : "   (pages lost!)");
    };
    std::printf("backends: %d login threads (at most %d logins, %d s), %d page pairs (at most %d pages, %d s)\n",
                threads, options.logins, options.seconds, pairs, options.pages, options.seconds);
    {
        const auto folder = dir / "sqlite";
        std::filesystem::create_directories(folder);
        Daemon daemon(binary, folder,
                      "[storage]\ndatabase = " + (folder / "db.sqlite").string() + "\n[router]\nlisten = 127.0.0.1:0\n" +
                          arenaSection("Arena 1") + arenaSection("Arena 2") + backendLimits());
        const double logins = measureLogins(daemon.routerPort, "login", threads, options.logins, options.seconds);
        const auto pages = measurePages(daemon.routerPort, daemon.arenaPorts.at(0), daemon.arenaPorts.at(1), pairs,
                                        options.pages, options.seconds);
        report("SQLite, one process", logins, pages);
    }
    tessary::server::PgTestServer postgres;
    if (!postgres.running() || !postgres.createDatabase("tessary")) {
        std::printf("  PostgreSQL: not measured (%s)\n", postgres.failure().c_str());
        return;
    }
    const std::string storage = "[storage]\nbackend = postgresql\nconnection = " + postgres.connection("tessary") + "\n";
    const auto folderB = dir / "pg-arena2", folderA = dir / "pg-router-arena1";
    std::filesystem::create_directories(folderB);
    std::filesystem::create_directories(folderA);
    Daemon hostB(binary, folderB, storage + arenaSection("Arena 2") + backendLimits());
    Daemon hostA(binary, folderA,
                 storage + "[router]\nlisten = 127.0.0.1:0\nremote_arena = Arena 2 127.0.0.1:" +
                     std::to_string(hostB.arenaPort) + "\n" + arenaSection("Arena 1") + backendLimits());
    const double logins = measureLogins(hostA.routerPort, "login", threads, options.logins, options.seconds);
    const auto pages =
        measurePages(hostA.routerPort, hostA.arenaPort, hostB.arenaPort, pairs, options.pages, options.seconds);
    report("PostgreSQL, two processes", logins, pages);
}

void raiseDescriptorLimit(int wanted) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlim_t target = std::min<rlim_t>(limit.rlim_max, rlim_t(wanted));
    if (limit.rlim_cur < target) {
        limit.rlim_cur = target;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    getrlimit(RLIMIT_NOFILE, &limit);
    std::printf("descriptor limit %llu (hard %llu)\n", (unsigned long long)limit.rlim_cur,
                (unsigned long long)limit.rlim_max);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--clients") options.chatClients = std::clamp(std::stoi(value), 1, 5000);
        else if (key == "--chat-rate") options.chatRate = std::clamp(std::stoi(value), 1, 100000);
        else if (key == "--seconds") options.seconds = std::clamp(std::stoi(value), 1, 60);
        else if (key == "--rr-clients") options.rrClients = std::clamp(std::stoi(value), 1, 1000);
        else if (key == "--idle") options.idleConnections = std::clamp(std::stoi(value), 1, 15000);
        else if (key == "--phases") options.phases = value;
        else if (key == "--deep") options.deepFrames = std::clamp(std::stoi(value), 1, 100000);
        else if (key == "--refusals") options.refusals = std::clamp(std::stoi(value), 1, 200);
        else if (key == "--logins") options.logins = std::clamp(std::stoi(value), 1, 100000);
        else if (key == "--pages") options.pages = std::clamp(std::stoi(value), 1, 1000000);
        else {
            std::fprintf(stderr,
                         "usage: tessaryd_load [--phases chat,rr,idle,deep,refusal,backends] [--clients N]\n"
                         "       [--chat-rate LINES/S] [--seconds S] [--rr-clients M] [--idle K]\n"
                         "       [--deep D] [--refusals R] [--logins L] [--pages P]\n");
            return 2;
        }
    }
    signal(SIGPIPE, SIG_IGN);
    raiseDescriptorLimit(options.idleConnections + options.chatClients + 1000);
    char pattern[] = "/tmp/tessaryd-load-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::filesystem::path dir = pattern;
    int status = 0;
    try {
        Daemon daemon(TESSARYD_PATH, dir, loadConfig(dir, options.idleConnections + options.chatClients + options.rrClients + 100));
        std::printf("tessaryd %s: router %u, arena %u\n", TESSARYD_PATH, daemon.routerPort, daemon.arenaPort);
        if (options.phases.find("chat") != std::string::npos) chatPhase(options, daemon);
        if (options.phases.find("rr") != std::string::npos) roundTripPhase(options, daemon);
        if (options.phases.find("idle") != std::string::npos) idlePhase(options, daemon);
        if (options.phases.find("deep") != std::string::npos) deepPhase(options, daemon);
        if (options.phases.find("refusal") != std::string::npos) refusalPhase(options, TESSARYD_PATH, dir / "refusal");
        if (options.phases.find("backends") != std::string::npos) backendsPhase(options, TESSARYD_PATH, dir / "backends");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessaryd_load: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return status;
}
