#include "lobby/popup_menu.h"

#include <QMenu>

#include "lobby/skin_extras.h"

namespace tessary::lobby {

int runPopupMenu(QWidget* parent, QPoint globalPos, const std::vector<MenuEntry>& entries) {
    if (entries.empty()) return 0;
    QMenu menu(parent);
    menu.setFont(defaultFont());
    menu.setStyleSheet(
        "QMenu { background: black; color: white; border: 1px solid rgb(0, 0, 130); }"
        "QMenu::item { padding: 3px 16px 3px 12px; }"
        "QMenu::item:selected { background: rgb(0, 0, 130); color: rgb(255, 168, 0); }"
        "QMenu::separator { height: 1px; background: rgb(0, 0, 130); margin: 2px 4px; }");
    for (const auto& entry : entries) {
        if (entry.command == 0) {
            menu.addSeparator();
        } else {
            menu.addAction(entry.text)->setData(entry.command);
        }
    }
    const QAction* chosen = menu.exec(globalPos);
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

}  // namespace tessary::lobby
