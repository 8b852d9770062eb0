// The lobby without its windows: the connection state machine, the feature
// controllers and the dispatcher they register with. The main window builds
// one over its views; tests build one over recorders.
#pragma once

#include "lobby/account_controller.h"
#include "lobby/arena_list_controller.h"
#include "lobby/busy_count.h"
#include "lobby/chat_controller.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_flow.h"
#include "lobby/news_controller.h"
#include "lobby/pages_controller.h"
#include "lobby/player_info_controller.h"
#include "lobby/players_controller.h"
#include "lobby/sessions_controller.h"

namespace tessary::lobby {

struct LobbyViews {
    LobbyView& main;
    AccountView& account;
    ArenaListView& arenaList;
    ChatView& chat;
    PlayersView& players;
    SessionsView& sessions;
    PagesView& pages;
    NewsView& news;
    PlayerInfoView& playerInfo;
};

// The views of the controllers beside the account, in one base for a class
// that stands in for them all (the main window until their widgets come).
// The sessions have their own view (SessionScreens).
class ArenaAndSideViews : public ArenaListView,
                          public ChatView,
                          public PlayersView,
                          public NewsView {};

// Every view at once, for a recorder that stands for all the windows in tests.
class AllLobbyViews : public LobbyView,
                      public AccountView,
                      public ArenaAndSideViews,
                      public SessionsView,
                      public PagesView,
                      public PlayerInfoView {
public:
    LobbyViews views() { return {*this, *this, *this, *this, *this, *this, *this, *this, *this}; }
};

class Lobby {
public:
    Lobby(const ClientApi& api, const LobbyViews& views);
    Lobby(const Lobby&) = delete;
    Lobby& operator=(const Lobby&) = delete;

    LobbyFlow& flow() { return flow_; }
    AccountController& account() { return account_; }
    ArenaListController& arenaList() { return arenaList_; }
    ChatController& chat() { return chat_; }
    PlayersController& players() { return players_; }
    SessionsController& sessions() { return sessions_; }
    PagesController& pages() { return pages_; }
    PlayerInfoController& playerInfo() { return playerInfo_; }
    BusyCount& busy() { return busy_; }
    const Dispatcher& dispatcher() const { return dispatcher_; }

private:
    BusyCount busy_;
    Dispatcher dispatcher_{busy_};
    ArenaListController arenaList_;
    ChatController chat_;
    PlayersController players_;
    SessionsController sessions_;
    NewsController news_;
    LobbyFlow flow_;
    PagesController pages_;
    PlayerInfoController playerInfo_;
    AccountController account_;
};

}  // namespace tessary::lobby
