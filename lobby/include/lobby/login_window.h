// The login window: user name and password, log in, new user, help, quit.
#pragma once

#include <QLineEdit>

#include "lobby/name_edit.h"
#include "lobby/user_info.h"
#include "skin/skinned_dialog.h"

namespace tessary::lobby {

class LoginWindow : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kCommandNewUser = 1026;
    static constexpr int kCommandHelp = 137;
    static constexpr int kPasswordLimit = 10;

    explicit LoginWindow(QWidget* parent = nullptr);

    // Fields in Windows-1252.
    LoginPair fields() const;
    void setFields(const LoginPair& fields);
    NameEdit* nameField() const { return name_; }
    QLineEdit* passwordField() const { return password_; }

    // Escape is the Cancel command: the program ends.
    void reject() override { onCommand(kCommandCancel); }

signals:
    void logInRequested();
    void quitRequested();
    void newUserRequested();
    void helpRequested(int context);
    void logoClicked();

protected:
    void onCommand(int commandId) override;
    void closeEvent(QCloseEvent* event) override;

private:
    NameEdit* name_;
    QLineEdit* password_;
};

}  // namespace tessary::lobby
