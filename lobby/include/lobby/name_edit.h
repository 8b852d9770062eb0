// The user-name field of the login and account windows: the name rule is
// applied after every change, typed or pasted.
#pragma once

#include <QLineEdit>

#include "lobby/name_filter.h"

namespace tessary::lobby {

class NameEdit : public QLineEdit {
    Q_OBJECT

public:
    NameEdit(NameField field, QWidget* parent = nullptr);

signals:
    // A character was refused (the window beeps).
    void refused();

private:
    void applyRule();

    NameField field_;
};

}  // namespace tessary::lobby
