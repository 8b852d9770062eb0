#include "lobby/lobby_flow.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "lobby/own_photo.h"
#include "lobby/server_text.h"

namespace tessary::lobby {
namespace {

constexpr std::string_view kUrgentGoodbye = "ADIOS";

// A caller-owned text buffer for one library output.
class TextOut {
public:
    char* data() { return bytes_.data(); }
    std::string text() const { return textFromBuffer(bytes_.data(), bytes_.size()); }
    // The text cut to `limit` characters, for a field of that size.
    std::string field(std::size_t limit) const { return text().substr(0, limit); }

private:
    std::array<char, kTextOutSize> bytes_{};
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

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

LobbyFlow::LobbyFlow(const ClientApi& api, LobbyView& view) : api_(api), view_(view) {
    busy_.setListener([this](bool busy) { view_.setBusyCursor(busy); });
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
            view_.showMessage(46, 1);
            quietExit_ = true;
            view_.endProgram();
            return false;
        }
        clock.pause();
    }
    sharedMemoryReady_ = true;
    return true;
}

bool LobbyFlow::resumeFinishedGame() { return sharedMemoryReady_ && watchGame(); }

void LobbyFlow::disconnect() { api_.TS_DisconnectFromHost(); }

// ---------------------------------------------------------------- polling

void LobbyFlow::poll() {
    if (gameRunning_) {
        watchGame();
        return;
    }
    for (int handled = 0; handled < kMaxMessagesPerTick; ++handled) {
        const int32_t type = api_.TS_GetMessageType();
        if (type == 0) return;
        dispatch(type);
        // Without a connection every poll says so: once per tick is enough.
        if (type == kConnectionLost || gameRunning_) return;
    }
}

void LobbyFlow::dispatch(int32_t type) {
    const DispatchEntry* entry = findDispatch(type);
    if (entry == nullptr) return;
    switch (entry->route) {
        case Route::ConnectionLost: onConnectionLost(); break;
        case Route::AccountCreationAnswer: onAccountCreationAnswer(); break;
        case Route::JoinArenaAnswer: onJoinArenaAnswer(); break;
        case Route::AccountInfo: onAccountInfo(); break;
        case Route::UrgentMessage: onUrgentMessage(); break;
        case Route::ModifyAccountAnswer: onModifyAccountAnswer(); break;
        case Route::VersionCheck: onVersionCheck(); break;
        case Route::RouterLoginAnswer: onRouterLoginAnswer(); break;
        case Route::ArenaLoginAnswer: onArenaLoginAnswer(); break;
        case Route::Deferred: deferToLaterWindow(*entry); break;
    }
}

void LobbyFlow::deferToLaterWindow(const DispatchEntry&) {
    // Nothing is read: the next poll replaces the message.
}

void LobbyFlow::showServerText(const char* buffer) {
    const auto text = boundedServerText(textFromBuffer(buffer, kTextOutSize), kMessageBoxBounds);
    view_.showServerText(text);
}

// ---------------------------------------------------------------- Router login

bool LobbyFlow::connectToRouter() {
    busy_.reset();
    busy_.increment();
    const bool connected = api_.TS_ConnectToHost(routerHost_.c_str(), routerPort_, kRouterKind) != 0;
    busy_.decrement();
    if (!connected) view_.showMessage(44, 45);
    return connected;
}

void LobbyFlow::sendLogin(LoginReason reason) {
    const auto fields = view_.loginFields();
    userName_ = fields.name;
    const auto client = view_.text(kClientTextNumber);
    api_.TSRouterSend_Login(fields.name.c_str(), fields.password.c_str(), client.c_str(),
                            static_cast<int32_t>(reason));
}

void LobbyFlow::logIn() {
    const auto fields = view_.loginFields();
    if (fields.name.empty()) return view_.focusLoginField(LoginField::Name);
    if (fields.password.empty()) return view_.focusLoginField(LoginField::Password);
    if (!connectToRouter()) return;
    state_ = LobbyState::RouterLoggedIn;
    busy_.increment();
    sendLogin(LoginReason::Normal);
}

bool LobbyFlow::relogin(LoginReason reason) {
    if (!connectToRouter()) return false;
    if (state_ == LobbyState::Offline) state_ = LobbyState::RouterLoggedIn;
    if (state_ != LobbyState::CreatingAccount) {
        busy_.increment();
        sendLogin(reason);
    }
    return true;
}

void LobbyFlow::newUser() {
    if (!connectToRouter()) return;
    state_ = LobbyState::CreatingAccount;
    busy_.increment();
    sendLogin(LoginReason::BeforeCreate);
}

void LobbyFlow::onRouterLoginAnswer() {
    busy_.decrement();
    char result = 0;
    TextOut text;
    const bool read = api_.TSRouterRcv_LoginResult(&result, text.data()) != 0;
    if (!read || result != kAnswerSuccess) {
        view_.setMainTitle("TSClient");
        if (read) showServerText(text.data());
        disconnect();
        state_ = LobbyState::Offline;
        return;
    }
    view_.setMainTitle("TSClient - " + boundedServerText(userName_, kTitleBounds));
    switch (state_) {
        case LobbyState::CreatingAccount:
            view_.hideLoginWindow();
            view_.showAccountWindow(AccountMode::Create);
            view_.setAccountForm(AccountForm{});
            disconnect();
            break;
        case LobbyState::ModifyingAccount:
            sendAccountModification();
            break;
        case LobbyState::JoiningFoundPlayer:
            break;
        default: {
            const auto fields = view_.loginFields();
            view_.storeUserInfo(storableLogin(fields));
            view_.hideLoginWindow();
            view_.showMainWindow();
            break;
        }
    }
}

// ---------------------------------------------------------------- account window

void LobbyFlow::saveAccount() {
    auto form = view_.accountForm();
    for (const auto* required : {&form.name, &form.field1003, &form.field1004, &form.field1005,
                                 &form.country, &form.password, &form.description}) {
        if (required->empty()) {
            view_.showMessage(2, 3);
            return;
        }
    }
    if (form.password != form.confirmation) {
        view_.showMessage(4, 3);
        form.password.clear();
        form.confirmation.clear();
        view_.setAccountForm(form);
        return;
    }
    if (state_ == LobbyState::ModifyingAccount) {
        // The modification follows the login answer.
        modificationUnderway_ = relogin(LoginReason::BeforeModify);
        return;
    }
    if (!relogin(LoginReason::Normal)) return;
    busy_.increment();
    pendingAccountName_ = trimmed(form.name);
    api_.TSRouterSend_CreateAccount(pendingAccountName_.c_str(), form.password.c_str(),
                                    form.field1004.c_str(), form.field1003.c_str(),
                                    form.country.c_str(), form.field1005.c_str(),
                                    form.description.c_str(), form.gender, 1, form.photoNumber);
}

void LobbyFlow::sendAccountModification() {
    const auto form = view_.accountForm();
    busy_.increment();
    pendingAccountName_ = form.name;
    api_.TSRouterSend_ModifyAccount(form.name.c_str(), form.password.c_str(),
                                    form.field1004.c_str(), form.field1003.c_str(),
                                    form.country.c_str(), form.field1005.c_str(),
                                    form.description.c_str(), form.gender, 1, form.photoNumber);
}

void LobbyFlow::onAccountCreationAnswer() {
    busy_.decrement();
    char result = 0;
    TextOut text;
    const bool read = api_.TSRouterRcv_AccountCreationResult(&result, text.data()) != 0;
    if (read && result == kAnswerSuccess) {
        state_ = LobbyState::RouterLoggedIn;
        view_.setMainTitle("TSClient - " + boundedServerText(pendingAccountName_, kTitleBounds));
        accountSaved();
        return;
    }
    disconnect();
    if (read) showServerText(text.data());
}

void LobbyFlow::onModifyAccountAnswer() {
    busy_.decrement();
    modificationUnderway_ = false;
    char result = 0;
    TextOut text;
    const bool read = api_.TSRouterRcv_ModifyAccountResult(&result, text.data()) != 0;
    if (read && result == kAnswerSuccess) {
        accountSaved();
    } else if (read) {
        showServerText(text.data());
    }
}

void LobbyFlow::accountSaved() {
    auto form = view_.accountForm();
    if (!form.ownPhotoPath.empty()) {
        sendOwnPhoto(form.ownPhotoPath);
        form.ownPhotoPath.clear();
        view_.setAccountForm(form);
    }
    const LoginPair used{pendingAccountName_, form.password};
    view_.storeUserInfo(storableLogin(used));
    userName_ = pendingAccountName_;
    // The login window gets the name too: later relogins (back from an Arena,
    // before a modification) use its fields.
    view_.setLoginFields(used);
    view_.hideAccountWindow();
    view_.showMainWindow();
    state_ = LobbyState::RouterLoggedIn;
}

void LobbyFlow::sendOwnPhoto(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    // Read one byte past the limit: a file that grew since it was chosen is
    // not sent.
    std::vector<char> bytes(kMaxOwnPhotoBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto size = static_cast<std::size_t>(in.gcount());
    if (size > kMaxOwnPhotoBytes) return;
    const auto type = ownPhotoTypeText(path);
    api_.TSRouterSend_Photo(static_cast<int32_t>(size), bytes.data(), type.c_str());
}

void LobbyFlow::cancelAccount() {
    view_.hideAccountWindow();
    modificationUnderway_ = false;
    if (state_ == LobbyState::ModifyingAccount) {
        state_ = LobbyState::Offline;
        relogin(LoginReason::BackToRouter);
        view_.showMainWindow();
    } else {
        state_ = LobbyState::Offline;
        view_.showLoginWindow();
    }
}

AccountForm LobbyFlow::formFromRecord() const {
    AccountForm form;
    form.name = record_.name.substr(0, kNameLimit);
    form.field1004 = record_.field1004.substr(0, kField1004Limit);
    form.field1003 = record_.field1003.substr(0, kField1003Limit);
    form.field1005 = record_.field1005.substr(0, kField1005Limit);
    form.country = record_.country;
    form.description = record_.description.substr(0, kDescriptionLimit);
    form.gender = record_.gender != 0 ? 1 : 0;
    form.photoNumber = record_.photoNumber;
    return form;
}

void LobbyFlow::modifyAccount() {
    state_ = LobbyState::ModifyingAccount;
    modificationUnderway_ = false;
    view_.hideMainWindow();
    disconnect();
    auto form = formFromRecord();
    const auto password = view_.loginFields().password;
    form.password = password;
    form.confirmation = password;
    view_.setAccountForm(form);
    view_.showAccountWindow(AccountMode::Modify);
}

void LobbyFlow::onAccountInfo() {
    TextOut name, f1004, f1003, country, f1005, description;
    uint8_t gender = 0;
    int32_t photo = 0;
    if (api_.TSRouterRcv_AccountInfo(name.data(), f1004.data(), f1003.data(), country.data(),
                                     f1005.data(), description.data(), &gender, &photo) == 0) {
        return;
    }
    record_ = {name.field(kNameLimit),        f1004.field(kField1004Limit),
               f1003.field(kField1003Limit),  country.field(kCountryLimit),
               f1005.field(kField1005Limit),  description.field(kDescriptionLimit),
               gender,                       photo};
    // Once the save has logged in again, the card a Router sends with its
    // login answer must neither replace what the player typed nor cut the
    // connection before the modification's answer.
    if (state_ == LobbyState::ModifyingAccount && !modificationUnderway_) {
        auto form = formFromRecord();
        const auto password = view_.loginFields().password;
        form.password = password;
        form.confirmation = password;
        view_.setAccountForm(form);
        disconnect();
        return;
    }
    if (!record_.name.empty()) userName_ = record_.name;
}

bool LobbyFlow::chooseOwnPhoto(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    switch (checkOwnPhoto(path, error ? 0 : size)) {
        case OwnPhotoCheck::WrongType: view_.showMessage(10, 11); return false;
        case OwnPhotoCheck::TooLarge: view_.showMessage(12, 11); return false;
        case OwnPhotoCheck::Accepted: break;
    }
    if (error) return false;
    auto form = view_.accountForm();
    form.ownPhotoPath = path;
    view_.setAccountForm(form);
    view_.showMessage(13, 7);
    return true;
}

// ---------------------------------------------------------------- main window

void LobbyFlow::logOut() {
    state_ = LobbyState::Offline;
    view_.stopArenaPingTimer();
    disconnect();
    view_.hideMainWindow();
    view_.showLoginWindow();
}

void LobbyFlow::backToRouter() {
    view_.addChatSystemLine(54, {});
    view_.selectView(View::Router);
    disconnect();
    if (relogin(LoginReason::BackToRouter)) {
        state_ = LobbyState::RouterLoggedIn;
    } else {
        // Not in the Arena any more and not on a Router either.
        state_ = LobbyState::Offline;
    }
}

bool LobbyFlow::connectToArena() {
    if (userName_.empty()) userName_ = view_.loginFields().name;
    busy_.increment();
    const bool connected = api_.TS_ConnectToHost(arenaHost_.c_str(), arenaPort_, kArenaKind) != 0;
    busy_.decrement();
    if (connected) {
        busy_.increment();
        api_.TSArenaSend_Login(userName_.c_str());
    }
    return connected;
}

void LobbyFlow::onJoinArenaAnswer() {
    busy_.decrement();
    char result = 0;
    TextOut host, text;
    int32_t port = 0;
    if (api_.TSRouterRcv_JoinArenaResult(&result, host.data(), &port, text.data()) == 0) return;
    if (result != kAnswerSuccess) return showServerText(text.data());
    arenaHost_ = host.field(255);
    arenaPort_ = port;
    disconnect();
    if (!connectToArena()) {
        view_.showMessage(17, 15);
        relogin(LoginReason::BackToRouter);
    }
}

void LobbyFlow::onArenaLoginAnswer() {
    busy_.decrement();
    char result = 0;
    TextOut text;
    const bool read = api_.TSArenaRcv_LoginResult(&result, text.data()) != 0;
    if (read && result == kAnswerSuccess) {
        view_.addChatSystemLine(53, arenaName_);
        view_.prepareArena();
        state_ = LobbyState::InArena;
        view_.selectView(View::Arena);
        return;
    }
    if (read) showServerText(text.data());
    disconnect();
    view_.selectView(View::Router);
    relogin(LoginReason::BackToRouter);
}

void LobbyFlow::onConnectionLost() {
    if (handlingConnectionLoss_) return;
    Guard guard(handlingConnectionLoss_);
    if (state_ == LobbyState::InArena) {
        busy_.reset();
        view_.showMessage(52, 1);
        state_ = LobbyState::Offline;
        backToRouter();
    } else if (state_ == LobbyState::RouterLoggedIn) {
        busy_.reset();
        state_ = LobbyState::Offline;
    }
}

void LobbyFlow::onUrgentMessage() {
    TextOut text;
    if (api_.TSRcv_UrgentMessage(text.data()) == 0) return;
    if (text.text() == kUrgentGoodbye) return view_.endProgram();
    showServerText(text.data());
}

void LobbyFlow::onVersionCheck() {
    TextOut first, second;
    int32_t number = 0;
    int32_t mandatory = 0;
    if (api_.TSRouterRcv_GetVersion(first.data(), second.data(), &number, &mandatory) == 0) return;
    const bool chosen =
        view_.showMessage(mandatory != 0 ? 47 : 49, 48, MessageStyle::OkCancel) == MessageResult::Ok;
    if (chosen) {
        view_.hideMainWindow();
        if (view_.runUpdate(first.field(255), second.field(255), number)) {
            quietExit_ = true;
            view_.endProgram();
            return;
        }
        view_.showMessage(38, 1);
        view_.showMainWindow();
    }
    if (mandatory != 0) view_.endProgram();
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
    gameRunning_ = false;
    view_.restoreMainWindow();
    if (!connectToArena()) {
        view_.showMessage(17, 15);
        // Out of the game and out of the Arena: the Router login that follows
        // must bring the lobby back to RouterLoggedIn.
        state_ = LobbyState::Offline;
        relogin(LoginReason::Normal);
    }
    return true;
}

}  // namespace tessary::lobby
