#include "lobby/players_controller.h"

#include <gtest/gtest.h>

#include "../support/lobby_fixture.h"
#include "lobby/chat_controller.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;

using testing::fake;
using testing::LobbyStage;

// Ann in North with Bob and Cy.
void listed(LobbyStage& s) {
    s.inArena();
    fake().players = {{"Ann", 5}, {"Bob", 4}, {"Cy", 0}};
    s.deliver(PLAYERLIST);
}

std::string rows(LobbyStage& s) {
    std::string text;
    for (const auto& row : s.lobby.players().model().rows.rows()) {
        text += row.name + "/" + std::to_string(row.pingClass) + (row.session.empty() ? "" : "@" + row.session) + " ";
    }
    return text;
}

TEST(PlayersTable, ListMessages) {
    struct Row {
        const char* name;
        std::function<void(LobbyStage&)> given;
        int32_t type;
        testing::FakeClient::PlayerIn in;
        std::vector<std::string> calls;
        std::string rows;
    };
    const Row rows_[] = {
        {"the arena's list (22)", [](LobbyStage& s) { s.inArena(), fake().players = {{"Bob", 4}, {"Ann", 9}}; },
         PLAYERLIST, {}, {"players"}, "Bob/4 Ann/5 "},
        {"a newcomer (6)", listed, PLAYERNEW, {"Dee", 3}, {"players", "chat 29 Dee"}, "Ann/5 Bob/4 Cy/0 Dee/3 "},
        {"a newcomer listed already", listed, PLAYERNEW, {"bob", 3}, {}, "Ann/5 Bob/4 Cy/0 "},
        {"a player leaves, found without regard to case (11)", listed, PLAYERREMOVED, {"BOB", 0},
         {"chat 30 Bob", "players"}, "Ann/5 Cy/0 "},
        {"an unknown player leaves", listed, PLAYERREMOVED, {"Zed", 0}, {}, "Ann/5 Bob/4 Cy/0 "},
        {"a new ping class, bounded (54)", listed, UPDATEPLAYERINFO, {"Cy", -3}, {"players"}, "Ann/5 Bob/4 Cy/0 "},
        {"a ping class of a stranger", listed, UPDATEPLAYERINFO, {"Zed", 2}, {}, "Ann/5 Bob/4 Cy/0 "},
    };
    for (const auto& row : rows_) {
        LobbyStage stage;
        row.given(stage);
        stage.view.calls.clear();
        fake().playerIn = row.in;
        stage.deliver(row.type);
        EXPECT_EQ(stage.view.calls, row.calls) << row.name;
        EXPECT_EQ(rows(stage), row.rows) << row.name;
    }
}

TEST(PlayersTable, SortingAndSessions) {
    LobbyStage stage;
    listed(stage);
    auto& players = stage.lobby.players();
    players.setPlayerSession("Cy", "Alpha", controls::PlayerRow::kPlaying);
    players.setPlayerSession("Ann", "Beta", controls::PlayerRow::kWatching);
    players.sortBy(controls::PlayerSort::ByName);
    EXPECT_EQ(rows(stage), "Ann/5@Beta Bob/4 Cy/0@Alpha ");
    players.sortBy(controls::PlayerSort::ByName);
    EXPECT_EQ(rows(stage), "Cy/0@Alpha Bob/4 Ann/5@Beta ") << "the same column again reverses";
    players.sortBy(controls::PlayerSort::BySession);
    EXPECT_EQ(rows(stage), "Bob/4 Cy/0@Alpha Ann/5@Beta ") << "the other column sorts ascending";
    fake().playerIn = {"Abe", 5};
    stage.deliver(PLAYERNEW);
    EXPECT_EQ(rows(stage), "Bob/4 Abe/5 Cy/0@Alpha Ann/5@Beta ") << "a newcomer is put in order";
    players.highlightSession("Alpha");
    EXPECT_EQ(players.model().rows.row(2).flags, controls::PlayerRow::kPlaying | controls::PlayerRow::kHighlighted);
    EXPECT_EQ(players.model().rows.row(3).flags, controls::PlayerRow::kWatching);
}

std::vector<int> commands(const std::vector<PlayerMenuItem>& items) {
    std::vector<int> result;
    for (const auto& item : items) result.push_back(item.command);
    return result;
}

TEST(PlayersTable, MenuItemsAndCommands) {
    LobbyStage stage;
    listed(stage);
    auto& players = stage.lobby.players();
    // Rows: Ann (own), Bob, Cy.
    EXPECT_EQ(commands(players.menuFor(0)), (std::vector<int>{kMenuInformation}));
    EXPECT_EQ(commands(players.menuFor(1)),
              (std::vector<int>{kMenuInformation, kMenuAddBuddy, kMenuPrivateChat, kMenuPage, kMenuIgnore}));
    EXPECT_EQ(players.menuFor(1)[0].text, "60 Bob");
    EXPECT_TRUE(players.menuFor(-1).empty());

    players.activate(0);
    EXPECT_EQ(stage.lobby.chat().tabs().count(), 1) << "no private tab with oneself";
    players.activate(1);
    EXPECT_EQ(stage.lobby.chat().tabs().currentTab().name, "Bob");
    players.setPlayerSession("Bob", "Duel", controls::PlayerRow::kPlaying);
    EXPECT_EQ(commands(players.menuFor(1)), (std::vector<int>{kMenuInformation, kMenuAddBuddy, kMenuClosePrivateChat,
                                                              kMenuPage, kMenuJoinSession, kMenuIgnore}));
    players.setPlayerSession("Ann", "Duel", controls::PlayerRow::kPlaying);
    EXPECT_EQ(commands(players.menuFor(1)).size(), 5U) << "no joining one's own session";

    struct Row {
        const char* name;
        int command, row;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"information", kMenuInformation, 2, {"busy"}},
        {"add a buddy", kMenuAddBuddy, 2, {"storeBuddies 3"}},
        {"page", kMenuPage, 2, {"pageWrite Cy", "focusMessage"}},
        {"ignore", kMenuIgnore, 2, {"storeIgnore 1", "chat 97 Cy"}},
        {"information with no row", kMenuInformation, -1, {"message 55/56"}},
        {"join with no row", kMenuJoinSession, -1, {"message 55/57"}},
        {"private chat with no row", kMenuPrivateChat, -1, {"message 55/58"}},
        {"page with no row", kMenuPage, -1, {"message 55/59"}},
    };
    for (const auto& row : rows) {
        LobbyStage s;
        listed(s);
        s.view.calls.clear();
        s.lobby.players().runMenuCommand(row.command, row.row);
        EXPECT_EQ(s.view.calls, row.calls) << row.name;
    }
    players.runMenuCommand(kMenuIgnore, 2);
    EXPECT_EQ(commands(players.menuFor(2)).back(), kMenuUnignore);
    players.runMenuCommand(kMenuClosePrivateChat, 1);
    EXPECT_EQ(stage.lobby.chat().tabs().count(), 1);
}

TEST(PlayersTable, SessionMembersReachTheList) {
    LobbyStage stage;
    listed(stage);
    fake().sessionNew = {"Duel", "SLIMEFRAY", "Bob", 4, 0, 2, 0, 0, {}, {}};
    stage.deliver(SESSIONNEW);
    fake().otherName = "Bob";
    fake().sessionName = "Duel";
    fake().joinedAsSpectator = 0;
    stage.deliver(JOINNEW);
    EXPECT_EQ(rows(stage), "Ann/5 Bob/4@Duel Cy/0 ");

    // A whole session list, the list sorted by session: ordered once at the end.
    stage.lobby.players().sortBy(controls::PlayerSort::BySession);
    fake().sessionList = {{"Duel", "SLIMEFRAY", "Bob", 4, 2, 2, 1, 0, {"bob", "Ann"}, {}},
                          {"Alpha", "SLIMEFRAY", "Cy", 4, 1, 2, 0, 0, {"Cy"}, {}}};
    stage.view.calls.clear();
    stage.deliver(SESSIONLIST);
    EXPECT_EQ(rows(stage), "Cy/0@Alpha Ann/5@Duel Bob/4@Duel ");
    EXPECT_EQ(std::count(stage.view.calls.begin(), stage.view.calls.end(), "players"), 1);
}

}  // namespace
}  // namespace tessary::lobby
