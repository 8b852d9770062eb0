// The lobby's connection state machine: the Router, then an Arena, then a
// game and back, with relogin, connection loss and game watching. The
// feature controllers (account_controller.h and the homes beside it) drive
// the conversations of their windows through it; the 50 ms timer calls poll().
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lobby/busy_count.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_state.h"
#include "lobby/lobby_view.h"
#include "lobby/user_info.h"
#include "protocol/codec.h"
#include "protocol/message_types.h"

namespace tessary::lobby {

class ArenaListController;
class ChatController;
class PlayersController;

using protocol::LoginReason;

// A hostile server must not keep the lobby inside one timer tick forever.
inline constexpr int kMaxMessagesPerTick = 100;

// Where the Router logins take their name and password: the login window.
class LoginFields {
public:
    virtual ~LoginFields() = default;
    virtual LoginPair loginFields() = 0;
};

// The controllers whose windows show the way in and out of an arena.
struct ArenaWindows {
    ArenaListController& arenaList;
    ChatController& chat;
    PlayersController& players;
};

// A server's failure text from a library buffer, bounded for the message box.
void showServerBuffer(MessageView& view, const char* buffer);

class LobbyFlow {
public:
    LobbyFlow(const ClientApi& api, LobbyView& view, LoginFields& login, BusyCount& busy,
              Dispatcher& dispatcher, const ArenaWindows& arena);

    void setRouter(std::string host, int32_t port);
    LobbyState state() const { return state_; }
    const std::string& routerHost() const { return routerHost_; }
    int32_t routerPort() const { return routerPort_; }
    BusyCount& busy() { return busy_; }
    const std::string& userName() const { return userName_; }
    const std::string& arenaName() const { return arenaName_; }
    const std::string& arenaHost() const { return arenaHost_; }
    int32_t arenaPort() const { return arenaPort_; }
    bool gameRunning() const { return gameRunning_; }
    bool sharedMemoryReady() const { return sharedMemoryReady_; }
    bool quietExit() const { return quietExit_; }

    // --- For the controllers: the account's states and name.
    void moveTo(LobbyState state) { state_ = state; }
    void setUserName(std::string name) { userName_ = std::move(name); }

    // --- Start-up and ending.
    // Tries TS_InitializeSharedMemory until it succeeds or 10 seconds of the
    // wall clock have passed; on failure message 46/1 and a quiet end.
    struct WallClock {
        std::function<int64_t()> seconds;
        std::function<void()> pause;  // between two attempts
    };
    bool initialiseSharedMemory(int32_t window, const WallClock& clock);
    // Game watching run once at creation: true when a finished game was
    // reported and the lobby went back to its Arena.
    bool resumeFinishedGame();
    void disconnect();

    // --- The 50 ms timer.
    void poll();

    // --- The Router.
    bool connectToRouter();
    // The login with the login window's fields; its answer is awaited.
    void sendLogin(LoginReason reason);
    bool relogin(LoginReason reason);
    // Leaves the Router for the login window (AccountController::logOut).
    void logOut();
    void joinArena(const std::string& name);
    // "go" in the search window: the found player's arena, joined at once
    // from the Router, or from an Arena after logging into the Router again
    // (JoiningFoundPlayer; the login answer continues it).
    void joinFoundPlayerArena(const std::string& arena);
    void continueJoiningFoundPlayer();

    // --- Arenas and games.
    void backToRouter();  // 1022
    bool connectToArena();
    // A started session's game is being launched: the Arena connection
    // gives way to watching the hand-off mailbox.
    void enterGame();
    // The game did not start or has ended: the main window comes back and
    // the lobby logs into the same Arena again; false when that failed.
    bool leaveGame();

private:
    bool watchGame();
    void onConnectionLost();
    void onJoinArenaAnswer();
    void onArenaLoginAnswer();
    void onUrgentMessage();
    void onVersionCheck();

    const ClientApi& api_;
    LobbyView& view_;
    LoginFields& login_;
    BusyCount& busy_;
    Dispatcher& dispatcher_;
    ArenaWindows arena_;
    LobbyState state_{LobbyState::Offline};
    std::string routerHost_;
    int32_t routerPort_{0};
    std::string userName_;
    std::string arenaName_;
    std::string foundPlayerArena_;
    std::string arenaHost_;
    int32_t arenaPort_{0};
    bool gameRunning_{false};
    bool sharedMemoryReady_{false};
    bool quietExit_{false};
    bool handlingConnectionLoss_{false};
};

}  // namespace tessary::lobby
