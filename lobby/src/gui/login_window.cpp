#include "lobby/login_window.h"

#include <QCloseEvent>

#include "lobby/skin_extras.h"
#include "skin/ansi_text.h"
#include "skin/font_table.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {

LoginWindow::LoginWindow(QWidget* parent)
    : SkinnedDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      name_(new NameEdit(NameField::Login, this)),
      password_(new QLineEdit(this)) {
    setWindowTitle("TSClient - Login");
    setMovable(true);
    const auto& layout = windowLayout("login");
    setBackground(skin::skinPath(layout.background));
    const QFont font = defaultFont();
    name_->setGeometry(layoutArea(layout, "user name"));
    name_->setFont(font);
    password_->setGeometry(layoutArea(layout, "password"));
    password_->setFont(font);
    password_->setEchoMode(QLineEdit::Password);
    password_->setMaxLength(kPasswordLimit);

    for (const auto& button : layout.buttons) placeButton(*this, button);
    connect(password_, &QLineEdit::returnPressed, this, &LoginWindow::logInRequested);
    connect(name_, &QLineEdit::returnPressed, this, &LoginWindow::logInRequested);
}

LoginPair LoginWindow::fields() const {
    return {skin::toAnsi(name_->text()), skin::toAnsi(password_->text())};
}

void LoginWindow::setFields(const LoginPair& fields) {
    name_->setText(skin::fromAnsi(fields.name));
    password_->setText(skin::fromAnsi(fields.password));
}

void LoginWindow::onCommand(int commandId) {
    switch (commandId) {
        case kCommandOk: emit logInRequested(); break;
        case kCommandCancel: emit quitRequested(); break;
        case kCommandNewUser: emit newUserRequested(); break;
        case kCommandHelp: emit helpRequested(0); break;
        case kCommandHelpButton: emit helpRequested(kCommandHelp); break;
        case kCommandLogo: emit logoClicked(); break;
        default: break;
    }
}

void LoginWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit quitRequested();
}

}  // namespace tessary::lobby
