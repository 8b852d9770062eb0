// The arena view's own widgets: the chat box with its tabs, input, menus and
// links, the player panel with its sorting headers and the player menu, and
// the place the session panel fills. It is the chat and player controllers'
// view; the main window only builds it and hands it to the lobby.
#pragma once

#include <QPoint>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "lobby/chat_controller.h"
#include "lobby/players_controller.h"

class QWidget;
class QString;

namespace tessary::controls {
class ChatPanel;
class PlayerList;
}  // namespace tessary::controls

namespace tessary::lobby {

class Lobby;
class ViewPanel;

// What the arena view asks of the main window.
struct ArenaViewHooks {
    std::function<void(const QString&)> openLink;  // a chat link, through the desktop
    std::function<void()> openCredits;             // the hidden credits box
};

class ArenaView : public ChatView, public PlayersView {
public:
    // `window`: the main window, flashed for chat while it is not active.
    explicit ArenaView(QWidget* window);
    ~ArenaView() override;
    ArenaView(const ArenaView&) = delete;
    ArenaView& operator=(const ArenaView&) = delete;

    // Builds the widgets in the arena view `panel` and connects them to the
    // lobby's controllers.
    void build(ViewPanel* panel, Lobby& lobby, ArenaViewHooks hooks);

    controls::ChatPanel* chatPanel() const { return chat_; }
    controls::PlayerList* playerList() const { return players_; }
    // The empty place of the session panel ("session panel" of the layout):
    // the sessions' widget is made a child of it.
    QWidget* sessionPanelSlot() const { return sessionSlot_; }

    // The main window became active: the next chat line may flash it again.
    void windowActivated() { flashed_ = false; }
    bool flashed() const { return flashed_; }

    // ChatView.
    std::string systemText(Text text, const std::vector<std::string>& arguments) override;
    void showTabs() override;
    void showLine(int tab, const controls::ChatLine& line) override;
    void flashWindow() override;
    controls::IgnoreList loadIgnoreList(const std::string& user) override;
    void storeIgnoreList(const std::string& user, const controls::IgnoreList& list) override;
    // PlayersView.
    void prepareArena() override;
    void showPlayers() override;
    std::string menuText(Text text, const std::string& name) override;

private:
    void showTabMenu(int index, QPoint globalPos, bool withControlAndLeft);
    void showInputMenu(QPoint globalPos);
    void showPlayerMenu(int row, QPoint globalPos);
    void applyLook();

    QWidget* window_;
    Lobby* lobby_{nullptr};
    ArenaViewHooks hooks_;
    controls::ChatPanel* chat_{nullptr};
    controls::PlayerList* players_{nullptr};
    QWidget* sessionSlot_{nullptr};
    bool flashed_{false};
};

}  // namespace tessary::lobby
