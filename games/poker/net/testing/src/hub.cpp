#include "poker/testing/hub.h"

#include "poker/messages.h"

namespace tessary::poker::testing {
namespace {

class HubLink : public PokerLink {
public:
    HubLink(Hub& hub, uint16_t id) : hub_(hub), id_(id) {}

    void sendToOthers(uint8_t type, std::span<const uint8_t> payload) override {
        hub_.relay(id_, false, type, payload);
    }
    void sendToAll(uint8_t type, std::span<const uint8_t> payload) override { hub_.relay(id_, true, type, payload); }
    void sendToOne(uint16_t playerId, uint8_t type, std::span<const uint8_t> payload) override {
        hub_.relayTo(id_, playerId, type, payload);
    }
    void storeMoney(uint16_t playerId, int32_t money) override {
        // Only players still in the session or just gone are stored, as the server does.
        hub_.database[playerId] = money;
    }
    std::string playerName(uint16_t playerId) override { return hub_.nameOf(playerId); }

private:
    Hub& hub_;
    uint16_t id_;
};

bool isAppliedBySender(uint8_t type, std::span<const uint8_t> payload) {
    if (type == kCardsMessage || type == kNewHandMessage) return true;
    if (type != kActionMessage) return false;
    const auto action = decodeAction(payload);
    return action && action->code == ActionCode::SitOut;
}

}  // namespace

std::vector<uint16_t> Hub::everybody() const {
    std::vector<uint16_t> ids;
    for (const auto& [id, m] : members_) ids.push_back(id);
    return ids;
}

std::string Hub::nameOf(uint16_t id) const {
    const auto it = members_.find(id);
    return it == members_.end() ? std::string() : it->second.name;
}

PokerGame* Hub::game(uint16_t id) {
    const auto it = members_.find(id);
    return it == members_.end() ? nullptr : it->second.game.get();
}

PokerGame& Hub::join(uint16_t id, const std::string& name) {
    const bool first = members_.empty();
    Member m;
    m.id = id;
    m.name = name;
    m.link = std::make_unique<HubLink>(*this, id);
    m.game = std::make_unique<PokerGame>(*m.link, [this] { return seconds; }, [this] { return milliseconds; });
    PokerGame& game = *m.game;
    std::vector<uint16_t> others = everybody();
    members_.emplace(id, std::move(m));

    post({Kind::OwnId, 0, id, {id}, first ? uint8_t{1} : uint8_t{0}, {}, false});
    for (uint16_t present : everybody()) post({Kind::NewPlayer, 0, present, {id}, 0, {}, false});
    if (!others.empty()) post({Kind::NewPlayer, 0, id, others, 0, {}, false});
    Payload info;
    if (const auto stored = database.find(id); stored != database.end()) info = encodeBankroll(stored->second);
    post({Kind::PlayerInfos, 0, id, everybody(), 0, info, false});
    // Like the game server, the newcomer also gets what is stored for the
    // others (which may be older than their money at the table).
    for (uint16_t present : others) {
        if (const auto stored = database.find(present); stored != database.end()) {
            post({Kind::PlayerInfos, 0, present, {id}, 0, encodeBankroll(stored->second), false});
        }
    }
    return game;
}

void Hub::leave(uint16_t id) {
    if (members_.erase(id) == 0) return;
    if (!members_.empty()) post({Kind::PlayerLeft, 0, id, everybody(), 0, {}, false});
}

void Hub::relay(uint16_t sender, bool echo, uint8_t type, std::span<const uint8_t> payload) {
    if (members_.count(sender) == 0) return;
    Post p;
    p.sender = sender;
    p.type = type;
    p.payload.assign(payload.begin(), payload.end());
    for (uint16_t id : everybody()) {
        if (echo || id != sender) p.to.push_back(id);
    }
    p.appliedBySender = !echo && isAppliedBySender(type, payload);
    post(std::move(p));
}

void Hub::relayTo(uint16_t sender, uint16_t recipient, uint8_t type, std::span<const uint8_t> payload) {
    if (members_.count(sender) == 0 || members_.count(recipient) == 0) return;
    post({Kind::Game, sender, 0, {recipient}, type, Payload(payload.begin(), payload.end()), false});
}

std::set<uint16_t> Hub::programsAhead() const {
    std::set<uint16_t> ahead;
    for (const Post& p : posts_) {
        if (p.appliedBySender) ahead.insert(p.sender);
    }
    return ahead;
}

std::optional<Hub::Post> Hub::deliverOne() {
    if (posts_.empty()) return std::nullopt;
    Post p = std::move(posts_.front());
    posts_.pop_front();
    for (uint16_t id : p.to) {
        PokerGame* g = game(id);
        if (g == nullptr) continue;  // left meanwhile
        switch (p.kind) {
            case Kind::Game:
                g->onMessage(p.type, p.sender, p.payload);
                break;
            case Kind::OwnId:
                g->onOwnId(p.subject, p.type, 0);
                break;
            case Kind::NewPlayer:
                g->onNewPlayer(p.subject, nameOf(p.subject));
                break;
            case Kind::PlayerLeft:
                g->onPlayerLeft(p.subject);
                break;
            case Kind::PlayerInfos:
                g->onPlayerInfos(p.subject, p.payload);
                break;
        }
    }
    return p;
}

}  // namespace tessary::poker::testing
