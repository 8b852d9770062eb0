#include "lobby/players_controller.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "lobby/chat_controller.h"
#include "lobby/lobby_flow.h"
#include "lobby/pages_controller.h"
#include "lobby/player_info_controller.h"
#include "lobby/sessions_controller.h"
#include "lobby/text_out.h"

namespace tessary::lobby {
namespace {

// Player names are at most 15 characters; a longer one from the network is
// cut where the list would stop showing it anyway.
constexpr std::size_t kPlayerNameLimit = 64;

// Names compare without regard to case.
std::string folded(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

int pingClass(int32_t value) { return std::clamp<int32_t>(value, 0, 5); }

}  // namespace

void PlayersController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::PLAYERLIST, [this] { onList(); });
    dispatcher.on(protocol::PLAYERNEW, [this] { onNew(); });
    dispatcher.on(protocol::PLAYERREMOVED, [this] { onRemoved(); });
    dispatcher.on(protocol::UPDATEPLAYERINFO, [this] { onUpdate(); });
}

std::string PlayersController::readName(const char* buffer) const {
    return boundedServerText(textFromBuffer(buffer, kTextOutSize), {1, kPlayerNameLimit});
}

bool PlayersController::isOwn(const controls::PlayerRow& row) const {
    return controls::compareNoCase(row.name, flow_.userName()) == 0;
}

void PlayersController::enterArena() {
    model_.rows.assign({});
    peers_.chat.enterArena();
    view_.prepareArena();
}

// ---------------------------------------------------------------- messages

void PlayersController::onList() {
    std::vector<controls::PlayerRow> rows;
    TextOut name;
    int32_t ping = 0;
    while (static_cast<int>(rows.size()) < kMaxPlayerRows && api_.TSArenaRcv_GetNextPlayer(name.data(), &ping) != 0) {
        rows.push_back({readName(name.data()), {}, 0, pingClass(ping)});
    }
    model_.rows.assign(std::move(rows));
    view_.showPlayers();
}

void PlayersController::onNew() {
    TextOut name;
    int32_t ping = 0;
    if (api_.TSArenaRcv_PlayerNew(name.data(), &ping) == 0) return;
    const std::string player = readName(name.data());
    // A name already listed (the Arena's list crossed the announcement) is
    // not listed twice.
    if (model_.rows.find(player) >= 0 || model_.rows.count() >= kMaxPlayerRows) return;
    model_.rows.add({player, {}, 0, pingClass(ping)});
    view_.showPlayers();
    peers_.chat.systemLine(Text::EnteredArena, player);
}

void PlayersController::onRemoved() {
    TextOut name;
    if (api_.TSArenaRcv_PlayerRemoved(name.data()) == 0) return;
    const int index = model_.rows.find(readName(name.data()));
    if (index < 0) return;
    const std::string listed = model_.rows.row(index).name;
    peers_.chat.systemLine(Text::LeftArenaPlayer, listed);
    model_.rows.remove(listed);
    view_.showPlayers();
}

void PlayersController::onUpdate() {
    TextOut name;
    int32_t ping = 0;
    if (api_.TSArenaRcv_UpdatePlayerInfo(name.data(), &ping) == 0) return;
    if (model_.rows.setPingClass(readName(name.data()), pingClass(ping))) view_.showPlayers();
}

// ---------------------------------------------------------------- commands

void PlayersController::sortBy(controls::PlayerSort column) {
    model_.rows.sortBy(column);
    view_.showPlayers();
}

void PlayersController::activate(int row) {
    if (row < 0 || row >= model_.rows.count()) return;
    const auto& player = model_.rows.row(row);
    if (!isOwn(player)) peers_.chat.openPrivate(player.name);
}

std::vector<PlayerMenuItem> PlayersController::menuFor(int row) const {
    if (row < 0 || row >= model_.rows.count()) return {};
    const auto& player = model_.rows.row(row);
    std::vector<PlayerMenuItem> items;
    const auto item = [&](int command, Text text) { items.push_back({command, view_.menuText(text, player.name)}); };
    item(kMenuInformation, Text::PlayerInformationMenu);
    if (isOwn(player)) return items;
    item(kMenuAddBuddy, Text::AddBuddyMenu);
    if (peers_.chat.tabs().findPrivate(player.name) < 0) {
        item(kMenuPrivateChat, Text::PrivateChatMenu);
    } else {
        item(kMenuClosePrivateChat, Text::ClosePrivateChatPlayerMenu);
    }
    item(kMenuPage, Text::PagePlayerMenu);
    const controls::PlayerRow* own = nullptr;
    for (const auto& r : model_.rows.rows()) {
        if (isOwn(r)) own = &r;
    }
    if (!player.session.empty() && (own == nullptr || own->session != player.session)) {
        item(kMenuJoinSession, Text::JoinPlayersSessionMenu);
    }
    item(peers_.chat.isIgnored(player.name) ? kMenuUnignore : kMenuIgnore,
         peers_.chat.isIgnored(player.name) ? Text::UnignoreMenu : Text::IgnoreMenu);
    return items;
}

void PlayersController::runMenuCommand(int command, int row) {
    if (row < 0 || row >= model_.rows.count()) {
        const Text title = command == kMenuInformation    ? Text::TitlePlayerInformation
                           : command == kMenuJoinSession  ? Text::TitleJoinSession
                           : command == kMenuPage         ? Text::TitlePage
                                                          : Text::TitlePrivateChat;
        messages_.showMessage(Text::SelectPlayerFirst, title);
        return;
    }
    // Copied: the commands below may change the rows.
    const controls::PlayerRow player = model_.rows.row(row);
    switch (command) {
        case kMenuInformation: return peers_.playerInfo.askPlayerInfo(player.name);
        case kMenuAddBuddy: return peers_.pages.addBuddy(player.name);
        case kMenuPrivateChat: return peers_.chat.openPrivate(player.name);
        case kMenuClosePrivateChat: return peers_.chat.closePrivate(player.name);
        case kMenuPage: return peers_.pages.writePage(player.name);
        case kMenuJoinSession: return peers_.sessions.join(player.session);
        case kMenuIgnore:
            if (peers_.chat.ignore(player.name)) peers_.chat.systemLine(Text::IgnoredPlayer, player.name);
            return;
        case kMenuUnignore:
            if (peers_.chat.unignore(player.name)) peers_.chat.systemLine(Text::UnignoredPlayer, player.name);
            return;
        default: return;
    }
}

// ---------------------------------------------------------------- sessions

void PlayersController::setPlayerSession(const std::string& name, const std::string& session, int flags) {
    int index = -1;
    if (orderHolds_ > 0) {
        const auto held = heldRows_.find(folded(name));
        if (held != heldRows_.end()) index = held->second;
    } else {
        index = model_.rows.find(name);
    }
    if (index < 0) return;
    controls::PlayerRow& row = model_.rows.row(index);
    row.session = session;
    row.flags = flags & (controls::PlayerRow::kHighlighted | controls::PlayerRow::kPlaying |
                         controls::PlayerRow::kWatching);
    if (orderHolds_ > 0) {
        orderStale_ = true;
        return;
    }
    if (model_.rows.sortColumn() == controls::PlayerSort::BySession) model_.rows.reposition(index);
    view_.showPlayers();
}

void PlayersController::orderHeld() {
    heldRows_.clear();
    for (int i = 0; i < model_.rows.count(); ++i) heldRows_.emplace(folded(model_.rows.row(i).name), i);
}

void PlayersController::orderReleased() {
    heldRows_.clear();
    if (!std::exchange(orderStale_, false)) return;
    model_.rows.resort();
    view_.showPlayers();
}

void PlayersController::highlightSession(const std::string& session) {
    std::vector<controls::PlayerRow> rows = model_.rows.rows();
    for (auto& row : rows) {
        const bool member = !session.empty() && row.session == session;
        row.flags = member ? row.flags | controls::PlayerRow::kHighlighted
                           : row.flags & ~controls::PlayerRow::kHighlighted;
    }
    model_.rows.assign(std::move(rows));
    view_.showPlayers();
}

}  // namespace tessary::lobby
