#include "lobby/session_screens.h"

#include <QApplication>

#include "desktop/ansi_text.h"
#include "lobby/link_polling.h"
#include "lobby/session_panel.h"
#include "lobby/session_windows.h"
#include "skin/bitmap_button.h"
#include "skin/message_box.h"
#include "skin/skin_environment.h"
#include "skin/text_format.h"

namespace tessary::lobby {

SessionScreens::SessionScreens(QWidget* mainWindow, MessageView& messages, LinkPolling& polling)
    : mainWindow_(mainWindow), messages_(messages), polling_(polling) {
    playerOrSpectator = [this] {
        return modal<bool>([this] { return askPlayerOrSpectator(dialogParent()); });
    };
    password = [this](const std::string& current) {
        return modal<std::string>([this, &current] { return askSessionPassword(dialogParent(), current); });
    };
    gameChoice = [this](const std::vector<std::string>& names) {
        return modal<std::size_t>([this, &names] { return askGameChoice(dialogParent(), names); });
    };
}

template <typename Answer>
std::optional<Answer> SessionScreens::modal(const std::function<std::optional<Answer>()>& ask) {
    std::optional<Answer> answer;
    polling_.runModal([&] { answer = ask(); });
    return answer;
}

SessionScreens::~SessionScreens() = default;

void SessionScreens::connectTo(SessionsController& controller) { controller_ = &controller; }

void SessionScreens::placePanel(QWidget* arenaView, const QRect& area) {
    panel_ = new SessionPanel(arenaView, area);
    QObject::connect(panel_, &SessionPanel::tileActivated, panel_, [this](int index) { activate(index); });
    QObject::connect(panel_, &SessionPanel::menuRequested, panel_, [this](int index, QPoint at) {
        if (auto menu = sessionMenu(index)) menu->exec(at);
    });
    sessionsChanged();
}

SessionWindow& SessionScreens::window(std::size_t gameIndex) {
    auto& slot = windows_[gameIndex];
    if (!slot) {
        auto& games = controller_->games();
        slot = std::make_unique<SessionWindow>(mainWindow_, games.at(gameIndex), games.pages(gameIndex));
        slot->askPassword = [this](const std::string& current) { return password(current); };
        QObject::connect(slot.get(), &SessionWindow::createRequested, slot.get(), [this, gameIndex] {
            controller_->create(gameIndex, windows_.at(gameIndex)->request());
        });
        QObject::connect(slot.get(), &SessionWindow::closedWithoutCreating, slot.get(),
                         [this] { controller_->createCancelled(); });
    }
    return *slot;
}

SessionWindow* SessionScreens::openWindow() const {
    for (const auto& [index, window] : windows_) {
        if (window->isVisible()) return window.get();
    }
    return nullptr;
}

QWidget* SessionScreens::dialogParent() const {
    if (auto* window = openWindow()) return window;
    return mainWindow_;
}

bool SessionScreens::runCommand(int command) {
    switch (command) {
        case kCommandCreate: openCreate(); return true;
        case kCommandJoin: {
            const SessionEntry* entry = panel_ ? panel_->selectedEntry() : nullptr;
            controller_->join(entry ? entry->name : std::string());
            return true;
        }
        case kCommandLeave: controller_->leave(); return true;
        case kCommandBegin: controller_->begin(); return true;
        default: return false;
    }
}

void SessionScreens::openCreate() {
    setButton(kCommandCreate, false);
    const auto& games = controller_->games();
    std::size_t index = 0;
    if (games.size() == 0) {
        controller_->createCancelled();
        return;
    }
    if (games.size() >= 2) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < games.size(); ++i) names.push_back(games.at(i).fullName);
        const auto chosen = gameChoice(names);
        if (!chosen || *chosen >= games.size()) {
            controller_->createCancelled();
            return;
        }
        index = *chosen;
    }
    creating_ = index;
    window(index).openCreate();
}

void SessionScreens::activate(int index) {
    const auto& sessions = controller_->model().sessions;
    if (index < 0 || index >= static_cast<int>(sessions.size())) return;
    const std::string name = sessions[static_cast<std::size_t>(index)].name;
    const std::string& mine = controller_->model().joined;
    if (mine == name) return;
    if (!mine.empty() && showFormatted(Text::LeaveSessionToJoin, {mine}, text(Text::TitleJoinSessionAgain),
                                       MessageStyle::OkCancel) == MessageResult::Cancel) {
        return;
    }
    controller_->join(name);
}

std::unique_ptr<QMenu> SessionScreens::sessionMenu(int index) {
    const auto& sessions = controller_->model().sessions;
    if (index < 0 || index >= static_cast<int>(sessions.size())) return nullptr;
    const SessionEntry& entry = sessions[static_cast<std::size_t>(index)];
    auto menu = std::make_unique<QMenu>(panel_);
    menu->setFont(panel_ ? panel_->font() : QFont());
    menu->setStyleSheet(
        "QMenu { background: black; color: white; border: 1px solid rgb(0,85,190); }"
        "QMenu::item:selected { background: rgb(0,0,130); color: rgb(255,168,0); }"
        "QMenu::item:disabled { color: rgb(155,155,155); }"
        "QMenu::separator { height: 1px; background: rgb(0,85,190); margin: 2px 4px; }");
    menu->addAction(desktop::fromAnsi(entry.name + "   (" + entry.game + ")"))->setEnabled(false);
    menu->addSeparator();
    // The session is looked up again when the command runs: it may be gone.
    const std::string name = entry.name;
    const auto run = [this, name](int command) {
        if (controller_->find(name) == nullptr) {
            const Text title = command == kMenuInformation ? Text::TitleSessionInformation
                               : command == kMenuJoin      ? Text::TitleJoinSessionChoice
                                                           : Text::TitleLeaveSession;
            showMessage(Text::SelectSessionToJoin, title, MessageStyle::Ok);
            return;
        }
        if (command == kMenuLeave) controller_->leave();
        if (command == kMenuJoin) controller_->join(name);
        if (command == kMenuInformation) controller_->askInformation(name);
    };
    const bool own = entry.name == controller_->model().joined;
    const int first = own ? kMenuLeave : kMenuJoin;
    QAction* action = menu->addAction(desktop::fromAnsi(text(own ? Text::LeaveThisSession : Text::JoinThisSession)));
    action->setData(first);
    QObject::connect(action, &QAction::triggered, menu.get(), [run, first] { run(first); });
    action = menu->addAction(desktop::fromAnsi(text(Text::SessionInformation)));
    action->setData(kMenuInformation);
    QObject::connect(action, &QAction::triggered, menu.get(), [run] { run(kMenuInformation); });
    menu->addSeparator();
    menu->addAction(desktop::fromAnsi(text(Text::SessionPlayers)))->setEnabled(false);
    for (const auto& item : memberMenuItems(entry)) menu->addAction(desktop::fromAnsi(item));
    return menu;
}

// ------------------------------------------------------------ SessionsView

MessageResult SessionScreens::showMessage(Text text, Text title, MessageStyle style) {
    return messages_.showMessage(text, title, style);
}

void SessionScreens::showServerText(const std::string& text) { messages_.showServerText(text); }

std::string SessionScreens::text(Text text) { return messages_.text(text); }

MessageResult SessionScreens::showFormatted(Text text, const std::vector<std::string>& arguments,
                                            const std::string& title, MessageStyle style) {
    // The session texts take at most two arguments.
    const std::string none;
    const std::string shown = skin::formatText(messages_.text(text), {arguments.size() > 0 ? arguments[0] : none,
                                                                      arguments.size() > 1 ? arguments[1] : none});
    const auto result = modal<int>([&]() -> std::optional<int> {
        return skin::MessageBox::show(dialogParent(), shown, title, static_cast<int>(style));
    });
    return result == skin::MessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

void SessionScreens::sessionsChanged() {
    if (!panel_ || !controller_) return;
    const auto& games = controller_->games();
    if (shownGames_ != games.size()) {
        std::vector<std::filesystem::path> folders;
        for (std::size_t i = 0; i < games.size(); ++i) folders.push_back(games.at(i).directory);
        panel_->setGameFolders(folders);
        shownGames_ = games.size();
    }
    panel_->setSessions(&controller_->model().sessions);
}

// The controller marks the player list itself.
void SessionScreens::setPlayerSession(const std::string&, const std::string&, int32_t) {}

void SessionScreens::showInSession(const std::string& session) {
    const bool in = !session.empty();
    if (!in) setButton(kCommandBegin, false);
    setButton(kCommandCreate, !in);
    setButton(kCommandLeave, true, in);
    setButton(kCommandJoin, true, !in);
}

void SessionScreens::enableButton(SessionButton button, bool enabled) {
    setButton(button == SessionButton::Create ? kCommandCreate : kCommandBegin, enabled);
}

void SessionScreens::setButton(int command, bool enabled, std::optional<bool> visible) {
    skin::BitmapButton* button = buttons_ ? buttons_(command) : nullptr;
    if (!button) return;
    button->setEnabled(enabled);
    if (visible) button->setVisible(*visible);
}

void SessionScreens::showSessionInformation(std::size_t gameIndex, const SessionEntry& session) {
    if (gameIndex >= controller_->games().size()) return;
    window(gameIndex).openInformation(session);
}

void SessionScreens::focusCreateField(int field) {
    if (auto it = windows_.find(creating_); it != windows_.end()) it->second->focusField(field);
}

void SessionScreens::hideCreateWindow() {
    if (auto it = windows_.find(creating_); it != windows_.end()) it->second->hide();
}

}  // namespace tessary::lobby
