#include "lobby/lobby.h"

namespace tessary::lobby {

Lobby::Lobby(const ClientApi& api, const LobbyViews& views)
    : arenaList_(api, views.arenaList, views.main, flow_),
      chat_(api, views.main, views.chat, flow_, {players_, sessions_, pages_, playerInfo_}),
      players_(api, views.main, views.players, flow_, {chat_, sessions_, pages_, playerInfo_}),
      sessions_(api, flow_, chat_, views.sessions),
      news_(api, views.news),
      flow_(api, views.main, views.account, busy_, dispatcher_, {arenaList_, chat_, players_}),
      pages_(api, flow_, views.pages),
      playerInfo_(api, flow_, views.playerInfo),
      account_(api, flow_, views.main, views.account, playerInfo_) {
    sessions_.setPlayers(players_);
    pages_.setIgnoreCheck([this](std::string_view name) { return chat_.isIgnored(name); });
    busy_.setListener([&main = views.main](bool busy) { main.setBusyCursor(busy); });
    account_.registerWith(dispatcher_);
    arenaList_.registerWith(dispatcher_);
    chat_.registerWith(dispatcher_);
    players_.registerWith(dispatcher_);
    sessions_.registerWith(dispatcher_);
    pages_.registerWith(dispatcher_);
    news_.registerWith(dispatcher_);
    playerInfo_.registerWith(dispatcher_);
}

}  // namespace tessary::lobby
