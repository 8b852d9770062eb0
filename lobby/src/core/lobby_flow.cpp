#include "lobby/lobby_flow.h"

#include <utility>

#include "lobby/arena_list_controller.h"
#include "lobby/chat_controller.h"
#include "lobby/dispatch_table.h"
#include "lobby/players_controller.h"
#include "lobby/server_text.h"
#include "lobby/text_out.h"

namespace tessary::lobby {
namespace {

constexpr std::string_view kUrgentGoodbye = "ADIOS";

class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~Guard() { flag_ = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& flag_;
};

}  // namespace

void showServerBuffer(MessageView& view, const char* buffer) {
    view.showServerText(boundedServerText(textFromBuffer(buffer, kTextOutSize), kMessageBoxBounds));
}

LobbyFlow::LobbyFlow(const ClientApi& api, LobbyView& view, LoginFields& login, BusyCount& busy,
                     Dispatcher& dispatcher, const ArenaWindows& arena)
    : api_(api), view_(view), login_(login), busy_(busy), dispatcher_(dispatcher), arena_(arena) {
    dispatcher_.on(kConnectionLost, [this] { onConnectionLost(); });
    dispatcher_.on(protocol::answerCodeOf(protocol::CONNECTIONREQUEST), [this] { onJoinArenaAnswer(); });
    dispatcher_.on(protocol::URGENTMESSAGE, [this] { onUrgentMessage(); });
    dispatcher_.on(protocol::CHANGEVERSION, [this] { onVersionCheck(); });
    dispatcher_.on(protocol::answerCodeOf(protocol::LOGINARENA), [this] { onArenaLoginAnswer(); });
}

void LobbyFlow::setRouter(std::string host, int32_t port) {
    routerHost_ = std::move(host);
    routerPort_ = port;
}

// ---------------------------------------------------------------- start-up

bool LobbyFlow::initialiseSharedMemory(int32_t window, const WallClock& clock) {
    const int64_t start = clock.seconds();
    while (api_.TS_InitializeSharedMemory(window) == 0) {
        if (clock.seconds() - start >= 10) {
            view_.showMessage(Text::SharedMemoryUnavailable, Text::TitleLobby);
            quietExit_ = true;
            view_.endProgram();
            return false;
        }
        clock.pause();
    }
    sharedMemoryReady_ = true;
    return true;
}

bool LobbyFlow::resumeFinishedGame() {
    return sharedMemoryReady_ && watchGame();
}

void LobbyFlow::disconnect() {
    api_.TS_DisconnectFromHost();
}

// ---------------------------------------------------------------- polling

void LobbyFlow::poll() {
    if (gameRunning_) {
        watchGame();
        return;
    }
    for (int handled = 0; handled < kMaxMessagesPerTick; ++handled) {
        const int32_t type = api_.TS_GetMessageType();
        if (type == 0) return;
        dispatcher_.dispatch(type);
        // Without a connection every poll says so: once per tick is enough.
        if (type == kConnectionLost || gameRunning_) return;
    }
}

// ---------------------------------------------------------------- the Router

bool LobbyFlow::connectToRouter() {
    busy_.reset();
    bool connected = false;
    {
        const auto hold = busy_.hold();
        connected = api_.TS_ConnectToHost(routerHost_.c_str(), routerPort_, protocol::kModuleRouter) != 0;
    }
    if (!connected) view_.showMessage(Text::RouterUnreachable, Text::TitleConnection);
    return connected;
}

void LobbyFlow::sendLogin(LoginReason reason) {
    const auto fields = login_.loginFields();
    userName_ = fields.name;
    const auto client = view_.text(Text::ClientVersion);
    busy_.awaitAnswer(protocol::answerCodeOf(protocol::LOGIN));
    api_.TSRouterSend_Login(fields.name.c_str(), fields.password.c_str(), client.c_str(),
                            static_cast<int32_t>(reason));
}

bool LobbyFlow::relogin(LoginReason reason) {
    if (!connectToRouter()) return false;
    if (state_ == LobbyState::Offline) state_ = LobbyState::RouterLoggedIn;
    // Creating an account needs the connection only.
    if (state_ != LobbyState::CreatingAccount) sendLogin(reason);
    return true;
}

void LobbyFlow::logOut() {
    state_ = LobbyState::Offline;
    arena_.arenaList.stopPings();
    disconnect();
    view_.hideMainWindow();
}

void LobbyFlow::joinArena(const std::string& name) {
    // Another arena's conversation does not follow the player.
    if (name != arenaName_) arena_.chat.reset();
    arenaName_ = name;
    busy_.awaitAnswer(protocol::answerCodeOf(protocol::CONNECTIONREQUEST));
    api_.TSRouterSend_JoinArena(name.c_str());
}

void LobbyFlow::joinFoundPlayerArena(const std::string& arena) {
    if (state_ != LobbyState::InArena) return joinArena(arena);
    arena_.chat.systemLine(Text::LeftArena);
    view_.selectView(View::Router);
    disconnect();
    foundPlayerArena_ = arena;
    state_ = LobbyState::JoiningFoundPlayer;
    if (!relogin(LoginReason::BackToRouter)) {
        state_ = LobbyState::Offline;
        view_.showMessage(Text::FoundPlayerArenaUnreachable, Text::TitlePlayerSearch);
    }
}

void LobbyFlow::continueJoiningFoundPlayer() {
    state_ = LobbyState::RouterLoggedIn;
    joinArena(std::exchange(foundPlayerArena_, {}));
}

void LobbyFlow::onJoinArenaAnswer() {
    char result = 0;
    TextOut host, text;
    int32_t port = 0;
    if (api_.TSRouterRcv_JoinArenaResult(&result, host.data(), &port, text.data()) == 0) return;
    if (result != kAnswerSuccess) return showServerBuffer(view_, text.data());
    arenaHost_ = host.field(255);
    arenaPort_ = port;
    disconnect();
    if (!connectToArena()) {
        view_.showMessage(Text::ArenaConnectionFailed, Text::TitleArena);
        relogin(LoginReason::BackToRouter);
    }
}

// ---------------------------------------------------------------- arenas

bool LobbyFlow::connectToArena() {
    if (userName_.empty()) userName_ = login_.loginFields().name;
    bool connected = false;
    {
        const auto hold = busy_.hold();
        connected = api_.TS_ConnectToHost(arenaHost_.c_str(), arenaPort_, protocol::kModuleArenaW) != 0;
    }
    if (connected) {
        busy_.awaitAnswer(protocol::answerCodeOf(protocol::LOGINARENA));
        api_.TSArenaSend_Login(userName_.c_str());
    }
    return connected;
}

void LobbyFlow::onArenaLoginAnswer() {
    char result = 0;
    TextOut text;
    const bool read = api_.TSArenaRcv_LoginResult(&result, text.data()) != 0;
    if (read && result == kAnswerSuccess) {
        arena_.chat.systemLine(Text::ArenaWelcome, arenaName_);
        arena_.players.enterArena();
        state_ = LobbyState::InArena;
        view_.selectView(View::Arena);
        return;
    }
    if (read) showServerBuffer(view_, text.data());
    disconnect();
    view_.selectView(View::Router);
    relogin(LoginReason::BackToRouter);
}

void LobbyFlow::backToRouter() {
    arena_.chat.systemLine(Text::LeftArena);
    view_.selectView(View::Router);
    disconnect();
    // Without a Router either, the lobby is not in the Arena any more.
    state_ = relogin(LoginReason::BackToRouter) ? LobbyState::RouterLoggedIn : LobbyState::Offline;
}

void LobbyFlow::onConnectionLost() {
    if (handlingConnectionLoss_) return;
    Guard guard(handlingConnectionLoss_);
    if (state_ == LobbyState::InArena) {
        busy_.reset();
        view_.showMessage(Text::ArenaConnectionLost, Text::TitleLobby);
        state_ = LobbyState::Offline;
        backToRouter();
    } else if (state_ == LobbyState::RouterLoggedIn) {
        busy_.reset();
        state_ = LobbyState::Offline;
    }
}

// ---------------------------------------------------------------- games

void LobbyFlow::enterGame() {
    state_ = LobbyState::InGame;
    disconnect();
    view_.minimiseMainWindow();
    gameRunning_ = true;
}

bool LobbyFlow::watchGame() {
    if (api_.TS_IsCloseAsked() != 0) {
        quietExit_ = true;
        view_.endProgram();
        return false;
    }
    TextOut host, report;
    int32_t port = 0;
    if (api_.TS_IsGameFinished(host.data(), &port, report.data()) == 0) return false;
    arenaHost_ = host.field(255);
    arenaPort_ = port;
    leaveGame();
    return true;
}

bool LobbyFlow::leaveGame() {
    gameRunning_ = false;
    view_.restoreMainWindow();
    if (connectToArena()) return true;
    view_.showMessage(Text::ArenaConnectionFailed, Text::TitleArena);
    // Out of the game and out of the Arena: the Router login that follows
    // must bring the lobby back to RouterLoggedIn.
    state_ = LobbyState::Offline;
    relogin(LoginReason::Normal);
    return false;
}

// ---------------------------------------------------------------- from any server

void LobbyFlow::onUrgentMessage() {
    TextOut text;
    if (api_.TSRcv_UrgentMessage(text.data()) == 0) return;
    if (text.text() == kUrgentGoodbye) return view_.endProgram();
    showServerBuffer(view_, text.data());
}

void LobbyFlow::onVersionCheck() {
    TextOut first, second;
    int32_t number = 0;
    int32_t mandatory = 0;
    if (api_.TSRouterRcv_GetVersion(first.data(), second.data(), &number, &mandatory) == 0) return;
    const Text question = mandatory != 0 ? Text::UpdateRequired : Text::UpdateAvailable;
    if (view_.showMessage(question, Text::TitleUpdate, MessageStyle::OkCancel) ==
        MessageResult::Ok) {
        view_.hideMainWindow();
        if (view_.runUpdate(first.field(255), second.field(255), number)) {
            quietExit_ = true;
            view_.endProgram();
            return;
        }
        view_.showMessage(Text::UpdateFailed, Text::TitleLobby);
        view_.showMainWindow();
    }
    if (mandatory != 0) view_.endProgram();
}

}  // namespace tessary::lobby
