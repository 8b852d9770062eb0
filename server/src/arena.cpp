#include "arena.h"

#include <algorithm>
#include <ctime>
#include <set>

#include "log.h"
#include "platform/clock.h"
#include "messages.h"
#include "moderation.h"
#include "protocol/message_fields.h"
#include "player_card.h"
#include "sqlite_db.h"
#include "text_util.h"

namespace tessary::server {

using namespace protocol;

namespace {

constexpr uint8_t kSource = kModuleArena;
constexpr size_t kMaxGameName = 63;
constexpr size_t kMaxSessionPassword = 64;

using platform::unixNow;

ValueList texts(const std::vector<std::string>& values) {
    ValueList list;
    for (const std::string& value : values) list.appendText(value);
    return list;
}

ValueList chatLine(const std::string& sender, const std::string& text, int32_t colour, int32_t font) {
    using F = ChatLineBody;
    return BodyWriter<F>()
        .text(F::Sender, sender)
        .text(F::Text, text)
        .integer<int32_t>(F::Colour, colour)
        .integer<int32_t>(F::Font, font)
        .take();
}

}  // namespace

int pingClass(std::chrono::milliseconds roundTrip) {
    const auto ms = roundTrip.count();
    if (ms <= 150) return 5;
    if (ms <= 300) return 4;
    if (ms <= 500) return 3;
    if (ms <= 800) return 2;
    return 1;
}

Arena::Arena(asio::io_context& io, ArenaSettings settings, std::unique_ptr<Storage> storage, EventBus& bus)
    : LobbyRole(io, bus, kModuleArena),
      settings_(std::move(settings)),
      storage_(std::move(storage)),
      timer_(io),
      sessions_(settings_.limits.sessionsPerArena) {
    role_ = "arena " + settings_.config.name;
}

Arena::~Arena() { *alive_ = false; }

void Arena::start() {
    startedAt_ = unixNow();
    storage_->clearPresenceHeldBy("arena:" + settings_.config.name + "#");
    subscribe([this](const Event& event) { onEvent(event); });
    scheduleTick();
}

void Arena::stop() {
    stopped_ = true;
    timer_.cancel();
    unsubscribe();
    try {
        storage_->clearPresenceHeldBy("arena:" + settings_.config.name + "#");
    } catch (const StorageError& error) {
        logLine(role_, std::string("storage: ") + error.what());
    }
}

void Arena::scheduleTick() {
    timer_.expires_after(std::chrono::seconds(1));
    timer_.async_wait([this, alive = alive_](asio::error_code error) {
        if (error || !*alive || stopped_) return;
        try {
            tick(Clock::now());
        } catch (const StorageError& e) {
            logLine(role_, std::string("storage: ") + e.what());
        }
        scheduleTick();
    });
}

void Arena::tick(Clock::time_point now) {
    const SharedFrame ping = encodeShared(makeMessage(kSource, PING));
    std::vector<std::string> expired;
    for (auto& [key, player] : players_) {
        if (!player.link) {
            if (now >= player.awayUntil) expired.push_back(key);
            continue;
        }
        if (now < player.nextPingAt) continue;
        player.link->send(ping);
        player.pingOutstanding = true;
        player.pingSentAt = now;
        player.nextPingAt = now + std::chrono::seconds(settings_.limits.arenaPingSeconds);
    }
    for (const std::string& key : expired) removePlayer(key, "did not come back from the game");
}

Arena::Player* Arena::playerOf(const LinkPtr& link) {
    auto it = playerByLink_.find(link->id());
    if (it == playerByLink_.end()) return nullptr;
    auto player = players_.find(it->second);
    return player == players_.end() ? nullptr : &player->second;
}

const GameSession* Arena::sessionOf(const Player& player) const { return sessions_.sessionOf(player.name); }

void Arena::linkOpened(const LinkPtr& link) { links_[link->id()] = link; }

void Arena::linkClosed(const LinkPtr& link) {
    links_.erase(link->id());
    auto it = playerByLink_.find(link->id());
    if (it == playerByLink_.end()) return;
    const std::string key = it->second;
    playerByLink_.erase(it);
    auto found = players_.find(key);
    if (found == players_.end() || found->second.link != link) return;
    Player& player = found->second;
    try {
        if (player.sentToGame && sessionOf(player)) {
            // The lobby hands over to the game program: the player stays
            // listed in the session until it comes back or gives up.
            player.link.reset();
            player.pingOutstanding = false;
            player.awayUntil = Clock::now() + std::chrono::seconds(settings_.limits.gameReturnSeconds);
            logLine(role_, player.name + " is away playing");
            return;
        }
        removePlayer(key, "");
    } catch (const StorageError& error) {
        logLine(role_, std::string("storage: ") + error.what());
    }
}

void Arena::removePlayer(const std::string& key, const char* why) {
    auto it = players_.find(key);
    if (it == players_.end()) return;
    Player& player = it->second;
    removeFromSession(player);
    storage_->clearPresence(player.name, player.holder);
    if (*why) logLine(role_, player.name + " left: " + why);
    ValueList body;
    body.appendText(player.name);
    players_.erase(it);
    broadcast(makeMessage(kSource, PLAYERREMOVED, std::move(body)));
}

void Arena::messageReceived(const LinkPtr& link, Message& message) {
    const auto* request = std::get_if<ServiceMessage>(&message);
    if (!request) {
        logLine(role_, *link, " refused: raw message on an Arena link");
        return;
    }
    try {
        handle(link, playerOf(link), *request, unixNow());
    } catch (const StorageError& error) {
        logLine(role_, std::string("storage: ") + error.what());
        refuse(link, "", answerCodeOf(request->type), "The arena cannot do this right now. Please try again later.");
    }
}

void Arena::handle(const LinkPtr& link, Player* player, const ServiceMessage& request, int64_t now) {
    if (request.type == LOGINARENA) return login(link, request, now);
    if (request.type == STILLALIVE) return;
    if (!player) {
        // Only requests with an answer of their own get one; chat or pages
        // before the login are dropped.
        static const std::set<uint8_t> answered = {CREATESESSION,  JOINSESSION,  BEGINGAME,
                                                   GETPLAYERINFO, LEAVESESSION, GETSESSIONINFO};
        if (answered.count(request.type))
            return refuse(link, "", answerCodeOf(request.type), "Please enter the arena first.");
        logLine(role_, *link, " refused " + messageTypeName(request.type) + ": not in the arena");
        return;
    }
    switch (request.type) {
        case CHATALL:
        case CHATSESSION:
        case CHATLIST: return chat(*player, request, now);
        case GETPLAYERINFO: return playerInfo(*player, request);
        case GETSESSIONINFO: return sessionInfo(*player, request);
        case CREATESESSION: return createSession(*player, request, now);
        case JOINSESSION: return joinSession(*player, request, now);
        case LEAVESESSION: return leaveSession(*player, now);
        case BEGINGAME: return beginGame(*player, now);
        case PING: return pingAnswered(*player);
        case PAGER: return page(*player, request, now);
        default:
            logLine(role_, *link, " (" + player->name + ") refused: unexpected " +
                               messageTypeName(request.type));
    }
}

void Arena::login(const LinkPtr& link, const ServiceMessage& request, int64_t now) {
    if (playerByLink_.count(link->id())) return refuse(link, "", LOGINARENA, "You are already in the arena.");
    const auto name = RequestReader(request.body).text(0, kMaxNameLength);
    if (!name || name->empty()) return refuse(link, "", LOGINARENA, "Please give your user name.");
    if (sameName(*name, kServiceName)) return refuse(link, *name, LOGINARENA, "This name is reserved.");
    // A player back from a game comes without the Router: check bans here too.
    if (auto ban = banOf(*storage_, *name, link->address(), now)) {
        storage_->addAudit({now, role_, "refused arena login", *name + " from " + link->address(), ban->reason});
        return refuse(link, *name, LOGINARENA, banText(*ban));
    }
    // The protocol carries no token: the Router's admission for this name
    // and address, taken once, stands in for one.
    if (!storage_->takeAdmission(settings_.config.name, *name, link->address(), now))
        return refuse(link, *name, LOGINARENA,
                      "Please join " + settings_.config.name + " from the Router's arena list.");
    const std::string key = foldName(*name);
    auto existing = players_.find(key);
    if (existing == players_.end() && int(players_.size()) >= settings_.config.playerLimit)
        return refuse(link, *name, LOGINARENA, settings_.config.name + " is full.");
    auto account = storage_->findAccount(*name);
    const std::string canonical = account ? account->profile.name : *name;
    const auto firstPingAt = Clock::now() + std::chrono::seconds(1);

    if (existing != players_.end()) {
        // Back from a game, or a new connection of a player still listed:
        // the newest link wins and the lobby starts outside any session.
        Player& player = existing->second;
        if (player.link) {
            playerByLink_.erase(player.link->id());
            player.link->close("replaced by a new login of " + player.name);
        }
        player.link = link;
        player.sentToGame = false;
        player.nextPingAt = firstPingAt;
        playerByLink_[link->id()] = key;
        removeFromSession(player);
        logLine(role_, *link, " " + player.name + " is back");
        link->send(success(kSource, LOGINARENA));
        sendPlayerList(player);
        sendSessionList(player);
        return;
    }

    Player player;
    player.name = canonical;
    player.link = link;
    player.holder = "arena:" + settings_.config.name + "#" + std::to_string(startedAt_) + "." +
                    std::to_string(nextHolder_++);
    player.nextPingAt = firstPingAt;
    storage_->setPresence(canonical, settings_.config.name, player.holder);
    ValueList body;
    body.appendText(canonical);
    body.appendInteger<int32_t>(0);
    broadcast(makeMessage(kSource, PLAYERNEW, std::move(body)));
    Player& added = players_.emplace(key, std::move(player)).first->second;
    playerByLink_[link->id()] = key;
    logLine(role_, *link, " " + canonical + " entered");
    link->send(success(kSource, LOGINARENA));
    sendPlayerList(added);
    sendSessionList(added);
    // What was said lately, so that a newcomer does not face an empty room.
    for (const SharedFrame& line : recentChat_) link->send(line);
}

void Arena::sendPlayerList(Player& player) {
    ValueList body;
    for (const auto& [key, other] : players_) {
        using F = PlayerListEntry;
        body.appendList(
            BodyWriter<F>().text(F::Name, other.name).integer<int32_t>(F::PingClass, other.pingClass).take());
    }
    player.link->send(makeMessage(kSource, PLAYERLIST, std::move(body)));
}

void Arena::sendSessionList(Player& player) {
    ValueList body;
    for (const auto& [key, s] : sessions_.sessions()) {
        using F = SessionListEntry;
        body.appendList(BodyWriter<F>()
                            .text(F::Name, s.name)
                            .integer<int32_t>(F::MaxPlayers, s.maxPlayers)
                            .integer<int32_t>(F::MaxSpectators, s.maxSpectators)
                            .integer<int32_t>(F::Players, int32_t(s.players.size()))
                            .integer<int32_t>(F::Spectators, int32_t(s.spectators.size()))
                            .text(F::Master, s.master)
                            .integer<int32_t>(F::State, s.state)
                            .text(F::Game, s.game)
                            .list(F::PlayerNames, texts(s.players))
                            .list(F::SpectatorNames, texts(s.spectators))
                            .take());
    }
    player.link->send(makeMessage(kSource, SESSIONLIST, std::move(body)));
}

void Arena::broadcast(const SharedFrame& frame) {
    for (auto& [key, player] : players_)
        if (player.link) player.link->send(frame);
}

void Arena::broadcast(const ServiceMessage& message) { broadcast(encodeShared(message)); }

void Arena::chat(Player& player, const ServiceMessage& request, int64_t now) {
    // Chat has no answer: the lobby would read any answer as a chat line.
    const RequestReader reader(request.body);
    using C = ChatRequestBody;
    using P = PrivateChatRequestBody;
    const bool addressed = request.type == CHATLIST;
    const auto at = [addressed](size_t inPrivate, size_t inOpen) { return addressed ? inPrivate : inOpen; };
    const auto text = reader.text(at(P::Text, C::Text), size_t(settings_.limits.maxChatText));
    const auto colour = reader.int32(at(P::Colour, C::Colour));
    const auto font = reader.int32(at(P::Font, C::Font));
    if (!text || !colour || !font) {
        logLine(role_, *player.link, " (" + player.name + ") refused " + messageTypeName(request.type) +
                           ": malformed or too long");
        return;
    }
    if (addressed) {
        // A private line to the service name is a moderation command.
        const ValueList* to = reader.list(P::Addressees);
        for (size_t i = 0; to && i < to->size(); ++i)
            if (const std::string* name = to->text(i); name && sameName(*name, kServiceName))
                return moderationCommand(player, *text, now);
    }
    if (muted(player, "chat", now)) return;
    const SharedFrame frame =
        encodeShared(makeMessage(kSource, request.type, chatLine(player.name, *text, *colour, *font)));
    if (request.type == CHATALL) {
        // Bounded whatever the configuration says: the lines are kept in memory.
        constexpr size_t kMostRecentLines = 1000;
        recentChat_.push_back(frame);
        while (recentChat_.size() > std::min(size_t(settings_.limits.recentChatLines), kMostRecentLines))
            recentChat_.pop_front();
        return broadcast(frame);
    }
    if (request.type == CHATSESSION) {
        const GameSession* session = sessionOf(player);
        if (!session) return;
        for (const auto* names : {&session->players, &session->spectators})
            for (const std::string& name : *names)
                if (auto it = players_.find(foldName(name)); it != players_.end() && it->second.link)
                    it->second.link->send(frame);
        return;
    }
    const ValueList* addressees = reader.list(P::Addressees);
    if (!addressees || addressees->size() > size_t(settings_.limits.maxPageAddressees)) return;
    std::set<std::string> sent;
    for (size_t i = 0; i < addressees->size(); ++i) {
        const std::string* to = addressees->text(i);
        if (!to || to->size() > kMaxNameLength) continue;
        const std::string key = foldName(*to);
        auto it = players_.find(key);
        if (it == players_.end() || !it->second.link || !sent.insert(key).second) continue;
        it->second.link->send(frame);
    }
}

void Arena::playerInfo(Player& player, const ServiceMessage& request) {
    const auto name = RequestReader(request.body).text(0, 256);
    if (!name) return refuse(player.link, player.name, GETPLAYERINFO, "Please give a player name.");
    auto account = storage_->findAccount(*name);
    if (!account) return refuse(player.link, player.name, GETPLAYERINFO, "There is no player called " + *name + ".");
    player.link->send(success(kSource, GETPLAYERINFO, playerCard(account->profile, storage_->gameStats(*name))));
    if (auto photo = photoValue(*account, *storage_)) {
        ValueList body;
        body.appendText(account->profile.name);
        body.appendBinary(*photo);
        player.link->send(makeMessage(kSource, PHOTO, std::move(body)));
    }
}

void Arena::sessionInfo(Player& player, const ServiceMessage& request) {
    const auto name = RequestReader(request.body).text(0, 256);
    const GameSession* session = name ? sessions_.find(*name) : nullptr;
    if (!session)
        return refuse(player.link, player.name, kSessionInfoAnswer,
                      "There is no session called " + name.value_or("") + ".");
    ValueList data;
    data.appendText(session->name);
    data.appendText(session->options);
    player.link->send(success(kSource, kSessionInfoAnswer, std::move(data)));
}

void Arena::createSession(Player& player, const ServiceMessage& request, int64_t now) {
    const RequestReader reader(request.body);
    using C = CreateSessionBody;
    const auto name = reader.text(C::Name, 1024);
    const auto game = reader.text(C::Game, kMaxGameName);
    const auto version = reader.text(C::Version, kMaxGameName);
    const auto flags = reader.int32(C::Flags);
    const auto maxPlayers = reader.int32(C::MaxPlayers);
    const auto maxSpectators = reader.int32(C::MaxSpectators);
    const auto options = reader.text(C::Options, size_t(settings_.limits.maxText));
    const auto password = reader.text(C::Password, kMaxSessionPassword);
    const auto asSpectator = reader.int8(C::AsSpectator);
    auto refuseWith = [&](const std::string& text) { refuse(player.link, player.name, CREATESESSION, text); };
    if (!name || !game || !version || !flags || !maxPlayers || !maxSpectators || !options || !password || !asSpectator)
        return refuseWith("The session request is incomplete or too long.");
    const SessionOutcome outcome = sessions_.create(
        player.name, {*name, *game, *version, *flags, *maxPlayers, *maxSpectators, *options, *password, *asSpectator != 0},
        now);
    if (const auto* refusal = std::get_if<SessionRefusal>(&outcome)) return refuseWith(refusal->text);
    const auto& events = std::get<std::vector<SessionEvent>>(outcome);
    publish(player, events, now);
    player.sentToGame = false;
    player.link->send(success(kSource, CREATESESSION));
}

void Arena::joinSession(Player& player, const ServiceMessage& request, int64_t now) {
    const RequestReader reader(request.body);
    const auto name = reader.text(0, 256);
    const auto password = reader.text(1, kMaxSessionPassword);
    const auto version = reader.text(2, kMaxGameName);
    const auto asSpectator = reader.int8(3);
    auto refuseWith = [&](const std::string& text) { refuse(player.link, player.name, JOINSESSION, text); };
    if (!name || !password || !version || !asSpectator) return refuseWith("The join request is incomplete.");
    const SessionOutcome outcome =
        sessions_.join(player.name, *name, *password, *version, *asSpectator != 0, now);
    if (const auto* refusal = std::get_if<SessionRefusal>(&outcome)) return refuseWith(refusal->text);
    const auto& events = std::get<std::vector<SessionEvent>>(outcome);
    player.sentToGame = false;
    publish(player, events, now);
    player.link->send(success(kSource, JOINSESSION));
    startGames(events, now);
}

void Arena::leaveSession(Player& player, int64_t now) {
    const SessionOutcome outcome = sessions_.leave(player.name, now);
    if (const auto* refusal = std::get_if<SessionRefusal>(&outcome))
        return refuse(player.link, player.name, LEAVESESSION, refusal->text);
    player.sentToGame = false;
    publish(player, std::get<std::vector<SessionEvent>>(outcome), now);
    player.link->send(success(kSource, LEAVESESSION));
}

void Arena::removeFromSession(Player& player) {
    player.sentToGame = false;
    const int64_t now = unixNow();
    publish(player, sessions_.remove(player.name, now), now);
}

void Arena::beginGame(Player& player, int64_t now) {
    const std::string gameKey =
        settings_.config.name + "#" + std::to_string(startedAt_) + "." + std::to_string(nextGame_++);
    const SessionOutcome outcome = sessions_.begin(player.name, gameKey, now);
    if (const auto* refusal = std::get_if<SessionRefusal>(&outcome))
        return refuse(player.link, player.name, BEGINGAME, refusal->text);
    const auto& events = std::get<std::vector<SessionEvent>>(outcome);
    publish(player, events, now);
    player.link->send(success(kSource, BEGINGAME));
    startGames(events, now);
}

void Arena::publish(const Player& cause, const std::vector<SessionEvent>& events, int64_t now) {
    namespace event = session_event;
    // A table's life for the operator, folded by the address of the player
    // whose request (or departure) caused it.
    auto note = [&](const std::string& text) {
        if (cause.link) return logFrom(role_, cause.link->address(), text);
        logLine(role_, text);
    };
    for (const SessionEvent& happened : events) {
        if (const auto* created = std::get_if<event::Created>(&happened)) {
            const GameSession& added = *sessions_.find(created->session);
            note("session " + added.name + " opened by " + added.master + " for " + added.game);
            using N = SessionNewBody;
            broadcast(makeMessage(kSource, SESSIONNEW,
                                  BodyWriter<N>()
                                      .text(N::Name, added.name)
                                      .integer<int32_t>(N::MaxPlayers, added.maxPlayers)
                                      .integer<int32_t>(N::MaxSpectators, added.maxSpectators)
                                      .text(N::Master, added.master)
                                      .integer<int32_t>(N::State, added.state)
                                      .text(N::Game, added.game)
                                      .take()));
        } else if (const auto* joined = std::get_if<event::Joined>(&happened)) {
            note(joined->player + " joined session " + joined->session +
                 (joined->spectator ? " to watch" : ""));
            using J = JoinNewBody;
            broadcast(makeMessage(kSource, JOINNEW,
                                  BodyWriter<J>()
                                      .text(J::Player, joined->player)
                                      .text(J::Session, joined->session)
                                      .integer<uint8_t>(J::AsSpectator, joined->spectator ? 1 : 0)
                                      .take()));
        } else if (const auto* left = std::get_if<event::Left>(&happened)) {
            note(left->player + " left session " + left->session);
            ValueList notice;
            notice.appendText(left->player);
            notice.appendText(left->session);
            broadcast(makeMessage(kSource, JOINLEAVE, std::move(notice)));
        } else if (const auto* removed = std::get_if<event::Removed>(&happened)) {
            note("session " + removed->session + " closed");
            ValueList notice;
            notice.appendText(removed->session);
            broadcast(makeMessage(kSource, SESSIONREMOVE, std::move(notice)));
        } else if (const auto* master = std::get_if<event::MasterChanged>(&happened)) {
            ValueList changed;
            changed.appendText(master->session);
            changed.appendText(master->master);
            broadcast(makeMessage(kSource, MASTERCHANGED, std::move(changed)));
        } else if (const auto* began = std::get_if<event::Began>(&happened)) {
            const GameSession& session = *sessions_.find(began->session);
            // The game server learns the members before any of them is told to go.
            announceToGameServer(session, now);
            for (const std::string& name : session.players) storage_->addGamePlayed(session.game, name);
            ValueList state;
            state.appendText(session.name);
            state.appendInteger<int32_t>(session.state);
            broadcast(makeMessage(kSource, UPDATESESSIONSTATE, std::move(state)));
        }
    }
}

void Arena::startGames(const std::vector<SessionEvent>& events, int64_t now) {
    namespace event = session_event;
    for (const SessionEvent& happened : events) {
        if (const auto* began = std::get_if<event::Began>(&happened)) {
            const GameSession& session = *sessions_.find(began->session);
            for (const auto* names : {&session.players, &session.spectators})
                for (const std::string& name : *names)
                    if (auto it = players_.find(foldName(name)); it != players_.end() && it->second.link)
                        sendStartGame(it->second, now);
            logLine(role_, "session " + session.name + " began " + session.game + " with " +
                               std::to_string(session.players.size()) + " players");
        } else if (const auto* joined = std::get_if<event::JoinedGame>(&happened)) {
            announceToGameServer(*sessions_.find(joined->session), now);
            if (auto it = players_.find(foldName(joined->player)); it != players_.end() && it->second.link)
                sendStartGame(it->second, now);
        }
    }
}

void Arena::announceToGameServer(const GameSession& session, int64_t now) {
    GameSessionAnnouncement announcement;
    announcement.key = session.gameKey;
    announcement.game = session.game;
    announcement.arena = settings_.config.name;
    announcement.session = session.name;
    announcement.expectedPlayers = session.expectedPlayers;
    announcement.announcedAt = now;
    announcement.options = session.options;
    for (const auto* names : {&session.players, &session.spectators}) {
        for (const std::string& name : *names) {
            auto it = players_.find(foldName(name));
            std::string address = it != players_.end() && it->second.link ? it->second.link->address() : "";
            announcement.members.push_back({name, address, names == &session.spectators});
        }
    }
    storage_->announceGameSession(announcement);
}

void Arena::sendStartGame(Player& player, int64_t now) {
    player.sentToGame = true;
    // The lobby leaves the arena to play and logs in again afterwards, with
    // no Router in between: let it back in from the same address.
    storage_->grantAdmission(settings_.config.name, player.name, player.link->address(),
                             now + settings_.limits.gameReturnSeconds);
    ValueList body;
    body.appendText(settings_.gameServerHost);
    body.appendInteger<int32_t>(settings_.gameServerPort);
    player.link->send(makeMessage(kSource, STARTGAME, std::move(body)));
}

void Arena::pingAnswered(Player& player) {
    if (!player.pingOutstanding) return;
    player.pingOutstanding = false;
    const auto roundTrip =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - player.pingSentAt);
    const int measured = pingClass(roundTrip);
    if (measured == player.pingClass) return;
    player.pingClass = measured;
    using F = UpdatePlayerInfoBody;
    broadcast(makeMessage(kSource, UPDATEPLAYERINFO,
                          BodyWriter<F>().text(F::Name, player.name).integer<int32_t>(F::PingClass, measured).take()));
}

void Arena::page(Player& player, const ServiceMessage& request, int64_t now) {
    if (muted(player, "page", now)) return;
    if (!publishPages(player.name, request.body, settings_.limits))
        logLine(role_, *player.link, " (" + player.name + ") refused PAGER: malformed or too long");
}

bool Arena::muted(Player& player, const char* what, int64_t now) {
    const auto mute = storage_->findSanction(SanctionKind::Mute, player.name, now);
    if (!mute) return false;
    logLine(role_, player.name + "'s " + what + " dropped: muted");
    if (mute->since != player.mutedNoticeSince) {
        // Told once per mute, and audited once: a muted player typing on
        // must not fill the audit trail.
        player.mutedNoticeSince = mute->since;
        storage_->addAudit({now, role_, std::string("dropped ") + what, player.name, mute->reason});
        tellFromService(player, "You are muted " + formatEnd(mute->until) +
                                    (mute->reason.empty() ? "." : ": " + mute->reason) +
                                    " Nobody sees your chat and pages.");
    }
    return true;
}

void Arena::tellFromService(Player& player, const std::string& text) {
    if (!player.link) return;
    player.link->send(makeMessage(kSource, CHATLIST, chatLine(kServiceName, text, kServiceChatColour, 0)));
}

void Arena::moderationCommand(Player& player, const std::string& line, int64_t now) {
    const Actor actor{player.name, storage_->role(player.name), false, true};
    if (actor.role == Role::Player) {
        // Audited at most once a minute per player, so that a player
        // repeating the command cannot fill the audit trail.
        if (now - player.refusalAuditedAt >= 60) {
            player.refusalAuditedAt = now;
            storage_->addAudit({now, player.name, "refused command", "", sanitiseText(line, 64)});
        }
        return tellFromService(player, "not allowed");
    }
    auto parsed = parseModerationCommand(line);
    if (const auto* problem = std::get_if<std::string>(&parsed)) return tellFromService(player, *problem);
    const ModerationResult result =
        moderate(*storage_, bus_, actor, std::get<ModerationCommand>(parsed), now);
    logLine(role_, player.name + " moderation: " + sanitiseText(line, 128) + " -> " +
                       (result.lines.empty() ? "" : result.lines.front()));
    for (const std::string& text : result.lines) tellFromService(player, text);
}

void Arena::kick(const KickEvent& kick) {
    std::vector<std::string> keys;
    for (const auto& [key, player] : players_) {
        const bool byName = !kick.name.empty() && sameName(player.name, kick.name);
        const bool byAddress = !kick.address.empty() && player.link && player.link->address() == kick.address;
        if (byName || byAddress) keys.push_back(key);
    }
    for (const std::string& key : keys) {
        Player& player = players_.at(key);
        LinkPtr link = player.link;
        if (link) {
            ValueList body;
            body.appendText(kick.text);
            link->send(makeMessage(kSource, URGENTMESSAGE, std::move(body)));
            playerByLink_.erase(link->id());
            link->closeAfterSending("removed: " + kick.text);
        }
        removePlayer(key, "removed by moderation");
    }
}

void Arena::onEvent(const Event& event) {
    if (const auto* page = std::get_if<PageEvent>(&event)) {
        auto it = players_.find(foldName(page->to));
        if (it == players_.end() || !it->second.link) return;
        it->second.link->send(pageMessage(*page));
    } else if (const auto* urgent = std::get_if<UrgentEvent>(&event)) {
        ValueList body;
        body.appendText(urgent->text);
        const SharedFrame frame = encodeShared(makeMessage(kSource, URGENTMESSAGE, std::move(body)));
        for (auto& [id, link] : links_) link->send(frame);
    } else if (const auto* removal = std::get_if<KickEvent>(&event)) {
        kick(*removal);
    } else if (const auto* game = std::get_if<GamePresenceEvent>(&event)) {
        if (game->arena != settings_.config.name) return;
        auto it = players_.find(foldName(game->name));
        if (it == players_.end() || it->second.link) return;
        const int seconds = game->joined ? settings_.limits.gameReturnSeconds : settings_.limits.returnAfterGameSeconds;
        it->second.awayUntil = Clock::now() + std::chrono::seconds(seconds);
    }
}

}  // namespace tessary::server
