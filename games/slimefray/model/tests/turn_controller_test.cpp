#include "slimefray/turn_controller.h"

#include <gtest/gtest.h>

namespace tessary::slimefray {
namespace {

// '.' floor, '#' obstacle, '0'..'7' blobs, 'm' own mine, 'i' an item on floor.
struct Desk {
    explicit Desk(const std::vector<std::string>& rows, int mySlot = 0) {
        int side = int(rows.size());
        Bytes columns(size_t(side) * size_t(side), 0);
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) columns[size_t(x) * side + y] = rows[size_t(y)][size_t(x)] == '#';
        }
        EXPECT_TRUE(board.setTiles(side, columns));
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                char c = rows[size_t(y)][size_t(x)];
                if (c >= '0' && c <= '7') board.placeBlob(x, y, int8_t(c - '0'));
                if (c == 'm') board.placeBlob(x, y, kMineBlob);
                if (c == 'i') board.at(x, y).item = 2;
            }
        }
        controller.setMySlot(mySlot);
        controller.beginMyTurn();
    }

    std::vector<std::string> highlights() const {
        std::vector<std::string> rows;
        for (int y = 0; y < board.side(); ++y) {
            std::string row;
            for (int x = 0; x < board.side(); ++x) row += board.at(x, y).highlighted ? '*' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    std::vector<uint8_t> sentTypes() const {
        std::vector<uint8_t> types;
        for (const Request& r : outbox) types.push_back(r.type);
        return types;
    }
    void click(int x, int y, bool animating = false) { controller.clickCell(x, y, animating, 17); }
    void withPower(Power power) {
        panel.gain(int(power));
        while (panel.shown() < int(power)) panel.next();
        controller.clickPowerSquare(false);
        ASSERT_TRUE(controller.powerMode());
    }

    BoardModel board;
    PowerPanel panel;
    std::vector<Request> outbox;
    TurnController controller{board, panel, outbox};
};

TEST(Selection, HighlightsTheFiveByFiveSquareClippedInACorner) {
    Desk d({"0#....", ".1....", "..m...", "......", "......", "......"});
    d.click(0, 0);
    EXPECT_TRUE(d.controller.pending());
    EXPECT_EQ(d.highlights(), (std::vector<std::string>{"*.*...", "*.*...", "***...", "......", "......", "......"}));
}

TEST(Selection, ClicksThatSelectNothing) {
    struct Row {
        const char* name;
        int x, y;
    };
    for (Row row : {Row{"obstacle", 1, 0}, {"enemy blob", 1, 1}, {"empty floor", 3, 3}, {"outside", 9, 9}}) {
        Desk d({"0#..", ".1..", "....", "...."});
        d.click(row.x, row.y);
        EXPECT_FALSE(d.controller.pending()) << row.name;
        EXPECT_EQ(d.highlights(), (std::vector<std::string>{"....", "....", "....", "...."})) << row.name;
    }
}

TEST(Selection, NothingHappensOutOfTurnOrWhileAnimating) {
    Desk d({"0...", "....", "....", "...."});
    d.click(0, 0, true);
    EXPECT_FALSE(d.controller.pending());
    d.controller.endTurn(0);
    d.outbox.clear();
    d.click(0, 0);
    EXPECT_FALSE(d.controller.pending());
    EXPECT_TRUE(d.outbox.empty());
}

TEST(Selection, ASecondClickMovesOrCancels) {
    Desk d({"0...", "....", "....", "...."});
    d.click(0, 0);
    d.click(0, 0);  // the source again: cancelled
    EXPECT_FALSE(d.controller.pending());
    d.click(0, 0);
    d.click(3, 3);  // not highlighted: cleared
    EXPECT_FALSE(d.controller.pending());
    EXPECT_TRUE(d.outbox.empty());
    d.click(0, 0);
    d.click(2, 1);
    ASSERT_EQ(d.sentTypes(), (std::vector<uint8_t>{kMove, kTurn}));
    auto move = MoveRecord::decode(d.outbox[0].body);
    EXPECT_EQ(move->jump, 1);
    EXPECT_EQ(move->toX, 2);
    EXPECT_EQ(move->converted[0], (CellRef{-2, -2}));
    EXPECT_EQ(d.outbox[1].body, int32Body({17}));
    EXPECT_FALSE(d.controller.myTurn());
    EXPECT_EQ(d.highlights()[0], "....");
}

TEST(Selection, AnOwnMineIsATarget) {
    Desk d({"0m..", "....", "....", "...."});
    d.click(0, 0);
    d.click(1, 0);
    EXPECT_EQ(MoveRecord::decode(d.outbox[0].body)->jump, 0);
}

TEST(Powers, TargetsAreCheckedBeforeSending) {
    struct Row {
        const char* name;
        Power power;
        int x, y;
        bool sent;
    };
    const Row rows[] = {
        {"mine on free floor", Power::Mine, 3, 3, true},
        {"mine on an item", Power::Mine, 2, 2, false},
        {"mine on a blob", Power::Mine, 1, 1, false},
        {"mine on an obstacle", Power::Mine, 1, 0, false},
        {"mine on an own mine", Power::Mine, 3, 0, false},
        {"kamikaze on an own blob", Power::Kamikaze, 0, 0, true},
        {"kamikaze on a shielded own blob", Power::Kamikaze, 0, 3, false},
        {"kamikaze on an enemy", Power::Kamikaze, 1, 1, false},
        {"cyclone on an enemy", Power::Cyclone, 1, 1, true},
        {"cyclone on an obstacle", Power::Cyclone, 1, 0, false},
        {"hyper on an own blob", Power::Hyper, 0, 0, true},
        {"hyper on an enemy", Power::Hyper, 1, 1, false},
    };
    for (const Row& row : rows) {
        Desk d({"0#.m", ".1..", "..i.", "0..."});
        d.board.at(0, 3).shielded = true;
        d.withPower(row.power);
        d.click(row.x, row.y);
        if (!row.sent) {
            EXPECT_TRUE(d.outbox.empty()) << row.name;
            EXPECT_TRUE(d.controller.powerMode()) << row.name;
            continue;
        }
        ASSERT_EQ(d.sentTypes(), (std::vector<uint8_t>{kPower, kTurn})) << row.name;
        auto power = PowerRecord::decode(d.outbox[0].body);
        EXPECT_EQ(power->code, powerCode(row.power)) << row.name;
        EXPECT_EQ(power->x, row.x) << row.name;
        EXPECT_FALSE(d.panel.isAvailable(int(row.power))) << row.name;
        EXPECT_FALSE(d.controller.powerMode()) << row.name;
    }
}

TEST(Powers, HyperMarksTheShieldAtOnce) {
    Desk d({"0...", "....", "....", "...."});
    d.withPower(Power::Hyper);
    d.click(0, 0);
    EXPECT_TRUE(d.board.at(0, 0).shielded);
}

TEST(Powers, ThePowerSquareTogglesOnlyWithAShownPowerDuringTheTurn) {
    Desk d({"0...", "....", "....", "...."});
    d.controller.clickPowerSquare(false);
    EXPECT_FALSE(d.controller.powerMode());
    d.panel.gain(2);
    d.controller.clickPowerSquare(true);
    EXPECT_FALSE(d.controller.powerMode());
    d.click(0, 0);
    d.controller.clickPowerSquare(false);
    EXPECT_TRUE(d.controller.powerMode());
    EXPECT_EQ(d.controller.powerCode(), 52);
    EXPECT_FALSE(d.controller.pending());  // the selection was cleared
    d.controller.clickPowerSquare(false);
    EXPECT_FALSE(d.controller.powerMode());
}

TEST(Teleport, SendsTheTargetTheConfirmationTheMoveAndTheEnd) {
    Desk d({"0...", "....", "..1.", "...."});
    d.withPower(Power::Teleport);
    d.click(3, 3);  // not an own blob: nothing
    EXPECT_FALSE(d.controller.teleportMode());
    d.click(0, 0);
    EXPECT_TRUE(d.controller.teleportMode());
    d.click(2, 2);  // a blob: keeps waiting
    EXPECT_TRUE(d.outbox.empty());
    d.click(3, 3);
    ASSERT_EQ(d.sentTypes(), (std::vector<uint8_t>{kPower, kPower, kMove, kTurn}));
    EXPECT_EQ(*PowerRecord::decode(d.outbox[0].body), (PowerRecord{3, 3, 54, {}}));
    EXPECT_EQ(*PowerRecord::decode(d.outbox[1].body), (PowerRecord{0, 0, 54, {}}));
    auto move = MoveRecord::decode(d.outbox[2].body);
    EXPECT_EQ(move->teleport, 1);
    EXPECT_EQ(move->jump, 0);  // three cells: not a jump
    EXPECT_EQ(move->fromX, 0);
    EXPECT_FALSE(d.panel.isAvailable(4));
}

TEST(Teleport, ClickingTheSourceAgainCancelsPowerMode) {
    Desk d({"0...", "....", "....", "...."});
    d.withPower(Power::Teleport);
    d.click(0, 0);
    d.click(0, 0);
    EXPECT_FALSE(d.controller.teleportMode());
    EXPECT_FALSE(d.controller.powerMode());
    EXPECT_TRUE(d.panel.isAvailable(4));
    EXPECT_TRUE(d.outbox.empty());
}

TEST(EndTurn, TheCommandEndsOnlyTheLocalTurnWithoutAnimation) {
    Desk d({"0...", "....", "....", "...."});
    d.controller.endTurnCommand(true, 5);
    EXPECT_TRUE(d.outbox.empty());
    d.controller.endTurnCommand(false, 5);
    ASSERT_EQ(d.sentTypes(), (std::vector<uint8_t>{kTurn}));
    EXPECT_EQ(d.outbox[0].body, int32Body({5}));
    d.controller.endTurnCommand(false, 5);
    EXPECT_EQ(d.outbox.size(), 1u);
}

}  // namespace
}  // namespace tessary::slimefray
