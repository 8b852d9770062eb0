// The arena view's session panel and session windows: the list, creating,
// joining, leaving, beginning and the game start (types 20-60 and 202).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/chat_controller.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_flow.h"
#include "lobby/lobby_view.h"
#include "lobby/session_games.h"

namespace tessary::lobby {

class PlayersController;

// Session state bits.
inline constexpr int32_t kSessionPrivate = 1 << 0;
inline constexpr int32_t kSessionStarted = 1 << 3;
inline constexpr int32_t kSessionOpenWhileStarted = 1 << 4;

// Player-list flags of a session member.
inline constexpr int32_t kMemberHighlight = 1 << 0;
inline constexpr int32_t kMemberPlaying = 1 << 1;
inline constexpr int32_t kMemberWatching = 1 << 2;

// Names from the Arena become window titles and menu items: this many
// characters at most.
inline constexpr std::size_t kMaxSessionNameLength = 64;
inline constexpr std::size_t kMaxMenuMembers = 25;
inline constexpr std::size_t kMaxOptionsLength = 1024;

struct SessionMember {
    std::string name;
    bool spectator{false};
};

struct SessionEntry {
    std::string name;
    std::string game;
    std::string master;
    std::string options;
    std::size_t gameIndex{0};  // SessionGames::size() when not installed
    int32_t maxPlayers{0};
    int32_t players{0};
    int32_t maxSpectators{0};
    int32_t spectators{0};
    int32_t state{0};
    std::vector<SessionMember> members;
};

struct SessionsModel {
    std::vector<SessionEntry> sessions;
    std::string joined;     // the session the player is in, if any
    bool pendingJoin{false};
    std::string creating;   // name and options of the session being created
    std::string creatingOptions;
};

enum class SessionButton { Create, Start };

// What a tile shows over the game's picture.
enum class TileOverlay { None, Open, Started };
TileOverlay tileOverlay(const SessionEntry& entry);

// The right-click menu's member lines: at most 25, the master marked.
std::vector<std::string> memberMenuItems(const SessionEntry& entry);

// Removes from `name` the first character that is not a letter, a digit, a
// blank, "'" or "-"; returns its place (the caret), or nothing when the name
// was fine.
std::optional<std::size_t> filterSessionName(std::string& name);

class SessionsView : public virtual MessageView {
public:
    // The panel shows the model again (entries added, removed or changed).
    virtual void sessionsChanged() = 0;
    virtual void setPlayerSession(const std::string& player, const std::string& session, int32_t flags) = 0;
    // In a session (its name) or not (empty): session tab and buttons.
    virtual void showInSession(const std::string& session) = 0;
    virtual void enableButton(SessionButton button, bool enabled) = 0;
    // Player (false) or spectator (true); nothing on Cancel.
    virtual std::optional<bool> askSpectator() = 0;
    virtual std::optional<std::string> askPassword(const std::string& current) = 0;
    // The game's SessionWindow in information mode showing a session.
    virtual void showSessionInformation(std::size_t gameIndex, const SessionEntry& session) = 0;
    // A StringTable text formatted with `arguments`, under a title text.
    virtual MessageResult showFormatted(Text text, const std::vector<std::string>& arguments,
                                        const std::string& title, MessageStyle style) = 0;
    // The create window: focus on a field (1033, 1034, 1040), or hidden.
    virtual void focusCreateField(int field) = 0;
    virtual void hideCreateWindow() = 0;
};

struct CreateRequest {
    std::string name;
    int32_t players{0};
    int32_t spectators{0};
    std::string password;
    std::string options;  // the option pages' text ("ERROR" when one failed)
};

class SessionsController {
public:
    SessionsController(const ClientApi& api, LobbyFlow& flow, ChatController& chat, SessionsView& view);

    // The player list that shows who plays or watches which session.
    void setPlayers(PlayersController& players) { players_ = &players; }
    void setGames(SessionGames games) { games_ = std::move(games); }
    SessionGames& games() { return games_; }
    void registerWith(Dispatcher& dispatcher);
    const SessionsModel& model() const { return model_; }
    const SessionEntry* find(const std::string& name) const;

    // The create window's "create": true when the request was sent.
    bool create(std::size_t gameIndex, const CreateRequest& request);
    // The create window or the game choice closed without creating.
    void createCancelled() { view_.enableButton(SessionButton::Create, true); }
    // Join (1017, "JOIN", menus): leave, then information, then join.
    void join(const std::string& session);
    // The information only (32784).
    void askInformation(const std::string& session);
    void leave();  // 1018, 131, "LEAVE"
    void begin();  // 1023

private:
    void onSessionList();
    void onSessionInfo();
    void onCreateAnswer();
    void onJoinAnswer();
    void onBeginAnswer();
    void onSessionNew();
    void onSessionRemoved();
    void onSessionState();
    void onMasterChanged();
    void onPlayerJoined();
    void onPlayerLeft();
    void onStartGame();
    SessionEntry* findEntry(const std::string& name);
    int32_t memberFlags(const SessionEntry& entry, bool spectator) const;
    // A member's session and role, in the view and the player list.
    void setMember(const std::string& player, const std::string& session, int32_t flags);
    // In a session or not: the view and the chat's session tab.
    void showInSession(const std::string& session);
    bool isMe(const std::string& name) const { return name == flow_.userName(); }
    std::string boundedName(const char* buffer) const;

    const ClientApi& api_;
    LobbyFlow& flow_;
    ChatController& chat_;
    PlayersController* players_{nullptr};
    SessionsView& view_;
    SessionGames games_;
    SessionsModel model_;
};

}  // namespace tessary::lobby
