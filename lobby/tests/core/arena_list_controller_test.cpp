#include "lobby/arena_list_controller.h"

#include <gtest/gtest.h>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;

using testing::fake;
using testing::LobbyStage;

// Two arenas on the Router: North without a ping limit, South limited to 300.
void twoArenas(LobbyStage& s) {
    s.loggedIn();
    fake().arenas = {{"North", "10.0.0.1", 12, -1}, {"South", "10.0.0.2", 3, 300}};
    s.deliver(SERVERSLIST);
}

auto withPings(std::map<std::string, int32_t> pings) {
    return [pings](LobbyStage& s) {
        twoArenas(s);
        fake().pings = pings;
        s.lobby.arenaList().refreshPings();
    };
}

auto join(std::string name, int selected = -1) {
    return [name, selected](LobbyStage& s) { s.lobby.arenaList().join(name, selected); };
}

TEST(ArenaListTable, ListsPingsAndJoins) {
    const auto deliver = [](int32_t type) { return [type](LobbyStage& s) { s.deliver(type); }; };
    const testing::Row rows[] = {
        {"router list marks the current Router (78)",
         [](LobbyStage& s) {
             s.loggedIn();
             fake().routers = {{"East", "10.1.1.1", 0, 7000}, {"Home", "127.0.0.1", 0, 7000}};
         },
         deliver(ROUTEURLIST), {"routers 2 current 1"}},
        {"arena list starts the ping round (18)",
         [](LobbyStage& s) {
             s.loggedIn();
             fake().arenas = {{"North", "10.0.0.1", 12, -1}, {"South", "10.0.0.2", 3, 300}};
         },
         deliver(SERVERSLIST), {"arenas North/12 South/3", "startPings"}},
        {"an empty arena list stops it (18)", [](LobbyStage& s) { s.loggedIn(); },
         deliver(SERVERSLIST), {"arenas", "stopPings"}},
        {"ping round: an unmeasured arena keeps its row", twoArenas,
         [](LobbyStage& s) {
             fake().pings = {{"South", 151}};
             s.lobby.arenaList().refreshPings();
         },
         {"ping 1 151"}},
        {"join by name without a limit", twoArenas, join("North"), {"stopPings", "busy"}},
        {"join the selected row", withPings({{"South", 300}}), join("", 1),
         {"stopPings", "busy"}},
        {"nothing selected", twoArenas, join(""), {"message 14/15"}},
        {"an arena not in the list", twoArenas, join("north"), {"message 16/15"}},
        {"ping not measured yet", twoArenas, join("South"), {"message 18/15"}},
        {"ping above the limit", withPings({{"South", 301}}), join("South"), {"message 18/15"}},
    };
    testing::runRows(rows);

    // Choosing a Router (even the one in use) logs in there again.
    for (int chosen : {0, 1}) {
        LobbyStage s;
        twoArenas(s);
        fake().routers = {{"East", "10.1.1.1", 0, 7100}, {"Home", "127.0.0.1", 0, 7000}};
        s.deliver(ROUTEURLIST);
        s.lobby.arenaList().chooseRouter(chosen);
        EXPECT_TRUE(s.lobby.arenaList().model().arenas.empty());
        ASSERT_EQ(fake().connects.size(), 1U);
        EXPECT_EQ(fake().connects[0].host, chosen == 0 ? "10.1.1.1" : "127.0.0.1");
        EXPECT_EQ(fake().connects[0].port, chosen == 0 ? 7100 : 7000);
        EXPECT_EQ(fake().disconnects, 1);
        ASSERT_EQ(fake().logins.size(), 1U);
        EXPECT_EQ(fake().logins[0].reason, 1);
        EXPECT_EQ(s.flow.routerHost(), fake().connects[0].host);
    }
    LobbyStage stage;
    withPings({{"North", 40}})(stage);
    EXPECT_EQ(fake().pinged, (std::vector<std::string>{"North", "South"}));
}

}  // namespace
}  // namespace tessary::lobby
