// The player's account: login, a new account, changing it, the own photo,
// and the Router's answers to them (types 206, 1, 201 and 26).
#pragma once

#include <string>

#include "lobby/account_form.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_flow.h"
#include "lobby/lobby_view.h"
#include "lobby/player_info_controller.h"
#include "lobby/user_info.h"

namespace tessary::lobby {

// The login and account windows.
class AccountView : public LoginFields, public virtual MessageView {
public:
    virtual void showLoginWindow() = 0;
    virtual void hideLoginWindow() = 0;
    virtual void setLoginFields(const LoginPair& fields) = 0;
    virtual void focusLoginField(LoginField field) = 0;
    virtual void showAccountWindow(AccountMode mode) = 0;  // background and name field per mode
    virtual void hideAccountWindow() = 0;
    virtual AccountForm accountForm() = 0;
    virtual void setAccountForm(const AccountForm& form) = 0;
    // "USERINFO" of CONFIG.INI.
    virtual void storeUserInfo(const LoginPair& pair) = 0;
};

class AccountController {
public:
    AccountController(const ClientApi& api, LobbyFlow& flow, LobbyView& main, AccountView& view,
                      PlayerInfoController& info);

    void registerWith(Dispatcher& dispatcher);

    // Login window.
    void logIn();    // OK
    void newUser();  // 1026
    void logOut();   // 112 in the router view
    // Account window.
    void saveAccount();    // OK
    void cancelAccount();  // Cancel
    void modifyAccount();  // 1027 in the router view
    // The own-photo checks for a chosen file; true when it was taken.
    bool chooseOwnPhoto(const std::string& path);
    // The chooser's stock photo; it replaces an own photo waiting for upload.
    void chooseStockPhoto(int32_t number);

    const AccountRecord& record() const { return record_; }

private:
    void onLoginAnswer();
    void onCreationAnswer();
    void onModificationAnswer();
    void onAccountInfo();
    void sendModification();
    void saved();
    void sendOwnPhoto(const std::string& path);
    AccountForm formFromRecord() const;

    const ClientApi& api_;
    LobbyFlow& flow_;
    LobbyView& main_;
    AccountView& view_;
    PlayerInfoController& info_;
    AccountRecord record_;
    std::string pendingName_;
    // A modification is being saved: logged in with reason 4, the answer
    // to the modification not yet read.
    bool modificationUnderway_{false};
};

}  // namespace tessary::lobby
