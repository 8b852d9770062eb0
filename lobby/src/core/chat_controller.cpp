#include "lobby/chat_controller.h"

#include <ctime>
#include <filesystem>

#include "controls/player_rows.h"
#include "lobby/lobby_flow.h"
#include "lobby/pages_controller.h"
#include "lobby/player_info_controller.h"
#include "lobby/players_controller.h"
#include "lobby/sessions_controller.h"
#include "lobby/text_out.h"
#include "skin/text_format.h"

namespace tessary::lobby {

using controls::ChatCommand;
using controls::CommandAction;

ChatController::ChatController(const ClientApi& api, MessageView& messages, ChatView& view, LobbyFlow& flow,
                               const ChatPeers& peers)
    : api_(api),
      messages_(messages),
      view_(view),
      flow_(flow),
      peers_(peers),
      now_([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

void ChatController::registerWith(Dispatcher& dispatcher) {
    for (const int32_t type : {protocol::CHATALL, protocol::CHATLIST, protocol::CHATSESSION}) {
        dispatcher.on(type, [this, type] { onChat(type); });
    }
}

void ChatController::nameArenaTab() {
    if (arenaTabNamed_) return;
    arenaTabNamed_ = true;
    tabs_.setArenaTabName(messages_.text(Text::TitleArenaTab));
}

// ---------------------------------------------------------------- lines

void ChatController::addLine(int tab, controls::ChatLine line) {
    if (!tabs_.addLine(tab, std::move(line), now_())) return;
    view_.showLine(tab, tabs_.tab(tab).pane.lines().back());
}

void ChatController::systemLine(Text text, const std::string& argument) {
    systemLine(text, std::vector<std::string>{argument});
}

void ChatController::systemLine(Text text, const std::vector<std::string>& arguments) {
    nameArenaTab();
    addLine(tabs_.current(), controls::makeChatLine(view_.systemText(text, arguments), controls::kSystemGrey, 0));
}

void ChatController::onChat(int32_t type) {
    TextOut sender, text;
    int32_t colour = 0, font = 0;
    const auto read = type == protocol::CHATALL       ? api_.TSArenaRcv_ChatAll
                      : type == protocol::CHATSESSION ? api_.TSArenaRcv_ChatSession
                                                 : api_.TSArenaRcv_ChatList;
    if (read(sender.data(), text.data(), &colour, &font) == 0) return;
    const std::string name = boundedServerText(sender.text(), {1, kChatNameLimit});
    if (isIgnored(name)) return;
    view_.flashWindow();
    nameArenaTab();
    int tab = 0;
    if (type == protocol::CHATSESSION) {
        // A session line after the player left the session has no tab.
        if (!tabs_.hasSessionTab()) return;
        tab = 1;
    } else if (type == protocol::CHATLIST) {
        const int before = tabs_.count();
        tab = tabs_.openPrivate(name, now_(), false);
        if (tabs_.count() != before || tab != tabs_.current()) view_.showTabs();
    }
    const bool wasUnread = tabs_.tab(tab).unread;
    addLine(tab, controls::formatChatLine(name, boundedServerText(text.text(), {1, kChatTextLimit}),
                                          static_cast<controls::ChatColour>(colour), font < 0 ? 0 : font));
    if (tabs_.tab(tab).unread != wasUnread) view_.showTabs();
}

// ---------------------------------------------------------------- typing

void ChatController::enter(const std::string& input) {
    const ChatCommand parsed = controls::parseChatInput(input);
    if (parsed.action == CommandAction::Nothing) return;
    nameArenaTab();
    if (parsed.action == CommandAction::Chat) return send(parsed.argument);
    command(parsed);
}

void ChatController::send(const std::string& text) {
    const int32_t colour = static_cast<int32_t>(look_.colour);
    const int tab = tabs_.current();
    if (tab == 0) return api_.TSArenaSend_ChatToAll(text.c_str(), colour, look_.font);
    if (tabs_.isSessionTab(tab)) return api_.TSArenaSend_ChatToSession(text.c_str(), colour, look_.font);
    // The Arena does not echo a private line: it is shown at once.
    const std::string partner = tabs_.tab(tab).name;
    api_.TSArenaSend_ChatToPlayer(partner.c_str(), text.c_str(), colour, look_.font);
    addLine(tab, controls::formatChatLine(flow_.userName(), text, look_.colour, look_.font));
}

std::string ChatController::listedName(const std::string& name) const {
    const auto& rows = peers_.players.model().rows;
    const int index = rows.find(name);
    return index < 0 ? std::string() : rows.row(index).name;
}

void ChatController::command(const ChatCommand& command) {
    const auto needsListed = [&](auto action) {
        const std::string name = listedName(command.argument);
        if (name.empty()) return systemLine(Text::NoSuchPlayerForCommand, {command.word, command.argument});
        action(name);
    };
    switch (command.action) {
        case CommandAction::NoColour:
            tabs_.toggleColourOff();
            view_.showTabs();
            return;
        case CommandAction::Whois:
            return needsListed([&](const std::string& name) { peers_.playerInfo.askPlayerInfo(name); });
        case CommandAction::PrivateChat:
            return needsListed([&](const std::string& name) { openPrivate(name); });
        case CommandAction::Page: return peers_.pages.writePage(command.argument);
        case CommandAction::Join: return peers_.sessions.join(command.argument);
        case CommandAction::Leave: return peers_.sessions.leave();
        case CommandAction::Ignore:
            if (!ignore(command.argument) && !isIgnored(command.argument)) return;
            return systemLine(Text::IgnoredPlayer, command.argument);
        case CommandAction::Unignore:
            return systemLine(unignore(command.argument) ? Text::UnignoredPlayer : Text::NotIgnored,
                              command.argument);
        case CommandAction::ListIgnored: {
            std::string names;
            for (const auto& name : ignored_.names()) names += (names.empty() ? "" : ", ") + name;
            if (names.empty()) return systemLine(Text::IgnoreListEmpty);
            return systemLine(Text::IgnoreListShown, names);
        }
        case CommandAction::Moderate: {
            // The service answers privately, so its answers land in the same tab.
            const std::string service(kServiceName);
            const int before = tabs_.count();
            const int tab = tabs_.openPrivate(service, now_());
            if (tabs_.count() != before || tab != tabs_.current()) view_.showTabs();
            return send(command.argument);
        }
        case CommandAction::MissingArgument: return systemLine(Text::CommandNeedsName, command.word);
        case CommandAction::Unknown: return systemLine(Text::UnknownCommand, command.word);
        case CommandAction::Chat:
        case CommandAction::Nothing: return;
    }
}

// ---------------------------------------------------------------- tabs

void ChatController::selectTab(int index) {
    tabs_.select(index);
    view_.showTabs();
}

void ChatController::closeTab(int index) {
    if (tabs_.closeByUser(index)) view_.showTabs();
}

void ChatController::closePrivate(const std::string& name) {
    const int index = tabs_.findPrivate(name);
    if (index > 0) {
        tabs_.close(index);
        view_.showTabs();
    }
}

void ChatController::openPrivate(const std::string& name) {
    if (name.empty()) return;
    nameArenaTab();
    tabs_.openPrivate(name, now_());
    view_.showTabs();
}

void ChatController::setSessionTab(const std::string& session) {
    if (session.empty() && !tabs_.hasSessionTab()) return;
    tabs_.setSessionTab(session);
    view_.showTabs();
}

void ChatController::setPaused(bool paused) {
    tabs_.setPaused(paused);
    view_.showTabs();
}

bool ChatController::saveCurrentTab(const std::string& folder) {
    const auto& tab = tabs_.currentTab();
    return tab.pane.save(std::filesystem::path(folder) / controls::chatSaveFileName(tab.name));
}

void ChatController::reset() {
    tabs_.reset();
    view_.showTabs();
}

// ---------------------------------------------------------------- ignoring

void ChatController::enterArena() {
    if (ignoredUser_ == flow_.userName()) return;
    ignoredUser_ = flow_.userName();
    ignored_ = view_.loadIgnoreList(ignoredUser_);
}

bool ChatController::ignore(const std::string& name) {
    // Ignoring oneself or the service's answers would only hide help.
    if (name == flow_.userName() || controls::compareNoCase(name, kServiceName) == 0) return false;
    if (!ignored_.add(name)) return false;
    view_.storeIgnoreList(flow_.userName(), ignored_);
    return true;
}

bool ChatController::unignore(const std::string& name) {
    if (!ignored_.remove(name)) return false;
    view_.storeIgnoreList(flow_.userName(), ignored_);
    return true;
}

}  // namespace tessary::lobby
