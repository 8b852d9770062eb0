// What the lobby's conversations need from its windows. The program's windows
// implement it; tests implement it with a recorder.
#pragma once

#include <string>

#include "lobby/account_form.h"
#include "lobby/user_info.h"

namespace tessary::lobby {

enum class MessageStyle { Ok = 0, OkCancel = 1 };
enum class MessageResult { Ok = 1, Cancel = 2 };
enum class View { Router = 1, Arena = 2 };
enum class AccountMode { Create, Modify };
enum class LoginField { Name, Password };

class LobbyView {
public:
    virtual ~LobbyView() = default;

    // The lobby's modal message box with StringTable texts. Further polls may
    // run while it is open.
    virtual MessageResult showMessage(int textNumber, int titleNumber,
                                      MessageStyle style = MessageStyle::Ok) = 0;
    // A server's text (already bounded) under the title "TSClient".
    virtual void showServerText(const std::string& text) = 0;
    virtual std::string text(int number) = 0;

    // Main window.
    virtual void setMainTitle(const std::string& title) = 0;
    virtual void showMainWindow() = 0;
    virtual void hideMainWindow() = 0;
    virtual void restoreMainWindow() = 0;  // un-minimise and bring to the front
    virtual void selectView(View view) = 0;
    virtual void setBusyCursor(bool busy) = 0;
    // A grey system line in the chat box: StringTable text `textNumber`
    // formatted with `argument`.
    virtual void addChatSystemLine(int textNumber, const std::string& argument) = 0;
    // The player list and the session panel made ready for a new arena.
    virtual void prepareArena() = 0;
    virtual void stopArenaPingTimer() = 0;
    // Downloads and starts the update; false when it could not run.
    virtual bool runUpdate(const std::string& first, const std::string& second, int32_t number) = 0;
    // Ends the program (the main window closes; the ending runs once).
    virtual void endProgram() = 0;

    // Login window.
    virtual void showLoginWindow() = 0;
    virtual void hideLoginWindow() = 0;
    virtual LoginPair loginFields() = 0;
    virtual void setLoginFields(const LoginPair& fields) = 0;
    virtual void focusLoginField(LoginField field) = 0;

    // Account window.
    virtual void showAccountWindow(AccountMode mode) = 0;  // background and name field per mode
    virtual void hideAccountWindow() = 0;
    virtual AccountForm accountForm() = 0;
    virtual void setAccountForm(const AccountForm& form) = 0;

    // "USERINFO" of CONFIG.INI.
    virtual void storeUserInfo(const LoginPair& pair) = 0;
};

}  // namespace tessary::lobby
