// The router view's list of Routers and arenas with their pings (types 78 and
// 18, the arena ping rounds) and the choice of an arena to join.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct ArenaEntry {
    std::string name;
    std::string host;
    int32_t players{0};
    int32_t maxPing{0};
};

struct ArenaListModel {
    std::vector<ArenaEntry> arenas;
    std::string selected;
};

class ArenaListView {
public:
    virtual ~ArenaListView() = default;
    virtual void stopPingTimer() = 0;
};

class ArenaListController {
public:
    explicit ArenaListController(ArenaListView& view) : view_(view) {}

    // Types 78 and 18 are claimed when the list is built; until then the
    // dispatcher drops them.
    void registerWith(Dispatcher&) {}

    // The lobby leaves the Router for good (log out): no more ping rounds.
    void stopPings() { view_.stopPingTimer(); }
    const ArenaListModel& model() const { return model_; }

private:
    ArenaListView& view_;
    ArenaListModel model_;
};

}  // namespace tessary::lobby
