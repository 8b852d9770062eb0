// What the Router and the Arenas share: refusals (logged, then a TSFAIL under
// the request's answer code) and the event-bus subscription, whose events
// run on the role's own thread, and only while the role lives.
#pragma once

#include <asio.hpp>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "link.h"
#include "log.h"
#include "messages.h"
#include "protocol/message_fields.h"
#include "server/config.h"
#include "server/events.h"
#include "server/storage.h"
#include "text_util.h"

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

    // A PAGER request: each addressee named (once) is paged through the bus,
    // wherever they are. False when it is malformed or too long.
    bool publishPages(const std::string& sender, const protocol::ValueList& request, const Limits& limits) {
        using F = protocol::PageRequestBody;
        const RequestReader reader(request);
        const protocol::ValueList* addressees = reader.list(F::Addressees);
        const auto text = reader.text(F::Text, size_t(limits.maxChatText));
        if (!addressees || !text || addressees->size() > size_t(limits.maxPageAddressees)) return false;
        std::set<std::string> sent;
        for (size_t i = 0; i < addressees->size(); ++i) {
            const std::string* to = addressees->text(i);
            if (!to || to->empty() || to->size() > kMaxNameLength || !sent.insert(foldName(*to)).second) continue;
            bus_.publish(PageEvent{*to, sender, *text});
        }
        return true;
    }
    // The page as its addressee receives it.
    protocol::ServiceMessage pageMessage(const PageEvent& page) const {
        using F = protocol::PageBody;
        return makeMessage(source_, protocol::PAGER,
                           protocol::BodyWriter<F>().text(F::Sender, page.from).text(F::Text, page.text).take());
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
