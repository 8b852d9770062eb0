// The lobby's side of the Router and Arena conversations: which library call
// is made when, and what is done with each answer. The windows call the
// command operations; the 50 ms timer calls poll().
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lobby/account_form.h"
#include "lobby/busy_count.h"
#include "lobby/client_api.h"
#include "lobby/dispatch_table.h"
#include "lobby/lobby_state.h"
#include "lobby/lobby_view.h"

namespace tessary::lobby {

// Login reasons sent with the Router login.
enum class LoginReason : int32_t {
    Normal = 1,
    BackToRouter = 2,  // from an Arena, or after a failed Arena connection
    BeforeModify = 4,
    BeforeCreate = 5,
};

inline constexpr int32_t kRouterKind = 1;
inline constexpr int32_t kArenaKind = 3;
inline constexpr int kClientTextNumber = 88;
// A hostile server must not keep the lobby inside one timer tick forever.
inline constexpr int kMaxMessagesPerTick = 100;

class LobbyFlow {
public:
    LobbyFlow(const ClientApi& api, LobbyView& view);

    void setRouter(std::string host, int32_t port);
    LobbyState state() const { return state_; }
    void setState(LobbyState state) { state_ = state; }
    BusyCount& busy() { return busy_; }
    const std::string& userName() const { return userName_; }
    const AccountRecord& accountRecord() const { return record_; }
    const std::string& arenaName() const { return arenaName_; }
    void setArenaName(std::string name) { arenaName_ = std::move(name); }
    const std::string& arenaHost() const { return arenaHost_; }
    int32_t arenaPort() const { return arenaPort_; }
    bool gameRunning() const { return gameRunning_; }
    void setGameRunning(bool running) { gameRunning_ = running; }
    bool sharedMemoryReady() const { return sharedMemoryReady_; }
    bool quietExit() const { return quietExit_; }

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
    void dispatch(int32_t type);

    // --- Login window.
    void logIn();                   // OK
    bool relogin(LoginReason reason);
    void newUser();                 // 1026

    // --- Account window.
    void saveAccount();             // OK
    void cancelAccount();           // Cancel
    void modifyAccount();           // 1027 in the router view
    // The own-photo checks for a chosen file; true when it was taken.
    bool chooseOwnPhoto(const std::string& path);

    // --- Main window.
    void logOut();                  // 112
    void backToRouter();            // 1022
    bool connectToArena();

private:
    bool connectToRouter();
    void sendLogin(LoginReason reason);
    void sendAccountModification();
    void accountSaved();
    void sendOwnPhoto(const std::string& path);
    bool watchGame();
    void showServerText(const char* buffer);
    AccountForm formFromRecord() const;

    void onConnectionLost();
    void onRouterLoginAnswer();
    void onAccountCreationAnswer();
    void onModifyAccountAnswer();
    void onAccountInfo();
    void onJoinArenaAnswer();
    void onArenaLoginAnswer();
    void onUrgentMessage();
    void onVersionCheck();
    // The one place for the messages of windows the lobby does not have yet.
    void deferToLaterWindow(const DispatchEntry& entry);

    const ClientApi& api_;
    LobbyView& view_;
    LobbyState state_{LobbyState::Offline};
    BusyCount busy_;
    std::string routerHost_;
    int32_t routerPort_{0};
    std::string userName_;
    std::string pendingAccountName_;
    AccountRecord record_;
    std::string arenaName_;
    std::string arenaHost_;
    int32_t arenaPort_{0};
    bool gameRunning_{false};
    bool sharedMemoryReady_{false};
    bool quietExit_{false};
    bool handlingConnectionLoss_{false};
    // A modification is being saved: logged in with reason 4, the answer
    // to the modification not yet read.
    bool modificationUnderway_{false};
};

}  // namespace tessary::lobby
