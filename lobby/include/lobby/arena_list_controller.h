// The router view's list of Routers and arenas with their pings (types 78 and
// 18, the arena ping rounds) and the choice of an arena to join.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/arena_rows.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"
#include "lobby/lobby_view.h"

namespace tessary::lobby {

class LobbyFlow;

struct RouterEntry {
    std::string name;
    std::string host;
    int32_t port{0};
};

struct ArenaListModel {
    std::vector<RouterEntry> routers;
    std::vector<controls::ArenaRow> arenas;
};

class ArenaListView {
public:
    virtual ~ArenaListView() = default;
    // The Router names; `current` is the index of the Router in use or -1.
    virtual void showRouters(const std::vector<RouterEntry>& routers, int current) = 0;
    // New rows: nothing selected, first row at the top.
    virtual void showArenas(const std::vector<controls::ArenaRow>& rows) = 0;
    virtual void showPing(int row, int ping) = 0;
    // The 2-second ping round.
    virtual void startPingTimer() = 0;
    virtual void stopPingTimer() = 0;
};

inline constexpr int kPingPeriodMs = 2000;

class ArenaListController {
public:
    // `flow` is only used after construction (the lobby builds it later).
    ArenaListController(const ClientApi& api, ArenaListView& view, MessageView& messages,
                        LobbyFlow& flow)
        : api_(api), view_(view), messages_(messages), flow_(flow) {}

    void registerWith(Dispatcher& dispatcher);

    // One tick of the ping timer: every row's latest ping.
    void refreshPings();
    // Joins `name`, or the row `selected` when the name is empty (the join
    // button and a double click), unless one of the three refusals applies.
    void join(const std::string& name, int selected = -1);
    // The player chose Router `index` in the list (even the current one): the
    // lobby logs in there again and that Router sends its own lists.
    void chooseRouter(int index);
    // The lobby leaves the Router for good (log out): no more ping rounds.
    void stopPings() { view_.stopPingTimer(); }
    const ArenaListModel& model() const { return model_; }

private:
    void onRouterList();
    void onArenaList();

    const ClientApi& api_;
    ArenaListView& view_;
    MessageView& messages_;
    LobbyFlow& flow_;
    ArenaListModel model_;
};

}  // namespace tessary::lobby
