// What the Router and the Arenas share: refusals (logged, then a TSFAIL under
// the request's answer code) and the event-bus subscription, whose events
// run on the role's own thread, and only while the role lives.
#pragma once

#include <asio.hpp>
#include <functional>
#include <memory>
#include <string>

#include "link.h"
#include "log.h"
#include "messages.h"
#include "server/events.h"
#include "server/storage.h"

namespace tessary::server {

class LobbyRole {
protected:
    LobbyRole(asio::io_context& io, EventBus& bus, uint8_t source) : io_(io), bus_(bus), source_(source) {}
    ~LobbyRole() { *alive_ = false; }

    // `handler` runs on the role's thread for every event; a storage failure
    // there is logged, not thrown out of the event loop.
    void subscribe(std::function<void(const Event&)> handler) {
        subscription_ = bus_.subscribe([this, alive = alive_, handler = std::move(handler)](const Event& event) {
            asio::post(io_, [this, alive, handler, event] {
                if (!*alive) return;
                try {
                    handler(event);
                } catch (const StorageError& error) {
                    logLine(role_, std::string("storage: ") + error.what());
                }
            });
        });
    }
    void unsubscribe() {
        if (subscription_) bus_.unsubscribe(subscription_);
        subscription_ = 0;
    }

    // `who` is the player's name when known; `note` goes to the log only.
    void refuse(const LinkPtr& link, const std::string& who, uint8_t request, const std::string& text,
                const std::string& note = {}) {
        logLine(role_, *link, (who.empty() ? "" : " (" + who + ")") + " refused " + protocol::messageTypeName(request) +
                                  ": " + text + (note.empty() ? "" : " (" + note + ")"));
        link->send(failure(source_, request, text));
    }

    asio::io_context& io_;
    EventBus& bus_;
    std::string role_;  // names the role in the log
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

private:
    uint8_t source_;
    int subscription_ = 0;
};

}  // namespace tessary::server
