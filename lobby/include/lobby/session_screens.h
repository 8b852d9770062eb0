// The sessions controller's view: the session panel in the arena view, one
// SessionWindow per game (built at first use), the session menu and the
// questions. The arena view's session buttons are reached through the finder
// the main window sets; the player list's session column and the chat box's
// session tab are the controller's business (it tells those controllers).
#pragma once

#include <QMenu>
#include <QRect>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "lobby/sessions_controller.h"

class QWidget;

namespace tessary::skin {
class BitmapButton;
}

namespace tessary::lobby {

class LinkPolling;
class SessionPanel;
class SessionWindow;

class SessionScreens : public SessionsView {
public:
    static constexpr int kCommandCreate = 111;
    static constexpr int kCommandJoin = 1017;
    static constexpr int kCommandLeave = 1018;
    static constexpr int kCommandBegin = 1023;
    static constexpr int kMenuLeave = 131;
    static constexpr int kMenuInformation = 32784;
    static constexpr int kMenuJoin = 32785;

    // Message boxes and texts go through `messages`; windows open over
    // `mainWindow`; the questions and boxes are modal through `polling`.
    SessionScreens(QWidget* mainWindow, MessageView& messages, LinkPolling& polling);
    ~SessionScreens() override;
    SessionScreens(const SessionScreens&) = delete;
    SessionScreens& operator=(const SessionScreens&) = delete;

    void connectTo(SessionsController& controller);
    // The arena view's button with this command.
    using ButtonFinder = std::function<skin::BitmapButton*(int command)>;
    void setButtons(ButtonFinder buttons) { buttons_ = std::move(buttons); }
    // Puts the session list into the arena view's area.
    void placePanel(QWidget* arenaView, const QRect& area);
    // The arena view's session commands (create, join, leave, begin).
    bool runCommand(int command);
    // A double click on a tile: join, asking first when in another session.
    void activate(int index);
    // The right-click menu of tile `index` (built, not shown).
    std::unique_ptr<QMenu> sessionMenu(int index);

    SessionPanel* panel() const { return panel_; }
    // The game's window, built when first asked for.
    SessionWindow& window(std::size_t gameIndex);
    SessionWindow* openWindow() const;

    // The questions, replaceable in tests; by default the skinned windows.
    std::function<std::optional<bool>()> playerOrSpectator;
    std::function<std::optional<std::string>(const std::string& current)> password;
    std::function<std::optional<std::size_t>(const std::vector<std::string>& fullNames)> gameChoice;

    // MessageView.
    MessageResult showMessage(Text text, Text title, MessageStyle style) override;
    void showServerText(const std::string& text) override;
    std::string text(Text text) override;
    // SessionsView.
    void sessionsChanged() override;
    void setPlayerSession(const std::string& player, const std::string& session, int32_t flags) override;
    void showInSession(const std::string& session) override;
    void enableButton(SessionButton button, bool enabled) override;
    std::optional<bool> askSpectator() override { return playerOrSpectator(); }
    std::optional<std::string> askPassword(const std::string& current) override { return password(current); }
    void showSessionInformation(std::size_t gameIndex, const SessionEntry& session) override;
    MessageResult showFormatted(Text text, const std::vector<std::string>& arguments, const std::string& title,
                                MessageStyle style) override;
    void focusCreateField(int field) override;
    void hideCreateWindow() override;

private:
    void openCreate();
    void setButton(int command, bool enabled, std::optional<bool> visible = std::nullopt);
    QWidget* dialogParent() const;
    // The answer of `ask` run as the one modal window; nothing when another is open.
    template <typename Answer>
    std::optional<Answer> modal(const std::function<std::optional<Answer>()>& ask);

    QWidget* mainWindow_;
    MessageView& messages_;
    LinkPolling& polling_;
    SessionsController* controller_{nullptr};
    ButtonFinder buttons_;
    SessionPanel* panel_{nullptr};
    std::map<std::size_t, std::unique_ptr<SessionWindow>> windows_;
    std::size_t creating_{0};
    std::size_t shownGames_{0};  // the catalogue size the panel has pictures for
};

}  // namespace tessary::lobby
