#include "lobby/arena_view.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

#include "controls/chat_box.h"
#include "controls/chat_panel.h"
#include "controls/choice_dialogs.h"
#include "controls/player_list.h"
#include "desktop/ansi_text.h"
#include "lobby/lobby.h"
#include "lobby/lobby_settings.h"
#include "lobby/popup_menu.h"
#include "lobby/user_files.h"
#include "lobby/view_panel.h"
#include "skin/bitmap_button.h"
#include "skin/skin_environment.h"
#include "skin/text_format.h"

namespace tessary::lobby {
namespace {

constexpr int kCommandChatColour = 117;
constexpr int kCommandChatFont = 118;
constexpr int kCommandSaveTab = 135;
constexpr int kCommandLeaveSession = 131;
constexpr int kCommandCloseTab = 136;

QColor qColour(controls::ChatColour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QString shown(const std::string& text) { return desktop::fromAnsi(text); }

bool isCredits(const std::string& name) { return controls::compareNoCase(name, "Credits") == 0; }

}  // namespace

ArenaView::ArenaView(QWidget* window) : window_(window) {}

ArenaView::~ArenaView() = default;

void ArenaView::build(ViewPanel* panel, Lobby& lobby, ArenaViewHooks hooks) {
    lobby_ = &lobby;
    hooks_ = std::move(hooks);
    auto& chat = lobby.chat();

    // The session panel's place, left empty here: the sessions' widget fills it.
    sessionSlot_ = new QWidget(panel);
    sessionSlot_->setObjectName("session panel slot");
    sessionSlot_->setGeometry(panel->area("session panel"));

    chat_ = new controls::ChatPanel(panel, panel->area("chat box"), &chat.tabs());
    chat_->setObjectName("chat box");
    chat.setLook(LobbySettings().chatLook());
    applyLook();
    QObject::connect(chat_, &controls::ChatPanel::lineEntered, chat_,
                     [&chat](const QString& text) { chat.enter(desktop::toAnsi(text)); });
    QObject::connect(chat_, &controls::ChatPanel::tabSelected, chat_, [&chat](int index) { chat.selectTab(index); });
    QObject::connect(chat_, &controls::ChatPanel::tabCloseRequested, chat_,
                     [&chat](int index) { chat.closeTab(index); });
    QObject::connect(chat_, &controls::ChatPanel::tabMenuRequested, chat_,
                     [this](int index, QPoint at, bool withControlAndLeft) {
                         showTabMenu(index, at, withControlAndLeft);
                     });
    QObject::connect(chat_, &controls::ChatPanel::inputMenuRequested, chat_,
                     [this](QPoint at) { showInputMenu(at); });
    QObject::connect(chat_, &controls::ChatPanel::pauseToggled, chat_, [&chat](bool paused) { chat.setPaused(paused); });
    QObject::connect(chat_, &controls::ChatPanel::linkActivated, chat_, [this](const QString& address) {
        if (hooks_.openLink) hooks_.openLink(address);
    });

    // The player panel: the two header buttons of the layout, the list below.
    auto& players = lobby.players();
    const QRect area = panel->area("player panel");
    int top = area.top();
    int boundary = area.width() / 2;
    if (auto* header = panel->button(kSortByName)) {
        top = header->geometry().bottom() + 1;
        boundary = header->width();
    }
    players_ = new controls::PlayerList(panel, &players.model().rows);
    players_->setObjectName("player list");
    players_->place(QRect(area.left(), top, area.width(), area.bottom() + 1 - top));
    players_->setColumnBoundary(boundary);
    QObject::connect(players_, &controls::PlayerList::rowDoubleClicked, players_,
                     [&players](int row) { players.activate(row); });
    QObject::connect(players_, &controls::PlayerList::rowMenuRequested, players_,
                     [this](int row, QPoint at) { showPlayerMenu(row, at); });
    QObject::connect(panel, &ViewPanel::command, players_, [&players](int command) {
        if (command == kSortByName) players.sortBy(controls::PlayerSort::ByName);
        if (command == kSortBySession) players.sortBy(controls::PlayerSort::BySession);
    });
}

void ArenaView::applyLook() {
    if (chat_ == nullptr || lobby_ == nullptr) return;
    const ChatLook& look = lobby_->chat().look();
    chat_->setInputLook(qColour(look.colour), look.font);
}

// ---------------------------------------------------------------- menus

void ArenaView::showTabMenu(int index, QPoint globalPos, bool withControlAndLeft) {
    auto& chat = lobby_->chat();
    const auto& tabs = chat.tabs();
    // Anywhere on the tab row, while the session tab is "Credits"; before any menu.
    if (withControlAndLeft && tabs.isSessionTab(1) && isCredits(tabs.tab(1).name) && hooks_.openCredits) {
        hooks_.openCredits();
    }
    if (index < 0 || index >= tabs.count()) return;
    const std::string name = tabs.tab(index).name;
    if (tabs.isSessionTab(index)) {
        const QString item = shown(skin::stringText(number(Text::LeaveSessionMenu)) + name);
        if (runPopupMenu(chat_, globalPos, {{kCommandLeaveSession, item}}) == kCommandLeaveSession) {
            lobby_->sessions().leave();
        }
    } else if (tabs.tab(index).isPrivate) {
        const QString item = shown(skin::stringText(number(Text::ClosePrivateChatMenu)) + name);
        if (runPopupMenu(chat_, globalPos, {{kCommandCloseTab, item}}) == kCommandCloseTab) {
            chat.closePrivate(name);
        }
    }
}

void ArenaView::showInputMenu(QPoint globalPos) {
    const auto text = [](Text t) { return shown(skin::stringText(number(t))); };
    const int chosen = runPopupMenu(chat_, globalPos,
                                    {{kCommandChatColour, text(Text::ChatColourMenu)},
                                     {kCommandChatFont, text(Text::ChatFontMenu)},
                                     {0, {}},
                                     {kCommandSaveTab, text(Text::SaveConversationMenu)}});
    auto& chat = lobby_->chat();
    ChatLook look = chat.look();
    if (chosen == kCommandChatColour) {
        controls::ColourDialog dialog(window_, qColour(look.colour));
        if (dialog.exec() != QDialog::Accepted) return;
        const QColor colour = dialog.colour();
        look.colour = controls::chatColour(colour.red(), colour.green(), colour.blue());
    } else if (chosen == kCommandChatFont) {
        controls::FontDialog dialog(window_);
        if (dialog.exec() != QDialog::Accepted || dialog.chosenFont() < 0) return;
        look.font = dialog.chosenFont();
    } else if (chosen == kCommandSaveTab) {
        (void)chat.saveCurrentTab();  // a file that cannot be written is not an error to show
        return;
    } else {
        return;
    }
    chat.setLook(look);
    applyLook();
    (void)LobbySettings().writeChatLook(look);
}

void ArenaView::showPlayerMenu(int row, QPoint globalPos) {
    auto& players = lobby_->players();
    std::vector<MenuEntry> entries;
    for (const auto& item : players.menuFor(row)) entries.push_back({item.command, shown(item.text)});
    if (const int chosen = runPopupMenu(players_, globalPos, entries); chosen != 0) {
        players.runMenuCommand(chosen, row);
    }
}

// ---------------------------------------------------------------- ChatView

std::string ArenaView::systemText(Text text, const std::vector<std::string>& arguments) {
    return skin::formatTextList(skin::stringText(number(text)), arguments);
}

void ArenaView::showTabs() {
    if (chat_) chat_->refresh();
}

void ArenaView::showLine(int tab, const controls::ChatLine&) {
    if (chat_ && lobby_ != nullptr && tab == lobby_->chat().tabs().current()) chat_->pane()->refresh();
}

void ArenaView::flashWindow() {
    if (window_ == nullptr || window_->isActiveWindow() || flashed_) return;
    flashed_ = true;
    QApplication::alert(window_);
}

controls::IgnoreList ArenaView::loadIgnoreList(const std::string& user) {
    return controls::loadIgnoreList(settingsFilePath(), user);
}

void ArenaView::storeIgnoreList(const std::string& user, const controls::IgnoreList& list) {
    (void)controls::saveIgnoreList(settingsFilePath(), user, list);
}

// ---------------------------------------------------------------- PlayersView

void ArenaView::prepareArena() {
    if (players_) players_->refresh();
}

void ArenaView::showPlayers() {
    if (players_) players_->refresh();
}

std::string ArenaView::menuText(Text text, const std::string& name) {
    return skin::formatText(skin::stringText(number(text)), {name});
}

}  // namespace tessary::lobby
