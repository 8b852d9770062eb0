#include "lobby/arena_list_controller.h"

#include "lobby/lobby_flow.h"
#include "lobby/text_out.h"

namespace tessary::lobby {

namespace {
// A hostile Router must not grow the lists without end.
constexpr int kMaxEntries = 1000;
// A name is shown on one line; the same rule makes the name a found player's
// arena is matched by.
constexpr TextBounds kNameBounds{1, 255};
}  // namespace

void ArenaListController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::ROUTEURLIST, [this] { onRouterList(); });
    dispatcher.on(protocol::SERVERSLIST, [this] { onArenaList(); });
}

void ArenaListController::onRouterList() {
    model_.routers.clear();
    int current = -1;
    TextOut name, host;
    int32_t port = 0;
    while (static_cast<int>(model_.routers.size()) < kMaxEntries &&
           api_.TSRouterRcv_GetNextRouter(name.data(), host.data(), &port) != 0) {
        RouterEntry entry{boundedServerText(name.text(), kNameBounds), host.field(255), port};
        if (entry.host == flow_.routerHost() && entry.port == flow_.routerPort()) {
            current = static_cast<int>(model_.routers.size());
        }
        model_.routers.push_back(std::move(entry));
    }
    view_.showRouters(model_.routers, current);
}

void ArenaListController::onArenaList() {
    model_.arenas.clear();
    api_.TSRouter_StopAllPingProcessings();
    TextOut name, host;
    int32_t players = 0, maxPing = 0;
    while (static_cast<int>(model_.arenas.size()) < kMaxEntries &&
           api_.TSRouterRcv_GetNextArena(name.data(), host.data(), &players, &maxPing) != 0) {
        controls::ArenaRow row;
        row.name = boundedServerText(name.text(), kNameBounds);
        row.host = host.field(255);
        row.countText = std::to_string(players);
        row.maximumPing = maxPing < 0 ? controls::kNoPingLimit : maxPing;
        api_.TSRouter_AddArenaPingProcessing(row.name.c_str(), row.host.c_str());
        model_.arenas.push_back(std::move(row));
    }
    view_.showArenas(model_.arenas);
    if (model_.arenas.empty()) {
        view_.stopPingTimer();
    } else {
        view_.startPingTimer();
    }
}

void ArenaListController::refreshPings() {
    for (std::size_t i = 0; i < model_.arenas.size(); ++i) {
        auto& row = model_.arenas[i];
        int32_t ping = controls::kPingUnmeasured;
        if (api_.TSRouter_GetArenaPing(row.name.c_str(), &ping) == 0) continue;
        row.ping = ping < 0 ? controls::kPingUnmeasured : ping;
        view_.showPing(static_cast<int>(i), row.ping);
    }
}

void ArenaListController::chooseRouter(int index) {
    if (index < 0 || index >= static_cast<int>(model_.routers.size())) return;
    const RouterEntry chosen = model_.routers[static_cast<std::size_t>(index)];
    model_.arenas.clear();
    api_.TSRouter_StopAllPingProcessings();
    view_.stopPingTimer();
    view_.showArenas(model_.arenas);
    flow_.setRouter(chosen.host, chosen.port);
    flow_.disconnect();
    flow_.relogin(LoginReason::Normal);
}

void ArenaListController::join(const std::string& name, int selected) {
    const auto decision = controls::decideJoin(model_.arenas, name, selected);
    switch (decision.refusal) {
        case controls::JoinRefusal::NothingSelected:
            messages_.showMessage(Text::SelectArenaFirst, Text::TitleArena);
            return;
        case controls::JoinRefusal::UnknownArena:
            messages_.showMessage(Text::NoSuchArena, Text::TitleArena);
            return;
        case controls::JoinRefusal::PingTooHigh:
            messages_.showMessage(Text::ArenaPingNotReady, Text::TitleArena);
            return;
        case controls::JoinRefusal::None:
            break;
    }
    view_.stopPingTimer();
    flow_.joinArena(model_.arenas[static_cast<std::size_t>(decision.row)].name);
}

}  // namespace tessary::lobby
