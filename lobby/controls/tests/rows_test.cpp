#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/arena_rows.h"
#include "controls/player_rows.h"

namespace tessary::controls {
namespace {

TEST(ArenaRows, PingPictures) {
    const std::vector<std::pair<int, int>> rows = {{-1, 0}, {0, 5},    {150, 5}, {151, 4},
                                                   {300, 4}, {301, 3}, {500, 3}, {501, 2},
                                                   {800, 2}, {801, 1}};
    for (auto [ping, picture] : rows) EXPECT_EQ(pingPicture(ping), picture) << ping;
}

TEST(ArenaRows, JoinRefusals) {
    const std::vector<ArenaRow> arenas = {
        {"Open", "h", "3", kPingUnmeasured, kNoPingLimit},
        {"Limit300", "h", "1", 300, 300},
        {"TooFar", "h", "1", 301, 300},
        {"Unknown", "h", "1", kPingUnmeasured, 300},
    };
    struct Row {
        const char* name;
        int selected;
        JoinRefusal refusal;
        int row;
    };
    const std::vector<Row> rows = {
        {"", -1, JoinRefusal::NothingSelected, -1}, {"", 1, JoinRefusal::None, 1},
        {"Open", -1, JoinRefusal::None, 0},         {"open", -1, JoinRefusal::UnknownArena, -1},
        {"TooFar", 0, JoinRefusal::PingTooHigh, 2}, {"Unknown", -1, JoinRefusal::PingTooHigh, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const JoinDecision decision = decideJoin(arenas, row.name, row.selected);
        EXPECT_EQ(decision.refusal, row.refusal);
        EXPECT_EQ(decision.row, row.row);
    }
}

std::vector<std::string> order(const PlayerRows& rows) {
    std::vector<std::string> names;
    for (const PlayerRow& row : rows.rows()) names.push_back(row.name);
    return names;
}

TEST(PlayerRows, SortingFindingRemoving) {
    PlayerRows rows;
    rows.assign({{"carl", "B", 0, 1}, {"Anna", "c", 0, 2}, {"bob", "a", 0, 3}});
    rows.sortBy(PlayerSort::ByName);
    EXPECT_EQ(order(rows), (std::vector<std::string>{"Anna", "bob", "carl"}));
    rows.sortBy(PlayerSort::ByName);
    EXPECT_EQ(order(rows), (std::vector<std::string>{"carl", "bob", "Anna"}));
    rows.sortBy(PlayerSort::BySession);
    EXPECT_EQ(order(rows), (std::vector<std::string>{"bob", "carl", "Anna"}));

    rows.add({"Dora", "b2", 0, 0});  // lands where the order puts it
    EXPECT_EQ(order(rows), (std::vector<std::string>{"bob", "carl", "Dora", "Anna"}));
    EXPECT_EQ(rows.find("ANNA"), 3);
    EXPECT_TRUE(rows.setPingClass("DORA", 4));
    EXPECT_EQ(rows.row(2).pingClass, 4);
    EXPECT_TRUE(rows.remove("BOB"));
    EXPECT_FALSE(rows.remove("bob"));
    EXPECT_EQ(rows.find("nobody"), -1);
}

TEST(PlayerRows, ARowChangedInPlaceIsMovedWhereTheOrderPutsIt) {
    struct Row {
        int index;
        const char* session;
        std::vector<std::string> order;
    };
    // Sorted by session: a/Ann, b/Bob, c/Cy, d/Dee.
    const Row rows_[] = {
        {0, "z", {"Bob", "Cy", "Dee", "Ann"}}, {3, "", {"Dee", "Ann", "Bob", "Cy"}},
        {1, "c", {"Ann", "Cy", "Bob", "Dee"}}, {2, "c", {"Ann", "Bob", "Cy", "Dee"}},
        {2, "a", {"Ann", "Cy", "Bob", "Dee"}},
    };
    for (const auto& row : rows_) {
        PlayerRows rows;
        rows.assign({{"Ann", "a", 0, 0}, {"Bob", "b", 0, 0}, {"Cy", "c", 0, 0}, {"Dee", "d", 0, 0}});
        rows.sortBy(PlayerSort::BySession);
        rows.row(row.index).session = row.session;
        const int moved = rows.reposition(row.index);
        EXPECT_EQ(order(rows), row.order) << row.index << " " << row.session;
        EXPECT_EQ(rows.row(moved).session, row.session);
    }
}

}  // namespace
}  // namespace tessary::controls
