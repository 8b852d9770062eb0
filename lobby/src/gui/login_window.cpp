#include "lobby/login_window.h"

#include <QCloseEvent>

#include "desktop/ansi_text.h"
#include "lobby/skin_extras.h"
#include "skin/font_table.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {

LoginWindow::LoginWindow(QWidget* parent)
    : SkinnedDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      name_(new NameEdit(NameField::Login, this)),
      password_(new QLineEdit(this)) {
    setWindowTitle("TSClient - Login");
    setMovable(true);
    setBackground(skin::skinPath("window\\3login.jpg"));
    const QFont font = defaultFont();
    name_->setGeometry(124, 66, 159, 20);
    name_->setFont(font);
    password_->setGeometry(124, 102, 159, 20);
    password_->setFont(font);
    password_->setEchoMode(QLineEdit::Password);
    password_->setMaxLength(kPasswordLimit);

    addButton({15, 149}, kCommandOk, skin::skinPath("button\\3login"), 3);
    addButton({152, 149}, kCommandCancel, skin::skinPath("button\\3quit"), 3);
    addButton({15, 185}, kCommandNewUser, skin::skinPath("button\\3newuser"), 3);
    addButton({152, 185}, kCommandHelp, skin::skinPath("button\\3help"), 3);
    addButton({271, 11}, kCommandCancel, skin::skinPath("button\\exit"), 2);
    addOptionalButton(*this, {250, 11}, kCommandHelpButton, "button\\help");
    addOptionalButton(*this, {18, 15}, kCommandLogo, "button\\quillon", "web.wav");
    connect(password_, &QLineEdit::returnPressed, this, &LoginWindow::logInRequested);
    connect(name_, &QLineEdit::returnPressed, this, &LoginWindow::logInRequested);
}

LoginPair LoginWindow::fields() const {
    return {desktop::toAnsi(name_->text()), desktop::toAnsi(password_->text())};
}

void LoginWindow::setFields(const LoginPair& fields) {
    name_->setText(desktop::fromAnsi(fields.name));
    password_->setText(desktop::fromAnsi(fields.password));
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
