// The main window's content: a skinned panel whose every command, the exit
// button's Cancel included, goes to the main window. Unlike a dialog it never
// closes itself (Escape, Enter and Cancel leave it where it is).
#pragma once

#include "skin/skinned_dialog.h"

namespace tessary::lobby {

class MainCanvas : public skin::SkinnedDialog {
    Q_OBJECT

public:
    explicit MainCanvas(QWidget* parent = nullptr) : SkinnedDialog(parent, Qt::Widget) {}

    void accept() override {}
    void reject() override {}

protected:
    void onCommand(int commandId) override { emit command(commandId); }
};

}  // namespace tessary::lobby
