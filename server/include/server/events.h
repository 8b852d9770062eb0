// Events one role sends to the others: pages, urgent messages, players
// entering and leaving games. Together with Storage this is the only path
// between roles; a later backend carries them between hosts.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>

namespace tessary::server {

struct PageEvent {
    std::string to;  // addressee, any case
    std::string from;
    std::string text;
};

struct UrgentEvent {
    std::string text;
};

// The game server saw a player register or leave a session of that arena.
struct GamePresenceEvent {
    std::string arena;
    std::string name;
    bool joined = false;
};

// A moderator or the operator removed a player (by account name) or every
// player of an address: the Arena holding them shows `text` and closes.
struct KickEvent {
    std::string name;     // empty: by address
    std::string address;  // empty: by name
    std::string text;
};

using Event = std::variant<PageEvent, UrgentEvent, GamePresenceEvent, KickEvent>;

class EventBus {
public:
    using Handler = std::function<void(const Event&)>;
    virtual ~EventBus() = default;

    // Delivers to every subscriber, the publisher included.
    virtual void publish(const Event& event) = 0;
    // The handler is called on the publisher's thread; a role forwards the
    // event to its own thread. Returns an id for unsubscribe.
    virtual int subscribe(Handler handler) = 0;
    virtual void unsubscribe(int id) = 0;
};

// Subscribers in this process.
class LocalEventBus final : public EventBus {
public:
    void publish(const Event& event) override {
        std::map<int, Handler> handlers;
        {
            std::lock_guard lock(mutex_);
            handlers = handlers_;
        }
        for (const auto& [id, handler] : handlers) handler(event);
    }

    int subscribe(Handler handler) override {
        std::lock_guard lock(mutex_);
        handlers_.emplace(++lastId_, std::move(handler));
        return lastId_;
    }

    void unsubscribe(int id) override {
        std::lock_guard lock(mutex_);
        handlers_.erase(id);
    }

private:
    std::mutex mutex_;
    std::map<int, Handler> handlers_;
    int lastId_ = 0;
};

// Subscribers in every process sharing the PostgreSQL database (LISTEN and
// NOTIFY), the publisher's own included. `process` names this process's
// heartbeat, refreshed every `heartbeatSeconds`; the players a process held
// are forgotten three periods after its heartbeat stops. The schema must
// exist (open a Storage first). Connects again by itself after a restart
// of the server. Events published while the server is away are held (up to
// 1,000, for up to a minute) and sent when it is back; a process whose own
// listener is still away at that moment misses them.
std::unique_ptr<EventBus> openPostgresEventBus(const std::string& connection, const std::string& process,
                                               int heartbeatSeconds = 5);

}  // namespace tessary::server
