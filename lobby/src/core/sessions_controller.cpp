#include "lobby/sessions_controller.h"

#include <algorithm>
#include <array>
#include <utility>

#include "lobby/players_controller.h"
#include "lobby/server_text.h"
#include "lobby/text_out.h"

namespace tessary::lobby {
namespace {

constexpr int kNameField = 1033;
constexpr int kPlayersField = 1034;
constexpr int kSpectatorsField = 1040;
// The start message's text is at most 64 bytes.
constexpr std::size_t kMaxServerAddressLength = 64;
// A hostile session list must not grow the panel without end.
constexpr std::size_t kMaxSessions = 4096;
constexpr std::size_t kMaxMembersPerSession = 256;

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool nameCharacterAllowed(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '\'' ||
           c == '-';
}

}  // namespace

TileOverlay tileOverlay(const SessionEntry& entry) {
    if ((entry.state & kSessionStarted) == 0) return TileOverlay::None;
    const bool open = (entry.state & kSessionOpenWhileStarted) != 0 && entry.players < entry.maxPlayers;
    return open ? TileOverlay::Open : TileOverlay::Started;
}

std::vector<std::string> memberMenuItems(const SessionEntry& entry) {
    std::vector<std::string> items;
    for (const auto& member : entry.members) {
        if (items.size() == kMaxMenuMembers) break;
        items.push_back("-  " + member.name + (member.name == entry.master ? " (MASTER)" : ""));
    }
    return items;
}

std::optional<std::size_t> filterSessionName(std::string& name) {
    const auto bad = std::find_if(name.begin(), name.end(), [](char c) { return !nameCharacterAllowed(c); });
    if (bad == name.end()) return std::nullopt;
    const auto place = static_cast<std::size_t>(bad - name.begin());
    name.erase(place, 1);
    return place;
}

SessionsController::SessionsController(const ClientApi& api, LobbyFlow& flow, ChatController& chat,
                                       SessionsView& view)
    : api_(api), flow_(flow), chat_(chat), view_(view) {}

void SessionsController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::SESSIONLIST, [this] { onSessionList(); });
    dispatcher.on(protocol::kSessionInfoAnswer, [this] { onSessionInfo(); });
    dispatcher.on(protocol::answerCodeOf(protocol::CREATESESSION), [this] { onCreateAnswer(); });
    dispatcher.on(protocol::SESSIONNEW, [this] { onSessionNew(); });
    dispatcher.on(protocol::answerCodeOf(protocol::JOINSESSION), [this] { onJoinAnswer(); });
    dispatcher.on(protocol::JOINNEW, [this] { onPlayerJoined(); });
    dispatcher.on(protocol::JOINLEAVE, [this] { onPlayerLeft(); });
    dispatcher.on(protocol::SESSIONREMOVE, [this] { onSessionRemoved(); });
    dispatcher.on(protocol::answerCodeOf(protocol::BEGINGAME), [this] { onBeginAnswer(); });
    dispatcher.on(protocol::MASTERCHANGED, [this] { onMasterChanged(); });
    dispatcher.on(protocol::UPDATESESSIONSTATE, [this] { onSessionState(); });
    dispatcher.on(protocol::STARTGAME, [this] { onStartGame(); });
}

void SessionsController::setMember(const std::string& player, const std::string& session, int32_t flags) {
    view_.setPlayerSession(player, session, flags);
    if (players_ != nullptr) players_->setPlayerSession(player, session, flags);
}

void SessionsController::showInSession(const std::string& session) {
    view_.showInSession(session);
    chat_.setSessionTab(session);
}

std::string SessionsController::boundedName(const char* buffer) const {
    return boundedServerText(textFromBuffer(buffer, kTextOutSize), {1, kMaxSessionNameLength});
}

SessionEntry* SessionsController::findEntry(const std::string& name) {
    auto found = std::find_if(model_.sessions.begin(), model_.sessions.end(),
                              [&](const SessionEntry& e) { return e.name == name; });
    return found == model_.sessions.end() ? nullptr : &*found;
}

const SessionEntry* SessionsController::find(const std::string& name) const {
    return const_cast<SessionsController*>(this)->findEntry(name);
}

int32_t SessionsController::memberFlags(const SessionEntry& entry, bool spectator) const {
    int32_t flags = (entry.state & kSessionStarted) != 0 ? kMemberHighlight : 0;
    if (entry.game != kChatGame) flags |= spectator ? kMemberWatching : kMemberPlaying;
    return flags;
}

// ------------------------------------------------------------ the list

void SessionsController::onSessionList() {
    const PlayersController::OrderHold hold(players_);
    const std::string wasJoined = std::exchange(model_.joined, {});
    model_.sessions.clear();
    TextOut name, game, master, member;
    SessionEntry entry;
    while (model_.sessions.size() < kMaxSessions &&
           api_.TSArenaRcv_GetNextSession(name.data(), game.data(), master.data(), &entry.maxPlayers,
                                          &entry.players, &entry.maxSpectators, &entry.spectators,
                                          &entry.state) != 0) {
        entry.name = boundedName(name.data());
        entry.game = boundedName(game.data());
        entry.master = boundedName(master.data());
        entry.gameIndex = games_.indexOf(entry.game);
        entry.members.clear();
        for (bool spectator : {false, true}) {
            const auto next = spectator ? api_.TSArenaRcv_GetNextSpectatorInSession
                                        : api_.TSArenaRcv_GetNextPlayerInSession;
            while (entry.members.size() < kMaxMembersPerSession && next(member.data()) != 0) {
                SessionMember m{boundedName(member.data()), spectator};
                setMember(m.name, entry.name, memberFlags(entry, spectator));
                if (isMe(m.name)) model_.joined = entry.name;
                entry.members.push_back(std::move(m));
            }
        }
        model_.sessions.push_back(entry);
    }
    if (model_.joined != wasJoined) showInSession(model_.joined);
    view_.sessionsChanged();
}

void SessionsController::onSessionNew() {
    TextOut name, game, master;
    SessionEntry entry;
    if (api_.TSArenaRcv_SessionNew(name.data(), game.data(), &entry.maxPlayers, &entry.maxSpectators,
                                   &entry.state, master.data()) == 0)
        return;
    entry.name = boundedName(name.data());
    entry.game = boundedName(game.data());
    entry.master = boundedName(master.data());
    entry.gameIndex = games_.indexOf(entry.game);
    if (findEntry(entry.name) || model_.sessions.size() >= kMaxSessions) return;
    if (isMe(entry.master) && entry.game != kChatGame) view_.enableButton(SessionButton::Start, true);
    model_.sessions.push_back(std::move(entry));
    view_.sessionsChanged();
}

void SessionsController::onSessionRemoved() {
    TextOut name;
    if (api_.TSArenaRcv_SessionRemoved(name.data()) == 0) return;
    const std::string session = boundedName(name.data());
    std::erase_if(model_.sessions, [&](const SessionEntry& e) { return e.name == session; });
    view_.sessionsChanged();
}

void SessionsController::onSessionState() {
    TextOut name;
    int32_t state = 0;
    if (api_.TSArenaRcv_SessionState(name.data(), &state) == 0) return;
    SessionEntry* entry = findEntry(boundedName(name.data()));
    if (!entry) return;
    entry->state = state;
    if ((state & kSessionStarted) != 0) {
        for (const auto& m : entry->members) setMember(m.name, entry->name, memberFlags(*entry, m.spectator));
    }
    view_.sessionsChanged();
}

void SessionsController::onMasterChanged() {
    TextOut name, master;
    if (api_.TSArenaRcv_MasterChanged(name.data(), master.data()) == 0) return;
    SessionEntry* entry = findEntry(boundedName(name.data()));
    if (!entry) return;
    entry->master = boundedName(master.data());
    if (isMe(entry->master)) view_.enableButton(SessionButton::Start, true);
    view_.sessionsChanged();
}

void SessionsController::onPlayerJoined() {
    TextOut player, name;
    int32_t spectator = 0;
    if (api_.TSArenaRcv_PlayerJoinSession(player.data(), name.data(), &spectator) == 0) return;
    SessionEntry* entry = findEntry(boundedName(name.data()));
    if (!entry) return;
    const std::string who = boundedName(player.data());
    setMember(who, entry->name, memberFlags(*entry, spectator != 0));
    if (isMe(who)) {
        if (entry->name == model_.creating) entry->options = model_.creatingOptions;
        model_.joined = entry->name;
        showInSession(entry->name);
    }
    if (entry->name == model_.joined) chat_.systemLine(Text::JoinedSession, who);
    if (entry->members.size() < kMaxMembersPerSession) entry->members.push_back({who, spectator != 0});
    ++(spectator != 0 ? entry->spectators : entry->players);
    view_.sessionsChanged();
}

void SessionsController::onPlayerLeft() {
    TextOut player, name;
    if (api_.TSArenaRcv_PlayerLeaveSession(player.data(), name.data()) == 0) return;
    const std::string who = boundedName(player.data());
    const std::string session = boundedName(name.data());
    setMember(who, {}, 0);
    if (session == model_.joined) chat_.systemLine(Text::LeftSession, who);
    if (isMe(who)) {
        model_.joined.clear();
        showInSession({});
    }
    SessionEntry* entry = findEntry(session);
    if (!entry) return;
    auto member = std::find_if(entry->members.begin(), entry->members.end(),
                               [&](const SessionMember& m) { return m.name == who; });
    const bool watching = member != entry->members.end() && member->spectator;
    if (member != entry->members.end()) entry->members.erase(member);
    int32_t& count = watching ? entry->spectators : entry->players;
    if (count > 0) --count;
    view_.sessionsChanged();
}

// ------------------------------------------------------------ requests

bool SessionsController::create(std::size_t gameIndex, const CreateRequest& request) {
    if (gameIndex >= games_.size()) return false;
    const SessionGame& game = games_.at(gameIndex);
    const std::string name = trimmed(request.name);
    if (name.empty()) {
        view_.showMessage(Text::SessionNeedsName, Text::TitleCreateSession);
        view_.focusCreateField(kNameField);
        return false;
    }
    const auto outside = [&](int32_t value, int32_t low, int32_t high, int field) {
        if (value >= low && value <= high) return false;
        view_.showFormatted(Text::NumberOutOfRange, {std::to_string(low), std::to_string(high)}, "TSClient",
                            MessageStyle::Ok);
        view_.focusCreateField(field);
        return true;
    };
    if (outside(request.players, game.layout.frame.minPlayers, game.layout.frame.maxPlayers, kPlayersField))
        return false;
    if (outside(request.spectators, game.layout.minSpectators, game.layout.maxSpectators, kSpectatorsField))
        return false;
    if (request.options.find(kOptionError) != std::string::npos) {
        view_.showMessage(Text::OptionsMissing, Text::TitleCreateSession);
        return false;
    }
    bool spectator = false;
    if (game.layout.maxSpectators != 0) {
        const auto answer = view_.askSpectator();
        if (!answer) return false;
        spectator = *answer;
    }
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::CREATESESSION));
    api_.TSArenaSend_CreateSession(name.c_str(), game.name.c_str(), game.version.c_str(), 0, request.players,
                                   request.spectators, request.options.c_str(), request.password.c_str(),
                                   spectator ? 1 : 0);
    model_.creating = name;
    model_.creatingOptions = request.options;
    if (SessionEntry* entry = findEntry(name)) entry->options = request.options;
    view_.hideCreateWindow();
    return true;
}

void SessionsController::join(const std::string& session) {
    if (session.empty()) {
        view_.showMessage(Text::SelectSessionFirst, Text::TitleLobby);
        return;
    }
    api_.TSArenaSend_LeaveSession();
    flow_.busy().awaitAnswer(protocol::kSessionInfoAnswer);
    api_.TSArenaSend_GetSessionInfo(session.c_str());
    model_.pendingJoin = true;
}

void SessionsController::askInformation(const std::string& session) {
    flow_.busy().awaitAnswer(protocol::kSessionInfoAnswer);
    api_.TSArenaSend_GetSessionInfo(session.c_str());
}

void SessionsController::leave() { api_.TSArenaSend_LeaveSession(); }

void SessionsController::begin() {
    if (model_.joined.empty()) return;
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::BEGINGAME));
    api_.TSArenaSend_BeginGame();
}

// ------------------------------------------------------------ answers

void SessionsController::onSessionInfo() {
    char result = 0;
    TextOut error, name, options;
    const bool pending = std::exchange(model_.pendingJoin, false);
    if (api_.TSArenaRcv_SessionInfoResult(&result, error.data(), name.data(), options.data()) == 0) return;
    if (result != kAnswerSuccess) {
        view_.showServerText(boundedServerText(error.text(), kMessageBoxBounds));
        return;
    }
    SessionEntry* entry = findEntry(boundedName(name.data()));
    if (!entry) return;
    const std::string text = options.field(kMaxOptionsLength);
    const bool compatible = games_.accepts(entry->game, text);
    if (!pending) {
        if (compatible) {
            entry->options = text;
            view_.showSessionInformation(entry->gameIndex, *entry);
        } else {
            view_.showFormatted(Text::OptionsNotShown, {}, view_.text(Text::SessionPrefix) + entry->name,
                                MessageStyle::Ok);
        }
        return;
    }
    if (!compatible) {
        view_.showMessage(Text::GameVersionCannotPlay, Text::TitleJoinSessionVersion);
        return;
    }
    entry->options = text;
    std::string password;
    if ((entry->state & kSessionPrivate) != 0) {
        const auto typed = view_.askPassword({});
        if (!typed) return;
        password = *typed;
    }
    bool spectator = false;
    if (entry->maxSpectators != 0) {
        const auto answer = view_.askSpectator();
        if (!answer) return;
        spectator = *answer;
    }
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::JOINSESSION));
    api_.TSArenaSend_JoinSession(entry->name.c_str(), password.c_str(),
                                 games_.at(entry->gameIndex).version.c_str(), spectator ? 1 : 0);
}

void SessionsController::onCreateAnswer() {
    char result = 0;
    TextOut error;
    if (api_.TSArenaRcv_CreateSessionResult(&result, error.data()) == 0 || result == kAnswerSuccess) return;
    showServerBuffer(view_, error.data());
    view_.enableButton(SessionButton::Create, true);
}

void SessionsController::onJoinAnswer() {
    char result = 0;
    TextOut error;
    if (api_.TSArenaRcv_JoinSessionResult(&result, error.data()) != 0 && result != kAnswerSuccess)
        showServerBuffer(view_, error.data());
}

void SessionsController::onBeginAnswer() {
    char result = 0;
    TextOut error;
    if (api_.TSArenaRcv_BeginGameResult(&result, error.data()) != 0 && result == kAnswerFailure)
        showServerBuffer(view_, error.data());
}

// ------------------------------------------------------------ game start

void SessionsController::onStartGame() {
    if (!flow_.sharedMemoryReady()) {
        view_.showMessage(Text::GameLinkNotReady, Text::TitleLobby);
        return;
    }
    TextOut address;
    int32_t port = 0;
    if (api_.TSArenaRcv_StartGame(address.data(), &port) == 0) return;
    const SessionEntry* entry = findEntry(model_.joined);
    if (!entry) return;
    const std::size_t index = games_.indexOf(entry->game);
    if (index == games_.size()) return;  // not installed here: nothing to launch
    const SessionGame& game = games_.at(index);
    // Taken before a box opens: the list may change while it is open.
    const std::string options = entry->options;

    std::array<char, TS_STARTED_GAME_SIZE> started{};
    if (api_.TS_GetStartedGame(started.data()) != 0) {
        const std::string running = textFromBuffer(started.data(), started.size());
        if (running != game.name &&
            view_.showFormatted(Text::OtherGameRunning, {boundedServerText(running, kTitleBounds)}, "TSClient",
                                MessageStyle::OkCancel) == MessageResult::Cancel)
            return;
    }
    const std::string line = launchLine(game.name, game.exec, game.arg);
    const std::string server = address.field(kMaxServerAddressLength);
    flow_.enterGame();
    const bool launched = api_.TS_StartGame(flow_.userName().c_str(), game.name.c_str(), options.c_str(),
                                           line.c_str(), flow_.arenaHost().c_str(), flow_.arenaPort(),
                                           server.c_str(), port) != 0;
    if (launched) return;
    flow_.leaveGame();
    api_.TSArenaSend_LeaveSession();
    view_.showMessage(Text::GameStartFailed, Text::TitleLobby);
}

}  // namespace tessary::lobby
