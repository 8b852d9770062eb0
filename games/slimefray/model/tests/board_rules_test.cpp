// The board model, the map file reader, the power panel and the turn clock.
#include <gtest/gtest.h>

#include "slimefray/board_model.h"
#include "slimefray/map_file.h"
#include "slimefray/power_panel.h"
#include "slimefray/session_options.h"
#include "slimefray/turn_clock.h"

namespace tessary::slimefray {
namespace {

TEST(BoardModel, TakesTheSideOfAMapBodyAsItsSquareRootUpToFifty) {
    struct Row {
        size_t length;
        std::optional<int> side;
    };
    for (Row row : {Row{0, std::nullopt}, {1, 1}, {24, 4}, {25, 5}, {2500, 50}, {2600, 50},
                    {2601, std::nullopt}, {3'000'000, std::nullopt}}) {
        EXPECT_EQ(BoardModel::sideOfMap(row.length), row.side) << row.length;
    }
}

TEST(BoardModel, KeepsEachSlotsBlobCount) {
    BoardModel board;
    ASSERT_TRUE(board.setTiles(3, Bytes{0, 1, 2, 0, 0, 0, 9, 0, 0}));
    EXPECT_EQ(board.at(0, 1).tile, kRock);
    EXPECT_EQ(board.at(0, 2).tile, kDebris);
    EXPECT_EQ(board.at(2, 0).tile, kRock);  // a stray 9
    board.placeBlob(1, 1, 2);
    board.placeBlob(1, 2, 2);
    board.placeBlob(1, 1, 5);  // converted
    board.placeBlob(0, 0, kMineBlob);
    EXPECT_EQ(board.count(2), 1);
    EXPECT_EQ(board.count(5), 1);
    board.at(1, 2).shielded = true;
    board.removeBlob(1, 2);
    EXPECT_EQ(board.count(2), 0);
    EXPECT_FALSE(board.at(1, 2).shielded);
    EXPECT_FALSE(board.setTiles(51, Bytes(2601, 0)));
    EXPECT_FALSE(board.setTiles(3, Bytes(8, 0)));
    EXPECT_EQ(board.side(), 3);
}

MapData mapOf(const std::string& text) {
    auto map = parseMap(text);
    EXPECT_TRUE(map) << text;
    return map.value_or(MapData{});
}

std::string rowsOf(const MapData& map) {
    std::string rows;
    for (int y = 0; y < map.side; ++y) {
        for (int x = 0; x < map.side; ++x) rows += char('0' + map.columns[size_t(x) * map.side + y]);
        rows += '/';
    }
    return rows;
}

TEST(MapFile, ReadsRowsIntoColumns) {
    MapData map = mapOf("3\n012\n000\n100\n");
    EXPECT_EQ(map.side, 3);
    EXPECT_EQ(map.columns, (Bytes{0, 0, 1, 1, 0, 0, 2, 0, 0}));
    EXPECT_EQ(formatMap(map), "3\n012\n000\n100\n");
}

TEST(MapFile, AShortLineShiftsTheCellsThatFollow) {
    // Row 0 has two characters: its line end becomes cell (2,0) and the first
    // character of the next row is taken as row 0's line end, and so on.
    EXPECT_EQ(rowsOf(mapOf("3\n11\n222\n111\n")), "110/220/110/");
}

TEST(MapFile, ReadsTextModeLineEndsAndFillsAShortFileWithFloor) {
    EXPECT_EQ(rowsOf(mapOf("2\r\n12\r\n21\r\n")), "12/21/");
    EXPECT_EQ(rowsOf(mapOf("3\n111\n1")), "111/100/000/");
    EXPECT_EQ(rowsOf(mapOf("2\n75\nxy\n")), "11/00/");
}

TEST(MapFile, DefaultsToTwentyAndRefusesSidesItCannotHold) {
    EXPECT_EQ(mapOf("\n").side, 20);
    EXPECT_EQ(mapOf("").side, 20);
    EXPECT_EQ(mapOf("50\n").side, 50);
    for (const char* text : {"51\n", "0\n", "100000000000\n"}) EXPECT_FALSE(parseMap(text)) << text;
}

TEST(MapFile, TheMapNameCannotLeaveTheMapDirectory) {
    EXPECT_EQ(mapPath("/g", "Arena"), std::filesystem::path("/g/map/Arena.map"));
    for (const char* name : {"../etc", "a/b", "..", "", "c:x", "a\\b"}) EXPECT_FALSE(mapPath("/g", name)) << name;
}

TEST(PowerPanel, StepsThroughAvailableKindsWithoutWrappingAround) {
    PowerPanel panel;
    EXPECT_EQ(panel.shown(), PowerPanel::kNone);
    panel.next();
    EXPECT_EQ(panel.shown(), PowerPanel::kNone);
    panel.gain(1);
    panel.gain(3);
    EXPECT_EQ(panel.shown(), 1);  // the first one gained
    panel.previous();
    EXPECT_EQ(panel.shown(), 1);
    panel.next();
    EXPECT_EQ(panel.shown(), 3);
    panel.next();
    EXPECT_EQ(panel.shown(), 3);
    panel.previous();
    EXPECT_EQ(panel.shown(), 1);
}

TEST(PowerPanel, UsingTheShownPowerShowsTheLowestLeft) {
    PowerPanel panel;
    for (int kind : {4, 2, 3}) panel.gain(kind);
    panel.next();
    EXPECT_EQ(panel.shown(), 4);
    panel.markUsed(4);
    EXPECT_EQ(panel.shown(), 2);
    panel.markUsed(3);  // not shown: the square stays
    EXPECT_EQ(panel.shown(), 2);
    panel.markUsed(2);
    EXPECT_EQ(panel.shown(), PowerPanel::kNone);
}

TEST(TurnClock, ShowsMinutesAndSecondsPaddedToTwoDigits) {
    struct Row {
        int seconds;
        const char* text;
    };
    for (Row row : {Row{65, "01:05"}, {600, "10:00"}, {0, "00:00"}, {59, "00:59"}, {6000, "100:00"},
                    {-1, "Waiting..."}}) {
        EXPECT_EQ(formatClock(row.seconds), row.text) << row.seconds;
    }
}

TEST(TurnClock, CountsWholeSecondsSinceTheTurnArrived) {
    TurnClock clock;
    clock.begin(3, 45, 10'000);
    EXPECT_EQ(clock.remaining(10'999), 45);
    EXPECT_EQ(clock.remaining(11'000), 44);
    EXPECT_EQ(clock.remaining(56'000), -1);
    EXPECT_EQ(clock.slot(), 3);
}

TEST(SessionOptions, ReadsTheFieldsAsFarAsTheyMatch) {
    struct Row {
        const char* line;
        int a, b;
        const char* c;
        const char* map;
        int e;
        int computers = 0, level = 0;
    };
    const Row rows[] = {
        {"1 60 Lava Island 2", 1, 60, "Lava", "Island", 2},
        {"0 0 Meadow Cross 1", 0, 45, "Meadow", "Cross", 1},       // seconds must be above 0
        {"0 -5 Meadow Cross 0", 0, 45, "Meadow", "Cross", 0},
        {"0 abc Meadow Cross 0", 0, 45, "Meadow", "Cross", 0},
        {"x 60 Lava Island 2", 0, 45, "", "", 1},                 // stops at the first field
        {"1 60 Lava", 1, 60, "Lava", "", 1},
        {"1 60 ABCDEFGHIJKLMNOPQRSTUVWXYZ m 1", 1, 60, "ABCDEFGHIJKLMNOPQRSTUVWX", "m", 1},
        {"", 0, 45, "", "", 1},
        {"0 45 Lava Island 1 3 1", 0, 45, "Lava", "Island", 1, 3, 1},
        {"0 45 Lava Island 1 3", 0, 45, "Lava", "Island", 1, 3, 0},
        {"0 45 Lava Island 1 x 1", 0, 45, "Lava", "Island", 1, 0, 0},
    };
    for (const Row& row : rows) {
        SessionOptions options = parseOptionLine(row.line);
        EXPECT_EQ(options.optionA, row.a) << row.line;
        EXPECT_EQ(options.optionB, row.b) << row.line;
        EXPECT_EQ(options.optionC, row.c) << row.line;
        EXPECT_EQ(options.mapName, row.map) << row.line;
        EXPECT_EQ(options.optionE, row.e) << row.line;
        EXPECT_EQ(options.computerPlayers, row.computers) << row.line;
        EXPECT_EQ(options.computerLevel, row.level) << row.line;
    }
}

}  // namespace
}  // namespace tessary::slimefray
