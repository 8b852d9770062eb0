// The lobby's main window: 800 by 600 without system chrome. It keeps the
// frame (caption row, dragging, the page and sound switches), the 50 ms poll
// of the client library and the login and account windows; each view (router,
// arena) is a ViewPanel of its own.
#pragma once

#include <QScrollArea>
#include <functional>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "lobby/client_api.h"
#include "lobby/account_screens.h"
#include "lobby/arena_view.h"
#include "lobby/lobby.h"
#include "lobby/link_polling.h"
#include "lobby/lobby_settings.h"
#include "lobby/pages_windows.h"
#include "lobby/router_view.h"
#include "lobby/session_screens.h"
#include "skin/skinned_dialog.h"

namespace tessary::skin {
class BitmapButton;
}

namespace tessary::lobby {

class AccountWindow;
class Publicity;
class LoginWindow;
class MainCanvas;
class ToggleSwitch;
class ViewPanel;

struct LobbyWindowSetup {
    std::string routerHost;
    int32_t routerPort{0};
    int pictureCount{0};
    bool soundOn{true};
    std::vector<std::string> countries;
};

class LobbyWindow : public QWidget, public LobbyView {
    Q_OBJECT

public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kPollPeriodMs = 50;

    // Maximising does nothing only on a screen both wider and higher than
    // the window; on one of exactly its size the button stays enabled.
    static bool maximiseAllowed(QSize screen) { return screen.width() <= kWidth || screen.height() <= kHeight; }

    enum Command {
        kCommandExit = 106,
        kCommandSearch = 102,
        kCommandMaximise = 107,
        kCommandMinimise = 108,
        kCommandPage = 109,
        kCommandCreateSession = 111,
        kCommandLogOut = 112,
        kCommandMoreInfo = 113,
        kCommandBuddy = 121,
        kCommandGameInfo = 128,
        kCommandJoinArena = 1009,
        kCommandJoinSession = 1017,
        kCommandLeaveSession = 1018,
        kCommandBackToRouter = 1022,
        kCommandBegin = 1023,
        kCommandModify = 1027,
    };

    LobbyWindow(const ClientApi& api, const LobbyWindowSetup& setup);
    ~LobbyWindow() override;

    // The creation steps after construction: shared block, timer, display
    // rule, centring, then the login window or the way back to a game's Arena.
    void create();

    Lobby& lobby() { return lobby_; }
    LobbyFlow& flow() { return lobby_.flow(); }
    LoginWindow* loginWindow() const { return account_.loginWindow(); }
    AccountWindow* accountWindow() const { return account_.accountWindow(); }
    PagesWindows& pagesWindows() { return pages_; }
    RouterView& routerView() { return routerView_; }
    ArenaView& arenaView() { return arenaView_; }
    SessionScreens& sessionScreens() { return sessions_; }
    View currentView() const { return view_; }
    bool soundOn() const;
    bool pageOn() const;
    bool hasEnded() const { return ended_; }
    skin::BitmapButton* button(int command, View view) const;
    // Runs the command as a click on its button would.
    void runCommand(int command);
    // A close request from outside (the system's, or SIGTERM): ignored while a
    // game runs, otherwise the program ends.
    void requestClose();
    // The hidden credits box (the chat tab bar's secret click opens it).
    void openCredits();

    // MessageView.
    MessageResult showMessage(Text text, Text title, MessageStyle style) override;
    void showServerText(const std::string& text) override;
    std::string text(Text text) override;
    // LobbyView.
    void setMainTitle(const std::string& title) override;
    void showMainWindow() override;
    void hideMainWindow() override;
    void restoreMainWindow() override;
    void minimiseMainWindow() override;
    void selectView(View view) override;
    void setBusyCursor(bool busy) override;
    bool runUpdate(const std::string& first, const std::string& second, int32_t number) override;
    void endProgram() override;
    Publicity* publicity() const { return publicity_; }

signals:
    // The ending has run; the program may leave its event loop.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frame: the caption row and the switches the views share.
    void createFrame(bool soundOn);
    ViewPanel* panel(View view) const;
    void applyDisplayRule();
    void toggleMaximised();
    void openWebPage(const QString& address);
    // One address of the settings' WEB section; empty when it has none.
    QString webAddress(std::string WebAddresses::*page) const;
    void openHelp(int context);
    void chooseOwnPhoto();
    void chooseStockPhoto();
    void exitProgram();
    // Commands of windows the lobby does not have yet: nothing happens.
    void commandForLaterWindow(int command);
    QWidget* messageParent();
    // Opens a message box through `open` (given the box's parent), polling
    // the link while it is open. A box asked for while another modal window
    // is open is not shown and answers Cancel.
    int showBox(const std::function<int(QWidget*)>& open);

    AccountScreens account_;
    PagesWindows pages_;
    RouterView routerView_;
    ArenaView arenaView_;
    LinkPolling polling_;
    SessionScreens sessions_;
    Lobby lobby_;
    QScrollArea* scroll_;
    MainCanvas* canvas_;
    ToggleSwitch* pageToggle_{nullptr};
    ToggleSwitch* soundToggle_{nullptr};
    ViewPanel* routerPanel_;
    ViewPanel* arenaPanel_;
    Publicity* publicity_{nullptr};
    std::vector<skin::BitmapButton*> captionButtons_;
    std::vector<skin::BitmapButton*> maxButtons_;
    View view_{View::Router};
    int helpContext_{130};
    bool ended_{false};
    bool busyCursorShown_{false};
    std::optional<QPoint> dragOffset_;
};

}  // namespace tessary::lobby
