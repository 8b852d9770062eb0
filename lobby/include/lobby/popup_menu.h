// The lobby's right-click menus: the toolkit's menu dressed in the skin's
// font and colours (black, white text, the lobby's dark blue under the mouse).
#pragma once

#include <QPoint>
#include <QString>
#include <vector>

class QWidget;

namespace tessary::lobby {

struct MenuEntry {
    int command;  // 0: a separator
    QString text;
};

// Shows the menu at `globalPos` and waits; the chosen entry's command, or 0.
int runPopupMenu(QWidget* parent, QPoint globalPos, const std::vector<MenuEntry>& entries);

}  // namespace tessary::lobby
