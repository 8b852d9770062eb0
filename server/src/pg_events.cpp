// Events between processes over PostgreSQL: NOTIFY carries each event to
// every process listening on the channel (the publisher's own included);
// what must outlive a process lives in tables (presence, admissions,
// announced sessions). A listener thread also refreshes this process's
// heartbeat and sweeps the presence of processes whose heartbeat stopped.
//
// Events that cannot be sent while the server is away wait in a bounded
// queue and go out once the listener is connected again. Each carries an id,
// its process and a number counting up; a process sends one event at a time,
// in order, so a listener drops an event whose number it has already passed:
// one sent again, because its first sending may or may not have reached the
// server, is delivered once.
#include <libpq-fe.h>
#include <poll.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <deque>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "log.h"
#include "pg_db.h"
#include "server/events.h"

namespace tessary::server {
namespace {

constexpr const char* kChannel = "tessary_events";

// Held while the server is away: at most this many, for at most this long
// (a page or an urgent message much later than sent is no longer useful).
constexpr size_t kMaxHeldEvents = 1000;
constexpr std::chrono::seconds kHeldEventLifetime{60};

// Publishing processes whose last number a listener keeps; past this many
// (processes restarted often over a long time) it starts afresh.
constexpr size_t kRememberedOrigins = 1024;

std::string hex(std::string_view text) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::optional<std::string> unhex(std::string_view text) {
    if (text.size() % 2) return std::nullopt;
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = value(text[i]), low = value(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return out;
}

// A kind letter, then the fields hex-encoded and separated by ':', so that
// any bytes survive the server's text encoding.
std::string encode(const Event& event) {
    return std::visit(
        [](const auto& e) -> std::string {
            using T = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<T, PageEvent>) return "P:" + hex(e.to) + ":" + hex(e.from) + ":" + hex(e.text);
            else if constexpr (std::is_same_v<T, UrgentEvent>) return "U:" + hex(e.text);
            else if constexpr (std::is_same_v<T, KickEvent>) return "K:" + hex(e.name) + ":" + hex(e.address) + ":" + hex(e.text);
            else return "G:" + hex(e.arena) + ":" + hex(e.name) + ":" + hex(e.joined ? "1" : "0");
        },
        event);
}

std::optional<Event> decode(std::string_view payload) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t colon = payload.find(':', start);
        parts.push_back(payload.substr(start, colon - start));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    std::vector<std::string> fields;
    for (size_t i = 1; i < parts.size(); ++i) {
        auto field = unhex(parts[i]);
        if (!field) return std::nullopt;
        fields.push_back(std::move(*field));
    }
    if (parts[0] == "P" && fields.size() == 3) return PageEvent{fields[0], fields[1], fields[2]};
    if (parts[0] == "U" && fields.size() == 1) return UrgentEvent{fields[0]};
    if (parts[0] == "K" && fields.size() == 3) return KickEvent{fields[0], fields[1], fields[2]};
    if (parts[0] == "G" && fields.size() == 3 && (fields[2] == "0" || fields[2] == "1"))
        return GamePresenceEvent{fields[0], fields[1], fields[2] == "1"};
    return std::nullopt;
}

// "origin.number|event": the publishing process (hex) and its count.
struct EventId {
    std::string_view origin;
    uint64_t number = 0;
};

std::pair<std::optional<EventId>, std::string_view> splitId(std::string_view payload) {
    const size_t bar = payload.find('|');
    const size_t dot = payload.substr(0, bar).rfind('.');
    if (bar == std::string_view::npos || dot == std::string_view::npos) return {std::nullopt, payload};
    EventId id{payload.substr(0, dot)};
    const auto [end, error] = std::from_chars(payload.data() + dot + 1, payload.data() + bar, id.number);
    if (error != std::errc() || end != payload.data() + bar) return {std::nullopt, payload};
    return {id, payload.substr(bar + 1)};
}

class PostgresEventBus final : public EventBus {
public:
    PostgresEventBus(std::string connection, std::string process, int heartbeatSeconds)
        : connection_(std::move(connection)),
          process_(std::move(process)),
          origin_(hex(process_)),
          heartbeat_(heartbeatSeconds),
          publisher_(connection_) {
        listener_ = std::make_unique<PgConnection>(connection_, false);
        listen();
        thread_ = std::thread([this] { loop(); });
    }

    ~PostgresEventBus() override {
        stopping_ = true;
        thread_.join();
        try {  // a clean exit leaves nothing to sweep
            std::lock_guard lock(publishMutex_);
            publisher_.run("DELETE FROM presence WHERE process = $1", PgParams().add(process_));
            publisher_.run("DELETE FROM processes WHERE id = $1", PgParams().add(process_));
        } catch (const StorageError&) {
        }
    }

    void publish(const Event& event) override {
        std::lock_guard lock(publishMutex_);
        if (held_.size() == kMaxHeldEvents) {
            held_.pop_front();
            logLine("events", "PostgreSQL away too long: the oldest held event is dropped");
        }
        held_.push_back({origin_ + "." + std::to_string(++sent_) + "|" + encode(event), std::chrono::steady_clock::now()});
        // Others waiting means the server is away: the listener sends them
        // all once it is back, rather than every publisher waiting for it.
        if (held_.size() == 1) sendHeld();
    }

    // This process's subscribers are those of a local bus, fed by the listener.
    int subscribe(Handler handler) override { return local_.subscribe(std::move(handler)); }
    void unsubscribe(int id) override { local_.unsubscribe(id); }

private:
    struct Held {
        std::string payload;
        std::chrono::steady_clock::time_point since;
    };

    // Sends the held events in order; stops at the first failure. Sending
    // again is safe: listeners drop an id they have seen.
    void sendHeld() {
        const auto expired = std::chrono::steady_clock::now() - kHeldEventLifetime;
        while (!held_.empty() && held_.front().since < expired) held_.pop_front();
        while (!held_.empty()) {
            try {
                publisher_.run("SELECT pg_notify($1, $2)", PgParams().add(kChannel).add(held_.front().payload));
            } catch (const StorageError& error) {
                logLine("events", std::to_string(held_.size()) + " event(s) held: " + error.what());
                return;
            }
            held_.pop_front();
        }
    }

    void listen() {
        listener_->exec(std::string("LISTEN ") + kChannel);
        beat();
    }

    // Refreshes this process's heartbeat and forgets the processes (and the
    // players they held) that have not beaten for three periods.
    void beat() {
        listener_->run("INSERT INTO processes (id, beat) VALUES ($1, now()) "
                       "ON CONFLICT (id) DO UPDATE SET beat = now()",
                       PgParams().add(process_));
        const int64_t dead = 3 * heartbeat_;
        listener_->run("DELETE FROM presence WHERE process <> '' AND process NOT IN "
                       "(SELECT id FROM processes WHERE beat >= now() - make_interval(secs => $1))",
                       PgParams().add(dead));
        listener_->run("DELETE FROM processes WHERE beat < now() - make_interval(secs => $1)", PgParams().add(dead));
        lastBeat_ = std::chrono::steady_clock::now();
    }

    void loop() {
        while (!stopping_) {
            try {
                if (!listener_) {
                    listener_ = std::make_unique<PgConnection>(connection_, false);
                    listen();
                    logLine("events", "connected to PostgreSQL again");
                }
                pollOnce();
                if (std::chrono::steady_clock::now() - lastBeat_ >= std::chrono::seconds(heartbeat_)) beat();
                std::lock_guard lock(publishMutex_);
                if (!held_.empty()) sendHeld();
            } catch (const StorageError& error) {
                if (listener_) logLine("events", std::string("PostgreSQL lost: ") + error.what());
                listener_.reset();
                // Wait a little before trying again, but notice a stop at once.
                for (int i = 0; i < 10 && !stopping_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
    }

    void pollOnce() {
        PGconn* conn = listener_->native();
        pollfd fd{PQsocket(conn), POLLIN, 0};
        if (fd.fd < 0) throw StorageError("no socket");
        if (poll(&fd, 1, 200) < 0) return;
        if (!PQconsumeInput(conn)) throw StorageError(PQerrorMessage(conn));
        while (PGnotify* notify = PQnotifies(conn)) {
            const auto [id, text] = splitId(notify->extra);
            const bool fresh = firstSight(id);
            const auto event = fresh ? decode(text) : std::nullopt;
            PQfreemem(notify);
            if (event) local_.publish(*event);
        }
    }

    bool firstSight(const std::optional<EventId>& id) {
        if (!id) return true;
        if (lastNumbers_.size() >= kRememberedOrigins) lastNumbers_.clear();
        uint64_t& last = lastNumbers_[std::string(id->origin)];
        if (id->number <= last) return false;
        last = id->number;
        return true;
    }

    const std::string connection_;
    const std::string process_;
    const std::string origin_;
    const int heartbeat_;
    std::mutex publishMutex_;  // guards publisher_, held_ and sent_
    PgConnection publisher_;
    std::deque<Held> held_;
    uint64_t sent_ = 0;
    std::unordered_map<std::string, uint64_t> lastNumbers_;  // by origin; the listener thread's
    std::unique_ptr<PgConnection> listener_;
    std::chrono::steady_clock::time_point lastBeat_;
    std::atomic<bool> stopping_{false};
    LocalEventBus local_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<EventBus> openPostgresEventBus(const std::string& connection, const std::string& process,
                                               int heartbeatSeconds) {
    return std::make_unique<PostgresEventBus>(connection, process, heartbeatSeconds);
}

}  // namespace tessary::server
