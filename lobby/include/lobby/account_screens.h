// The account's windows, login and account, as the AccountController sees
// them. Message boxes are the main window's (they pick their parent there).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lobby/account_controller.h"

class QWidget;

namespace tessary::lobby {

class AccountWindow;
class LoginWindow;

class AccountScreens : public AccountView {
public:
    // The account window is a child of `mainWindow`; the login window stands alone.
    AccountScreens(QWidget* mainWindow, MessageView& messages, std::vector<std::string> countries,
                   int pictureCount);
    ~AccountScreens() override;
    AccountScreens(const AccountScreens&) = delete;
    AccountScreens& operator=(const AccountScreens&) = delete;

    LoginWindow* loginWindow() const { return login_.get(); }
    AccountWindow* accountWindow() const { return account_; }

    MessageResult showMessage(Text text, Text title, MessageStyle style) override {
        return messages_.showMessage(text, title, style);
    }
    void showServerText(const std::string& text) override { messages_.showServerText(text); }
    std::string text(Text text) override { return messages_.text(text); }

    LoginPair loginFields() override;
    void showLoginWindow() override;
    void hideLoginWindow() override;
    void setLoginFields(const LoginPair& fields) override;
    void focusLoginField(LoginField field) override;
    void showAccountWindow(AccountMode mode) override;
    void hideAccountWindow() override;
    AccountForm accountForm() override;
    void setAccountForm(const AccountForm& form) override;
    void storeUserInfo(const LoginPair& pair) override;

private:
    MessageView& messages_;
    std::unique_ptr<LoginWindow> login_;
    AccountWindow* account_;  // owned by the main window
};

}  // namespace tessary::lobby
