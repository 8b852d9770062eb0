#include "lobby/account_screens.h"

#include <utility>

#include "lobby/account_window.h"
#include "lobby/lobby_settings.h"
#include "lobby/login_window.h"

namespace tessary::lobby {

AccountScreens::AccountScreens(QWidget* mainWindow, MessageView& messages,
                               std::vector<std::string> countries, int pictureCount)
    : messages_(messages),
      login_(std::make_unique<LoginWindow>(nullptr)),
      account_(new AccountWindow(mainWindow, std::move(countries), pictureCount)) {
    login_->setFields(initialLoginFields(LobbySettings().userInfo()));
    account_->hide();
}

AccountScreens::~AccountScreens() = default;

LoginPair AccountScreens::loginFields() {
    return login_->fields();
}

void AccountScreens::showLoginWindow() {
    login_->centreOnScreen();
    login_->show();
    login_->raise();
    login_->activateWindow();
}

void AccountScreens::hideLoginWindow() {
    login_->hide();
}
void AccountScreens::setLoginFields(const LoginPair& fields) {
    login_->setFields(fields);
}

void AccountScreens::focusLoginField(LoginField field) {
    (field == LoginField::Name ? static_cast<QWidget*>(login_->nameField())
                               : static_cast<QWidget*>(login_->passwordField()))
        ->setFocus();
}

void AccountScreens::showAccountWindow(AccountMode mode) {
    account_->setMode(mode);
    account_->centreOnScreen();
    account_->show();
    account_->raise();
    account_->activateWindow();
}

void AccountScreens::hideAccountWindow() {
    account_->hide();
}
AccountForm AccountScreens::accountForm() {
    return account_->form();
}
void AccountScreens::setAccountForm(const AccountForm& form) {
    account_->setForm(form);
}

void AccountScreens::storeUserInfo(const LoginPair& pair) {
    try {
        (void)LobbySettings().writeUserInfo(pair);
    } catch (const std::exception&) {
        // Not remembering the login is no reason to stop the lobby.
    }
}

}  // namespace tessary::lobby
