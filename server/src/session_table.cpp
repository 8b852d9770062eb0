#include "session_table.h"

#include <algorithm>

#include "text_util.h"

namespace tessary::server {

namespace {

constexpr int32_t kMaxSessionPlaces = 255;
// The chat-room pseudo-game: its sessions have nothing to begin.
constexpr const char* kChatGame = "CHAT";

// The lobby's session-name filter: letters, digits, blank, apostrophe, hyphen.
bool isSessionName(const std::string& name) {
    if (trim(name).empty() || name.size() > kMaxNameLength) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
               c == '\'' || c == '-';
    });
}

bool eraseName(std::vector<std::string>& names, const std::string& name) {
    auto it = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, name); });
    if (it == names.end()) return false;
    names.erase(it);
    return true;
}

SessionOutcome refused(std::string text) { return SessionRefusal{std::move(text)}; }

}  // namespace

const GameSession* SessionTable::find(const std::string& session) const {
    auto it = sessions_.find(foldName(session));
    return it == sessions_.end() ? nullptr : &it->second;
}

const GameSession* SessionTable::sessionOf(const std::string& player) const {
    auto it = membership_.find(foldName(player));
    if (it == membership_.end()) return nullptr;
    auto session = sessions_.find(it->second);
    return session == sessions_.end() ? nullptr : &session->second;
}

SessionOutcome SessionTable::create(const std::string& player, const CreateRequest& request, int64_t now) {
    (void)now;
    if (!isSessionName(request.name))
        return refused("A session name has 1 to 15 letters, digits, blanks, apostrophes or hyphens.");
    if (request.game.empty()) return refused("Please choose a game.");
    if (request.maxPlayers < 1 || request.maxPlayers > kMaxSessionPlaces || request.maxSpectators < 0 ||
        request.maxSpectators > kMaxSessionPlaces)
        return refused("The numbers of players and spectators are out of range.");
    const std::string key = foldName(request.name);
    if (sessions_.count(key)) return refused("A session called " + request.name + " already exists.");
    if (int(sessions_.size()) >= sessionLimit_) return refused("This arena has no room for another session.");

    std::vector<SessionEvent> events;
    removeFrom(player, events);
    GameSession session;
    session.name = request.name;
    session.game = request.game;
    session.version = request.version;
    session.master = player;
    session.options = request.options;
    session.password = request.password;
    session.maxPlayers = request.maxPlayers;
    session.maxSpectators = request.maxSpectators;
    session.state = (request.password.empty() ? 0 : kSessionPrivate) | (request.flags & kSessionJoinableWhileStarted);
    GameSession& added = sessions_.emplace(key, std::move(session)).first->second;
    events.push_back(session_event::Created{added.name});
    const bool spectator = request.asSpectator && added.maxSpectators > 0;
    (spectator ? added.spectators : added.players).push_back(player);
    membership_[foldName(player)] = key;
    events.push_back(session_event::Joined{player, added.name, spectator});
    return events;
}

SessionOutcome SessionTable::join(const std::string& player, const std::string& name, const std::string& password,
                                  const std::string& version, bool spectator, int64_t now) {
    (void)now;
    auto it = sessions_.find(foldName(name));
    if (it == sessions_.end()) return refused("There is no session called " + name + ".");
    GameSession& session = it->second;
    if (sessionOf(player) == &session) return refused("You are already in " + session.name + ".");
    if ((session.state & kSessionPrivate) && password != session.password)
        return refused("Wrong password for " + session.name + ".");
    if (version != session.version)
        return refused(session.name + " plays version " + session.version + " of " + session.game +
                       "; you have version " + version + ".");
    if ((session.state & kSessionStarted) && !(session.state & kSessionJoinableWhileStarted))
        return refused("The game of " + session.name + " has already begun.");
    if (spectator && int(session.spectators.size()) >= session.maxSpectators)
        return refused(session.maxSpectators == 0 ? session.name + " takes no spectators."
                                                  : session.name + " has no spectator place left.");
    if (!spectator && int(session.players.size()) >= session.maxPlayers) return refused(session.name + " is full.");

    std::vector<SessionEvent> events;
    removeFrom(player, events);
    (spectator ? session.spectators : session.players).push_back(player);
    membership_[foldName(player)] = it->first;
    events.push_back(session_event::Joined{player, session.name, spectator});
    if (session.state & kSessionStarted) events.push_back(session_event::JoinedGame{player, session.name});
    return events;
}

SessionOutcome SessionTable::leave(const std::string& player, int64_t now) {
    if (!sessionOf(player)) return refused("You are in no session.");
    return remove(player, now);
}

std::vector<SessionEvent> SessionTable::remove(const std::string& player, int64_t now) {
    (void)now;
    std::vector<SessionEvent> events;
    removeFrom(player, events);
    return events;
}

SessionOutcome SessionTable::begin(const std::string& player, const std::string& gameKey, int64_t now) {
    auto member = membership_.find(foldName(player));
    auto it = member == membership_.end() ? sessions_.end() : sessions_.find(member->second);
    if (it == sessions_.end()) return refused("You are in no session.");
    GameSession& session = it->second;
    if (!sameName(session.master, player)) return refused("Only the master of the session can begin it.");
    if (session.state & kSessionStarted) return refused("The game has already begun.");
    if (session.game == kChatGame) return refused("A chat session has no game to begin.");
    if (session.players.empty()) return refused("The session has no player.");
    session.state |= kSessionStarted;
    session.expectedPlayers = int(session.players.size());
    session.gameKey = gameKey;
    session.begunAt = now;
    return std::vector<SessionEvent>{session_event::Began{session.name}};
}

void SessionTable::removeFrom(const std::string& player, std::vector<SessionEvent>& events) {
    auto member = membership_.find(foldName(player));
    if (member == membership_.end()) return;
    const std::string key = member->second;
    membership_.erase(member);
    auto it = sessions_.find(key);
    if (it == sessions_.end()) return;
    GameSession& session = it->second;
    if (!eraseName(session.players, player)) eraseName(session.spectators, player);
    events.push_back(session_event::Left{player, session.name});
    if (session.players.empty() && session.spectators.empty()) {
        events.push_back(session_event::Removed{session.name});
        sessions_.erase(it);
        return;
    }
    if (sameName(session.master, player)) {
        session.master = session.players.empty() ? session.spectators.front() : session.players.front();
        events.push_back(session_event::MasterChanged{session.name, session.master});
    }
}

}  // namespace tessary::server
