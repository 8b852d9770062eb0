#include "game_server.h"

#include <algorithm>
#include <ctime>

#include "log.h"
#include "protocol/datagram.h"
#include "protocol/library_messages.h"
#include "protocol/little_endian.h"
#include "sqlite_db.h"
#include "text_util.h"

namespace tessary::server {

using namespace protocol;

namespace {

// The game library keeps its stream alive every 30 s; a stream silent for
// longer (with some slack) is taken for dropped.
constexpr int64_t kStreamSilentMs = 35'000;

Bytes newPlayerEvent(PlayerId id, const std::string& name) {
    Bytes payload{EVENT_NEWPLAYER};
    appendLe16(payload, id);
    for (size_t i = 0; i < kNameFieldSize; ++i) payload.push_back(i < name.size() ? uint8_t(name[i]) : 0);
    return payload;
}

Bytes idEvent(uint8_t event, PlayerId id) {
    Bytes payload{event};
    appendLe16(payload, id);
    return payload;
}

Bytes infoEvent(PlayerId id, const Bytes& info) {
    Bytes payload{EVENT_PLAYERINFOS};
    appendLe16(payload, id);
    payload.insert(payload.end(), info.begin(), info.end());
    return payload;
}

}  // namespace

GameServer::GameServer(asio::io_context& io, GameServerSettings settings, std::unique_ptr<Storage> storage,
                       EventBus& bus, GameLogicRegistry logics)
    : io_(io),
      settings_(std::move(settings)),
      storage_(std::move(storage)),
      bus_(bus),
      logics_(std::move(logics)),
      udp_(io),
      timer_(io) {}

GameServer::~GameServer() { *alive_ = false; }

void GameServer::openDatagrams(const asio::ip::address& address, uint16_t port) {
    const asio::ip::udp::endpoint local(address, port);
    try {
        udp_.open(local.protocol());
        udp_.bind(local);
    } catch (const std::system_error& error) {
        throw std::system_error(error.code(),
                                role_ + " cannot receive datagrams on " + address.to_string() + ":" + std::to_string(port));
    }
    logLine(role_, "datagrams on " + address.to_string() + ":" + std::to_string(port));
    startReceive();
}

void GameServer::start() { scheduleTick(); }

void GameServer::stop() {
    stopped_ = true;
    timer_.cancel();
    asio::error_code ignored;
    udp_.close(ignored);
}

int64_t GameServer::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - epoch_).count();
}

void GameServer::scheduleTick() {
    timer_.expires_after(std::chrono::milliseconds(100));
    timer_.async_wait([this, alive = alive_](asio::error_code error) {
        if (error || !*alive || stopped_) return;
        tick(Clock::now());
        scheduleTick();
    });
}

void GameServer::tick(Clock::time_point now) {
    const int64_t ms = nowMs();
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        Session& session = *it->second;
        giveUpKeptSeats(session);
        if (session.logic) session.logic->tick(ms);
        if (session.present.empty() && session.away.empty() &&
            now - session.emptySince > std::chrono::seconds(settings_.limits.returnAfterGameSeconds)) {
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
}

void GameServer::linkOpened(const LinkPtr& link) { links_[link->id()] = link; }

void GameServer::linkClosed(const LinkPtr& link) {
    links_.erase(link->id());
    auto it = players_.find(link->id());
    if (it == players_.end()) return;
    std::unique_ptr<Player> player = std::move(it->second);
    players_.erase(it);
    if (player->session) dropped(*player);
}

void GameServer::dropped(Player& player) {
    Session& session = *player.session;
    if (settings_.limits.seatKeepSeconds > 0 && session.logic && session.logic->keepsSeat(player.id))
        keepSeat(player);
    else
        leave(player);
}

void GameServer::messageReceived(const LinkPtr& link, Message& message) {
    if (auto known = players_.find(link->id()); known != players_.end())
        known->second->lastHeardMs = settings_.clock->monotonicMs();
    auto* raw = std::get_if<RawMessage>(&message);
    if (!raw) {
        const auto& structured = std::get<ServiceMessage>(message);
        if (structured.type != STILLALIVE)
            logLine(role_, *link, " refused: " + messageTypeName(structured.type) + " on a game link");
        return;
    }
    try {
        auto it = players_.find(link->id());
        if (it == players_.end()) {
            if (raw->kind == SENDTOSERVER && !raw->payload.empty() && raw->payload[0] == EVENT_REGISTER)
                registration(link, *raw);
            // Probes sent between the connect and the registration wait for
            // the registration; anything else before it is dropped.
            return;
        }
        fromPlayer(*it->second, *raw, false);
    } catch (const StorageError& error) {
        logLine(role_, std::string("storage: ") + error.what());
    }
}

PlayerId GameServer::allocateId() {
    // Ids are unique across sessions, so that a datagram's sender id names
    // one player; an id stays reserved while its session lives.
    auto taken = [this](PlayerId id) {
        if (id == 0 || playersById_.count(id)) return true;
        for (const auto& [key, session] : sessions_)
            if (session->nameById.count(id) || session->computers.count(id)) return true;
        return false;
    };
    for (int attempt = 0; attempt < 65535; ++attempt) {
        lastId_ = PlayerId(lastId_ + 1);
        if (!taken(lastId_)) return lastId_;
    }
    return 0;
}

void GameServer::registration(const LinkPtr& link, const RawMessage& message) {
    std::string name;
    for (size_t i = 1; i < message.payload.size() && i <= kNameFieldSize && message.payload[i]; ++i)
        name.push_back(char(message.payload[i]));
    if (checkPlayerName(name) != NameCheck::Ok) return link->close("registration with a malformed name");
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    auto announcement = storage_->findGameSessionOf(name, now - settings_.limits.gameReturnSeconds);
    if (!announcement) return link->close("registration of " + name + " for no announced session");
    auto member = std::find_if(announcement->members.begin(), announcement->members.end(),
                               [&](const GameMember& m) { return sameName(m.name, name); });
    if (member == announcement->members.end()) return link->close("registration of " + name + ": not a member");
    if (!member->address.empty() && member->address != link->address())
        return link->close("registration of " + name + " from an address its arena did not announce");

    auto& slot = sessions_[announcement->key];
    if (!slot) {
        slot = std::make_unique<Session>();
        slot->server = this;
        slot->tableSetup = {announcement->options, settings_.limits.computerDelayMs};
        slot->logic = logics_.create(announcement->game, *slot);
    }
    Session& session = *slot;
    session.announcement = *announcement;

    const std::string key = foldName(name);
    if (auto known = session.idByName.find(key); known != session.idByName.end()) {
        if (auto present = session.present.find(known->second); present != session.present.end()) {
            // Without a token, the seat stays with a stream that is alive: a
            // rejoin after a drop finds the old stream closed or silent.
            Player* old = present->second;
            if (old->link->isOpen() && settings_.clock->monotonicMs() - old->lastHeardMs <= kStreamSilentMs)
                return link->close("registration of " + name + " refused: that player's stream is still alive");
            dropped(*old);  // a silent stream is a dropped one: the seat waits for this registration
            old->link->close("replaced by a new registration of " + name);
        }
    }
    PlayerId id = 0;
    bool returning = false;
    if (auto known = session.idByName.find(key); known != session.idByName.end()) {
        id = known->second;
        returning = session.away.erase(id) > 0;
    } else {
        id = allocateId();
        if (id == 0) return link->close("no player id left");
        session.idByName[key] = id;
        session.nameById[id] = member->name;
    }

    auto player = std::make_unique<Player>();
    player->id = id;
    player->name = member->name;
    player->spectator = member->spectator;
    player->link = link;
    player->session = &session;
    player->datagramTokens = settings_.limits.gameRequestBurst;
    player->datagramTokensAt = Clock::now();
    player->lastHeardMs = settings_.clock->monotonicMs();
    Player& added = *player;
    players_[link->id()] = std::move(player);
    playersById_[id] = &added;
    session.present[id] = &added;

    Bytes ownId{EVENT_OWNID};
    appendLe16(ownId, id);
    appendLe16(ownId, session.present.size() == 1 ? 1 : 0);
    appendLe16(ownId, uint16_t(session.announcement.expectedPlayers));
    sendEvent(added, ownId);
    for (auto& [otherId, other] : session.present) sendEvent(added, newPlayerEvent(otherId, other->name));
    for (const auto& [otherId, away] : session.away) sendEvent(added, newPlayerEvent(otherId, away.name));
    for (const auto& [botId, botName] : session.computers) sendEvent(added, newPlayerEvent(botId, botName));
    // The others never saw a kept seat's player leave.
    const Bytes arrival = newPlayerEvent(id, added.name);
    for (auto& [otherId, other] : session.present)
        if (otherId != id && !returning) sendEvent(*other, arrival);

    const std::string& game = session.announcement.game;
    if (auto info = storage_->playerInfo(game, added.name)) sendEventToAll(session, infoEvent(id, *info));
    for (auto& [otherId, other] : session.present) {
        if (otherId == id) continue;
        if (auto info = storage_->playerInfo(game, other->name)) sendEvent(added, infoEvent(otherId, *info));
    }
    logLine(role_, *link, " " + added.name + " registered as " + std::to_string(id) + " in " +
                       session.announcement.arena + " / " + session.announcement.session + " (" + game + ")");
    if (session.logic) {
        if (returning) session.logic->playerReturned(id, nowMs());
        else session.logic->playerJoined(id, added.name, added.spectator, nowMs());
    }
    chooseMaster(session);
    bus_.publish(GamePresenceEvent{session.announcement.arena, added.name, true});
}

void GameServer::chooseMaster(Session& session) {
    if (session.master && session.present.count(*session.master)) return;
    session.master.reset();
    if (session.present.empty()) return;
    session.master = session.present.begin()->first;  // the lowest id present
    sendEventToAll(session, idEvent(EVENT_NEWMASTER, *session.master));
    if (session.logic) session.logic->masterChanged(*session.master);
}

void GameServer::leave(Player& player) {
    Session* session = player.session;
    if (!session) return;
    player.session = nullptr;
    session->present.erase(player.id);
    playersById_.erase(player.id);
    departed(*session, player.id, player.name);
}

void GameServer::departed(Session& session, PlayerId id, const std::string& name) {
    logLine(role_, name + " left " + session.announcement.session);
    sendEventToAll(session, idEvent(EVENT_PLAYERLEFT, id));
    if (session.logic) session.logic->playerLeft(id, nowMs());
    chooseMaster(session);
    if (session.present.empty()) session.emptySince = Clock::now();
    bus_.publish(GamePresenceEvent{session.announcement.arena, name, false});
}

void GameServer::keepSeat(Player& player) {
    Session& session = *player.session;
    player.session = nullptr;
    session.present.erase(player.id);
    playersById_.erase(player.id);
    const int64_t until = settings_.clock->monotonicMs() + int64_t(settings_.limits.seatKeepSeconds) * 1000;
    session.away[player.id] = {player.name, until};
    logLine(role_, player.name + "'s seat in " + session.announcement.session + " is kept for " +
                       std::to_string(settings_.limits.seatKeepSeconds) + " s");
    session.logic->playerAway(player.id, nowMs());
    chooseMaster(session);
    if (session.present.empty()) session.emptySince = Clock::now();
}

void GameServer::giveUpKeptSeats(Session& session) {
    const int64_t now = settings_.clock->monotonicMs();
    for (auto it = session.away.begin(); it != session.away.end();) {
        if (now < it->second.untilMs) {
            ++it;
            continue;
        }
        const PlayerId id = it->first;
        const std::string name = std::move(it->second.name);
        it = session.away.erase(it);
        departed(session, id, name);
    }
}

void GameServer::fromPlayer(Player& player, const RawMessage& message, bool byDatagram) {
    if (message.payload.empty() || !player.session) return;
    if (message.kind == SENDTOSERVER) {
        toServer(player, message.payload[0], std::span(message.payload).subspan(1), byDatagram);
        return;
    }
    relay(player, message, byDatagram);
}

void GameServer::toServer(Player& player, uint8_t type, std::span<const uint8_t> data, bool byDatagram) {
    Session& session = *player.session;
    const std::string& game = session.announcement.game;
    switch (type) {
        case kProbe: {
            RawMessage answer{SENDTOPLAYER, 0, 0, Bytes{kProbe}};
            if (byDatagram && player.datagramAddress) return sendDatagram(player, std::move(answer));
            return player.link->send(answer);
        }
        case kCancelStorage: return storage_->deletePlayerInfo(game, player.name);
        case EVENT_PLAYERINFOS: {
            if (data.size() < 2) return;
            auto subject = session.nameById.find(readLe16(data, 0));
            if (subject == session.nameById.end()) return;  // not a player of this session
            if (data.size() - 2 > size_t(settings_.limits.maxPlayerInfoBytes)) {
                logLine(role_, *player.link, " refused: player information over " +
                                   std::to_string(settings_.limits.maxPlayerInfoBytes) + " bytes");
                return;
            }
            return storage_->storePlayerInfo(game, subject->second, data.subspan(2));
        }
        case EVENT_SERVERTIME: {
            const auto wall = std::chrono::system_clock::now().time_since_epoch();
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wall).count();
            Bytes answer{EVENT_SERVERTIME};
            appendLe32(answer, uint32_t(ms / 1000));
            appendLe32(answer, uint32_t(ms % 1000));
            return sendEvent(player, answer);
        }
        case kGroupRemovePlayer:
        case kGroupAddPlayer:
        case kGroupEmpty:
        case kGroupDelete:
        case kGroupCreate: return groupChange(player, type, data);
        case EVENT_REGISTER: return;  // already registered
        default:
            if (type <= kMaxGameType && session.logic) session.logic->receive(player.id, type, data, nowMs());
    }
}

void GameServer::groupChange(Player& player, uint8_t type, std::span<const uint8_t> data) {
    if (data.empty()) return;
    auto& groups = player.session->groups;
    const auto key = std::make_pair(player.id, data[0]);
    if (type == kGroupCreate) {
        groups.try_emplace(key);
        return;
    }
    auto group = groups.find(key);
    if (group == groups.end()) return;
    std::vector<PlayerId>& members = group->second;
    if (type == kGroupDelete) groups.erase(group);
    else if (type == kGroupEmpty) members.clear();
    else if (data.size() >= 3) {
        const PlayerId member = readLe16(data, 1);
        auto at = std::find(members.begin(), members.end(), member);
        if (type == kGroupAddPlayer && at == members.end() && player.session->nameById.count(member))
            members.push_back(member);
        if (type == kGroupRemovePlayer && at != members.end()) members.erase(at);
    }
}

void GameServer::relay(Player& sender, const RawMessage& message, bool byDatagram) {
    Session& session = *sender.session;
    const std::span<const uint8_t> payload(message.payload);
    const uint8_t type = payload[0];
    if (type > kMaxGameType) {
        // Library events come from the server alone; a player cannot
        // announce players, masters or ids to the others.
        logLine(role_, *sender.link, " refused: relay of reserved type " + std::to_string(type));
        return;
    }
    RawMessage out{message.kind, uint8_t(message.flags & kReplaceFlag), sender.id, {}};
    std::vector<Player*> recipients;
    switch (message.kind) {
        case SENDTOOTHERPLAYERS:
        case SENDTOALLPLAYERS:
            out.payload = message.payload;
            for (auto& [id, player] : session.present)
                if (id != sender.id || message.kind == SENDTOALLPLAYERS) recipients.push_back(player);
            break;
        case SENDTOPLAYERGROUP: {
            if (payload.size() < 2) return;
            auto group = session.groups.find({sender.id, payload[1]});
            if (group == session.groups.end()) return;
            out.payload.push_back(type);
            out.payload.insert(out.payload.end(), payload.begin() + 2, payload.end());
            for (PlayerId id : group->second)
                if (auto it = session.present.find(id); it != session.present.end()) recipients.push_back(it->second);
            break;
        }
        case SENDTOPLAYER: {
            if (payload.size() < 3) return;
            auto it = session.present.find(readLe16(payload, 1));
            if (it == session.present.end()) return;
            out.payload.push_back(type);
            out.payload.insert(out.payload.end(), payload.begin() + 3, payload.end());
            recipients.push_back(it->second);
            break;
        }
        default: return;
    }
    SharedFrame streamFrame;
    for (Player* to : recipients) {
        if (byDatagram && to->datagramAddress &&
            kDatagramHeaderSize + out.payload.size() <= kMaxDatagramSize) {
            sendDatagram(*to, out);
            datagramRelays_.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        if (!streamFrame) streamFrame = encodeShared(out);
        to->link->send(streamFrame);
    }
}

void GameServer::sendEvent(Player& to, std::span<const uint8_t> payload) {
    to.link->send(RawMessage{SENDTOPLAYER, 0, 0, Bytes(payload.begin(), payload.end())});
}

void GameServer::sendEventToAll(Session& session, std::span<const uint8_t> payload) {
    const SharedFrame frame = encodeShared(RawMessage{SENDTOPLAYER, 0, 0, Bytes(payload.begin(), payload.end())});
    for (auto& [id, player] : session.present) player->link->send(frame);
}

void GameServer::sendDatagram(Player& to, RawMessage message) {
    const auto now = Clock::now();
    uint32_t stamp = uint32_t(nowMs());
    if (stamp == 0) stamp = 1;  // 0 means "nothing to echo" to the library
    uint32_t echo = 0;
    if (to.peerStamp != 0) {
        echo = to.peerStamp +
               uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now - to.peerStampArrival).count());
        to.peerStamp = 0;
    }
    auto frame = std::make_shared<Bytes>(encodeDatagram({std::move(message), stamp, echo}));
    udp_.async_send_to(asio::buffer(*frame), *to.datagramAddress, [frame](asio::error_code, size_t) {});
}

void GameServer::startReceive() {
    udp_.async_receive_from(asio::buffer(datagramBuffer_), datagramFrom_,
                            [this, alive = alive_](asio::error_code error, size_t size) {
                                if (!*alive || stopped_ || error == asio::error::operation_aborted) return;
                                if (!error) {
                                    try {
                                        datagramReceived({datagramBuffer_.data(), size}, datagramFrom_);
                                    } catch (const StorageError& e) {
                                        logLine(role_, std::string("storage: ") + e.what());
                                    }
                                }
                                startReceive();
                            });
}

void GameServer::datagramReceived(std::span<const uint8_t> bytes, const asio::ip::udp::endpoint& from) {
    // One whole raw frame with its two stamps, or nothing.
    if (bytes.size() < kDatagramHeaderSize + 1 || announcedSize(bytes.data()) != bytes.size() ||
        (bytes[3] >> 6) != uint8_t(Format::Raw))
        return;
    auto decoded = decode(bytes);
    if (!decoded) return;
    auto& message = std::get<RawMessage>(*decoded);
    // Only the registered player's own address may speak with its id.
    auto it = playersById_.find(message.sender);
    if (it == playersById_.end()) return;
    Player& player = *it->second;
    if (!player.link->isOpen() || player.link->address() != from.address().to_string()) return;
    // The first endpoint seen after the registration stays the player's:
    // another program on the same address can neither speak for the player
    // nor draw its datagrams away.
    if (player.datagramAddress && *player.datagramAddress != from) return;

    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - player.datagramTokensAt).count();
    player.datagramTokensAt = now;
    player.datagramTokens = std::min(double(settings_.limits.gameRequestBurst),
                                     player.datagramTokens + elapsed * settings_.limits.gameRequestsPerSecond);
    if (player.datagramTokens < 1.0) return;
    player.datagramTokens -= 1.0;

    if (!player.datagramAddress) {
        logLine(role_, player.name + " sends datagrams from " + from.address().to_string() + ":" +
                           std::to_string(from.port()));
        player.datagramAddress = from;
    }
    player.peerStamp = readLe32(message.payload, 0);
    player.peerStampArrival = now;
    message.payload.erase(message.payload.begin(), message.payload.begin() + kStampBytes);
    fromPlayer(player, message, true);
}

// --- the session as its game logic sees it ---

PlayerId GameServer::Session::addComputerPlayer(std::string_view name) {
    const PlayerId id = server->allocateId();
    if (id == 0) return 0;
    computers[id] = std::string(name);
    server->sendEventToAll(*this, newPlayerEvent(id, std::string(name)));
    return id;
}

void GameServer::Session::sendToPlayer(PlayerId to, uint8_t type, std::span<const uint8_t> body) {
    auto it = present.find(to);
    if (it == present.end()) return;
    Bytes payload{type};
    payload.insert(payload.end(), body.begin(), body.end());
    server->sendEvent(*it->second, payload);
}

void GameServer::Session::sendToAll(uint8_t type, std::span<const uint8_t> body) {
    Bytes payload{type};
    payload.insert(payload.end(), body.begin(), body.end());
    server->sendEventToAll(*this, payload);
}

void GameServer::Session::recordWin(PlayerId player) {
    auto it = nameById.find(player);
    if (it == nameById.end()) return;
    try {
        server->storage_->addGameWon(announcement.game, it->second);
    } catch (const StorageError& error) {
        logLine(server->role_, std::string("storage: ") + error.what());
    }
}

void GameServer::Session::note(std::string_view text) {
    logLine(server->role_, announcement.session + ": " + std::string(text));
}

std::string GameServer::Session::playerName(PlayerId player) const {
    auto it = nameById.find(player);
    return it == nameById.end() ? std::string() : it->second;
}

}  // namespace tessary::server
