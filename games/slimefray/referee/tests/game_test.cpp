#include "slimefray/game.h"

#include <gtest/gtest.h>

#include "board_picture.h"

namespace tessary::slimefray {
namespace {

using testing::boardFrom;
using testing::quietRules;
using testing::moveRequest;
using testing::ofType;
using testing::pictureOf;
using testing::powerRequest;
using Rows = std::vector<std::string>;

struct Table {
    Table(const Rows& rows, int slots, GameSettings rules = quietRules(), uint32_t seed = 7)
        : game(boardFrom(rows), slots, rules, seed) {
        game.start(now, out);
    }

    Verdict move(int slot, int fromX, int fromY, int toX, int toY) {
        out.clear();
        return game.move(slot, moveRequest(fromX, fromY, toX, toY), now, out);
    }
    Verdict power(int slot, int x, int y, Power power) {
        out.clear();
        return game.usePower(slot, powerRequest(x, y, power), now, out);
    }
    Verdict end(int slot, int remaining = 0) {
        out.clear();
        return game.endTurn(slot, remaining, now, out);
    }
    MoveRecord lastMove() const {
        auto moves = ofType(out, kMove);
        EXPECT_EQ(moves.size(), 1u);
        return moves.empty() ? MoveRecord{} : *MoveRecord::decode(moves.front()->body);
    }
    PowerRecord lastPower() const {
        auto powers = ofType(out, kPower);
        EXPECT_EQ(powers.size(), 1u);
        return powers.empty() ? PowerRecord{} : *PowerRecord::decode(powers.front()->body);
    }
    Rows picture() const { return pictureOf(game.board()); }

    Game game;
    Outbox out;
    int64_t now = 1000;
};

TEST(GameStart, AnnouncesEveryBlobAndGivesSlotZeroTheFirstTurn) {
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    EXPECT_EQ(ofType(t.out, kBlob).size(), 2u);
    auto turn = ofType(t.out, kTurnBegins);
    ASSERT_EQ(turn.size(), 1u);
    EXPECT_EQ(turn[0]->body, int32Body({45, 0}));
    auto yours = ofType(t.out, kTurn);
    ASSERT_EQ(yours.size(), 1u);
    EXPECT_EQ(yours[0]->slot, 0);
}

TEST(GameStart, PlacesFirstBlobsNearTheCornersAvoidingObstacles) {
    Game game(boardFrom({"#....", ".....", ".....", ".....", "....."}), 4, quietRules(), 1);
    Outbox out;
    game.start(0, out);
    EXPECT_EQ(pictureOf(game.board()), (Rows{"#0..2", ".....", ".....", ".....", "3...1"}));
}

TEST(Moves, ACopyKeepsTheSourceAndConvertsAdjacentEnemies) {
    Table t({"0....", ".11..", ".1...", ".....", "1...."}, 2);
    ASSERT_TRUE(t.move(0, 0, 0, 1, 0));
    EXPECT_EQ(t.picture()[0], "00...");
    EXPECT_EQ(t.picture()[1], ".00..");
    EXPECT_EQ(t.picture()[2], ".1...");  // two rows away: untouched
    MoveRecord move = t.lastMove();
    EXPECT_EQ(move.jump, 0);
    EXPECT_EQ(move.slot, 0);
    EXPECT_EQ(move.destroyed, 0);
    EXPECT_EQ(move.converted[0], (CellRef{1, 1}));
    EXPECT_EQ(move.converted[1], (CellRef{2, 1}));
    EXPECT_EQ(move.converted[2], (CellRef{}));
}

TEST(Moves, AJumpEmptiesTheSource) {
    Table t({"0....", ".....", "..1..", ".....", "....."}, 2);
    ASSERT_TRUE(t.move(0, 0, 0, 2, 1));
    EXPECT_EQ(t.picture()[0], ".....");
    EXPECT_EQ(t.picture()[1], "..0..");
    EXPECT_EQ(t.picture()[2], "..0..");
    EXPECT_EQ(t.lastMove().jump, 1);
}

TEST(Moves, RefusesWhatTheRulesDoNotAllow) {
    struct Row {
        const char* name;
        MoveRecord request;
        int slot;
    };
    MoveRecord wrongJump = moveRequest(0, 0, 2, 0);
    wrongJump.jump = 0;
    const Row rows[] = {
        {"out of turn", moveRequest(4, 4, 3, 3), 1},
        {"three cells away", moveRequest(0, 0, 3, 0), 0},
        {"onto an obstacle", moveRequest(0, 0, 1, 0), 0},
        {"onto a blob", moveRequest(0, 0, 0, 1), 0},
        {"from an enemy blob", moveRequest(0, 1, 1, 1), 0},
        {"from an empty cell", moveRequest(2, 2, 2, 3), 0},
        {"outside the board", moveRequest(0, 0, -1, 0), 0},
        {"jump flag mismatch", wrongJump, 0},
        {"teleport without the power", moveRequest(0, 0, 3, 3, 1), 0},
    };
    for (const Row& row : rows) {
        Table t({"0#...", "1....", ".....", ".....", "....1"}, 2);
        Rows before = t.picture();
        t.out.clear();
        EXPECT_FALSE(t.game.move(row.slot, row.request, t.now, t.out)) << row.name;
        EXPECT_TRUE(t.out.empty()) << row.name;
        EXPECT_EQ(t.picture(), before) << row.name;
    }
}

TEST(Moves, OneActionPerTurn) {
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    ASSERT_TRUE(t.move(0, 0, 0, 1, 0));
    EXPECT_FALSE(t.move(0, 1, 0, 2, 0));
    EXPECT_FALSE(t.power(0, 3, 3, Power::Mine));
}

TEST(Mines, AreShownToTheirOwnerOnlyAndDestroyTheBlobThatArrives) {
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    t.game.grant(0, Power::Mine);
    ASSERT_TRUE(t.power(0, 3, 3, Power::Mine));
    auto armed = ofType(t.out, kMineArmed);
    ASSERT_EQ(armed.size(), 1u);
    EXPECT_EQ(armed[0]->slot, 0);
    EXPECT_EQ(armed[0]->body, int32Body({3, 3, 0}));
    EXPECT_FALSE(t.game.holds(0, Power::Mine));
    ASSERT_TRUE(t.end(0));

    ASSERT_TRUE(t.move(1, 4, 4, 3, 3));
    MoveRecord move = t.lastMove();
    EXPECT_EQ(move.destroyed, 1);
    EXPECT_EQ(move.converted[0], (CellRef{}));
    EXPECT_EQ(t.game.board().at(3, 3).blob, kNoSlot);
    EXPECT_EQ(t.game.board().at(3, 3).mine, kNoSlot);  // spent
    EXPECT_EQ(t.game.board().at(4, 4).blob, 1);        // a copy keeps its source
}

TEST(Mines, NeedAFreeFloorCellAndFizzleOnAHiddenMine) {
    Table t({"0#...", ".....", ".....", ".....", "....1"}, 2);
    t.game.grant(0, Power::Mine);
    EXPECT_FALSE(t.power(0, 1, 0, Power::Mine));
    EXPECT_FALSE(t.power(0, 4, 4, Power::Mine));
    t.game.board().at(2, 2).item = 0;
    EXPECT_FALSE(t.power(0, 2, 2, Power::Mine));
    t.game.board().at(3, 3).mine = 1;
    ASSERT_TRUE(t.power(0, 3, 3, Power::Mine));
    EXPECT_TRUE(t.out.empty());
    EXPECT_EQ(t.game.board().at(3, 3).mine, 1);
    EXPECT_FALSE(t.game.holds(0, Power::Mine));
}

TEST(Kamikaze, ClearsTheSquareButSparesShieldedBlobs) {
    Table t({"1....", ".10..", ".02..", ".....", "....."}, 3);
    t.game.board().at(2, 2).shieldTurns = 2;
    t.game.board().at(3, 2).mine = 2;
    t.game.grant(0, Power::Kamikaze);
    ASSERT_TRUE(t.power(0, 2, 1, Power::Kamikaze));
    EXPECT_EQ(t.picture(), (Rows{"1....", ".....", "..2..", ".....", "....."}));
    EXPECT_EQ(t.game.board().at(3, 2).mine, kNoSlot);
    PowerRecord effect = t.lastPower();
    EXPECT_EQ(effect.code, 51);
    // Row by row over x 1..3, y 0..2: (1,1), the target, (1,2) and the mine at
    // (3,2) are lost; the shielded (2,2) stays.
    EXPECT_EQ(effect.flags, (std::array<int32_t, 9>{1, 1, 1, 0, 0, 1, 0, 1, 0}));
    EXPECT_FALSE(t.game.over());  // slots 1 and 2 still play
}

TEST(Kamikaze, RefusesShieldedOrForeignTargetsAndKeepsThePower) {
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    t.game.grant(0, Power::Kamikaze);
    t.game.board().at(0, 0).shieldTurns = 1;
    EXPECT_FALSE(t.power(0, 0, 0, Power::Kamikaze));
    EXPECT_FALSE(t.power(0, 4, 4, Power::Kamikaze));
    EXPECT_FALSE(t.power(0, 2, 2, Power::Kamikaze));
    EXPECT_TRUE(t.game.holds(0, Power::Kamikaze));
}

TEST(Kamikaze, ClipsTheSquareAtTheCorner) {
    Table t({"00...", "1....", ".....", ".....", "....1"}, 2);
    t.game.grant(0, Power::Kamikaze);
    ASSERT_TRUE(t.power(0, 0, 0, Power::Kamikaze));
    EXPECT_EQ(t.lastPower().flags, (std::array<int32_t, 9>{1, 1, 1, 1, 0, 0, 1, 0, 1}));
}

TEST(Cyclone, TurnsTheCellIntoDebrisThatClearsLater) {
    GameSettings rules = quietRules();
    rules.debrisTurns = 2;
    Table t({"0....", ".1...", ".....", ".....", "....1"}, 2, rules);
    t.game.grant(0, Power::Cyclone);
    t.game.board().at(1, 1).item = 3;
    ASSERT_TRUE(t.power(0, 1, 1, Power::Cyclone));
    EXPECT_EQ(t.lastPower().flags[0], 0);
    const Cell& cell = t.game.board().at(1, 1);
    EXPECT_EQ(cell.tile, kDebris);
    EXPECT_EQ(cell.blob, kNoSlot);
    EXPECT_EQ(cell.item, -1);
    ASSERT_TRUE(t.end(0));  // turn 2 starts: one turn left
    EXPECT_TRUE(ofType(t.out, kBackToFloor).empty());
    ASSERT_TRUE(t.end(1));  // turn 3: back to floor
    auto floor = ofType(t.out, kBackToFloor);
    ASSERT_EQ(floor.size(), 1u);
    EXPECT_EQ(floor[0]->body, int32Body({1, 1}));
    EXPECT_EQ(t.game.board().at(1, 1).tile, kFloor);
}

TEST(Cyclone, OnAShieldedBlobSetsTheFirstFlagAndChangesNothing) {
    Table t({"0....", ".1...", ".....", ".....", "....."}, 2);
    t.game.board().at(1, 1).shieldTurns = 3;
    t.game.grant(0, Power::Cyclone);
    ASSERT_TRUE(t.power(0, 1, 1, Power::Cyclone));
    EXPECT_EQ(t.lastPower().flags[0], 1);
    EXPECT_EQ(t.game.board().at(1, 1).blob, 1);
    EXPECT_EQ(t.game.board().at(1, 1).tile, kFloor);
    EXPECT_FALSE(t.game.holds(0, Power::Cyclone));
}

TEST(Cyclone, RefusesObstacles) {
    Table t({"0#...", ".....", ".....", ".....", "....1"}, 2);
    t.game.grant(0, Power::Cyclone);
    EXPECT_FALSE(t.power(0, 1, 0, Power::Cyclone));
}

TEST(Hyper, ShieldsAgainstConversionForThreeOwnTurns) {
    Table t({"1....", "0....", ".....", ".....", "....."}, 2);
    t.game.grant(1, Power::Hyper);
    ASSERT_TRUE(t.end(0));
    ASSERT_TRUE(t.power(1, 0, 0, Power::Hyper));
    EXPECT_EQ(ofType(t.out, kPower).size(), 1u);
    ASSERT_TRUE(t.end(1));
    ASSERT_TRUE(t.move(0, 0, 1, 1, 0));  // next to the shielded blob
    EXPECT_EQ(t.game.board().at(0, 0).blob, 1);
    EXPECT_TRUE(t.lastMove().converted[0] == CellRef{});
    ASSERT_TRUE(t.end(0));  // slot 1's turn: 2 left
    EXPECT_TRUE(ofType(t.out, kShieldOff).empty());
    ASSERT_TRUE(t.end(1));
    ASSERT_TRUE(t.end(0));  // 1 left
    ASSERT_TRUE(t.end(1));
    ASSERT_TRUE(t.end(0));  // 0: shield off
    auto off = ofType(t.out, kShieldOff);
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0]->body, int32Body({0, 0}));
    EXPECT_FALSE(t.game.board().at(0, 0).shielded());
}

TEST(Hyper, AShieldedBlobThatJumpsLosesItsShield) {
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    t.game.board().at(0, 0).shieldTurns = 3;
    ASSERT_TRUE(t.move(0, 0, 0, 2, 0));
    auto off = ofType(t.out, kShieldOff);
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0]->body, int32Body({0, 0}));
    EXPECT_FALSE(t.game.board().at(2, 0).shielded());
}

TEST(Teleport, AnnouncedTargetThenConfirmationThenMove) {
    Table t({"0...1", ".....", ".....", ".....", "...1."}, 2);
    t.game.grant(0, Power::Teleport);
    ASSERT_TRUE(t.power(0, 4, 3, Power::Teleport));
    EXPECT_TRUE(t.out.empty());
    ASSERT_TRUE(t.power(0, 0, 0, Power::Teleport));  // confirmation
    EXPECT_FALSE(t.game.move(0, moveRequest(0, 0, 3, 3, 1), t.now, t.out));  // not the announced cell
    MoveRecord request = moveRequest(0, 0, 4, 3, 1);
    request.jump = 0;  // the program sends the jump flag from the distance
    t.out.clear();
    ASSERT_TRUE(t.game.move(0, request, t.now, t.out));
    MoveRecord move = t.lastMove();
    EXPECT_EQ(move.teleport, 1);
    EXPECT_EQ(move.jump, 1);
    EXPECT_EQ(move.converted[0], (CellRef{3, 4}));
    EXPECT_EQ(t.game.board().at(0, 0).blob, kNoSlot);
    EXPECT_FALSE(t.game.holds(0, Power::Teleport));
    EXPECT_FALSE(t.move(0, 4, 3, 4, 2));  // the teleport was the turn's action
}

TEST(Teleport, ToTheCornerCellItselfStillNeedsItsConfirmation) {
    Table t({".....", ".0...", ".....", ".....", "....1"}, 2);
    t.game.grant(0, Power::Teleport);
    ASSERT_TRUE(t.power(0, 0, 0, Power::Teleport));
    ASSERT_TRUE(t.power(0, 0, 0, Power::Teleport));
    t.out.clear();
    ASSERT_TRUE(t.game.move(0, moveRequest(1, 1, 0, 0, 1), t.now, t.out));
    EXPECT_EQ(t.game.board().at(0, 0).blob, 0);
}

TEST(Items, AppearOnFreeFloorAndGiveTheirPowerToTheBlobThatArrives) {
    GameSettings rules = quietRules();
    rules.itemEvery = 1;
    Table t({"0###.", "####.", "###..", "#....", "....1"}, 2, rules);
    auto items = ofType(t.out, kItem);
    ASSERT_EQ(items.size(), 1u);  // one at turn 1
    auto body = *readInt32s(items[0]->body, 3);
    const Cell& cell = t.game.board().at(body[0], body[1]);
    EXPECT_EQ(cell.tile, kFloor);
    EXPECT_EQ(cell.blob, kNoSlot);
    EXPECT_EQ(kPowerCodeBase + cell.item, body[2]);

    Table u({"0....", ".....", ".....", ".....", "....1"}, 2);
    u.game.board().at(1, 1).item = int8_t(Power::Cyclone);
    ASSERT_TRUE(u.move(0, 0, 0, 1, 1));
    EXPECT_TRUE(u.game.holds(0, Power::Cyclone));
    EXPECT_EQ(u.game.board().at(1, 1).item, -1);
}

TEST(Items, StopAppearingOnceEnoughLieAbout) {
    GameSettings rules = quietRules();
    rules.itemEvery = 1;
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2, rules);  // 25 floor: cap 1
    for (int turn = 0; turn < 6; ++turn) ASSERT_TRUE(t.end(t.game.currentSlot()));
    int lying = 0;
    for (int x = 0; x < 5; ++x) {
        for (int y = 0; y < 5; ++y) lying += t.game.board().at(x, y).item >= 0;
    }
    EXPECT_EQ(lying, 1);
}

TEST(Powers, RefusedWithoutHoldingThem) {
    for (Power power : {Power::Mine, Power::Kamikaze, Power::Cyclone, Power::Hyper, Power::Teleport}) {
        Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
        EXPECT_FALSE(t.power(0, 0, 0, power)) << int(power);
        EXPECT_FALSE(t.power(0, 2, 2, power)) << int(power);
    }
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    t.out.clear();
    EXPECT_FALSE(t.game.usePower(0, PowerRecord{1, 1, 55, {}}, t.now, t.out));
    EXPECT_FALSE(t.game.usePower(0, PowerRecord{1, 1, 49, {}}, t.now, t.out));
}

TEST(Turns, RotateOverSlotsWithBlobsAndPlayers) {
    Table t({"0...1", ".....", ".....", ".....", "2...3"}, 4);
    EXPECT_EQ(t.game.currentSlot(), 0);
    t.game.leave(1, t.now, t.out);
    ASSERT_TRUE(t.end(0));
    EXPECT_EQ(t.game.currentSlot(), 2);
    EXPECT_FALSE(t.end(0));
    t.game.board().at(4, 4).blob = kNoSlot;  // slot 3 has lost its blobs
    ASSERT_TRUE(t.end(2));
    EXPECT_EQ(t.game.currentSlot(), 0);
}

TEST(Turns, APlayerWhoCannotMovePasses) {
    Table t({"0##..", "###..", "###..", ".....", "1...2"}, 3);
    // Slot 0 is walled in; the turn goes straight to slot 1.
    EXPECT_EQ(t.game.currentSlot(), 1);
    ASSERT_TRUE(t.end(1));
    ASSERT_TRUE(t.end(2));
    EXPECT_EQ(t.game.currentSlot(), 1);
    EXPECT_GE(t.game.turnNumber(), 4);
}

TEST(Turns, LeavingDuringOnesTurnPassesItOn) {
    Table t({"0...1", ".....", ".....", ".....", "2...."}, 3);
    t.out.clear();
    t.game.leave(0, t.now, t.out);
    EXPECT_EQ(ofType(t.out, kSlotLeft).front()->body, int32Body({0}));
    EXPECT_EQ(t.game.currentSlot(), 1);
}

TEST(Clock, ATurnThatRunsOutEndsAfterItsGrace) {
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2);
    t.out.clear();
    t.game.tick(t.now + 45'000 + 2'999, t.out);
    EXPECT_EQ(t.game.currentSlot(), 0);
    t.game.tick(t.now + 45'000 + 3'000, t.out);
    EXPECT_EQ(t.game.currentSlot(), 1);
}

TEST(Clock, ClockModeCarriesUnusedSecondsOverUpToFourTurns) {
    GameSettings rules = quietRules();
    rules.clockMode = true;
    rules.secondsPerTurn = 30;
    Table t({"0....", ".....", ".....", ".....", "....1"}, 2, rules);
    t.now += 10'000;
    ASSERT_TRUE(t.end(0, 20));
    ASSERT_TRUE(t.end(1, 0));
    EXPECT_EQ(t.game.turnSeconds(), 50);
    // Claiming more than the server measured is cut to what was left (+1).
    t.now += 5'000;
    ASSERT_TRUE(t.end(0, 500));
    ASSERT_TRUE(t.end(1, 0));
    EXPECT_EQ(t.game.turnSeconds(), 76);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(t.end(0, t.game.turnSeconds()));
        ASSERT_TRUE(t.end(1, 0));
    }
    EXPECT_EQ(t.game.turnSeconds(), 120);
}

TEST(End, WhenOneColourIsLeft) {
    Table t({"0....", "1....", ".....", ".....", "....."}, 2);
    ASSERT_TRUE(t.move(0, 0, 0, 1, 0));
    EXPECT_TRUE(t.game.over());
    EXPECT_EQ(ofType(t.out, kGameOver).size(), 1u);
    ASSERT_EQ(t.game.results().size(), 2u);
    EXPECT_TRUE(t.game.results()[0].winner);
    EXPECT_EQ(t.game.results()[0].blobs, 3);
    EXPECT_EQ(t.game.results()[1].rank, 2);
    EXPECT_FALSE(t.end(0));
}

TEST(End, WhenNoFreeFloorCellRemains) {
    Table t({"0#", "#1"}, 2);
    EXPECT_TRUE(t.game.over());
    Table u({"0.", "11"}, 2);
    ASSERT_TRUE(u.move(0, 0, 0, 1, 0));  // converts all: also one colour
    EXPECT_TRUE(u.game.over());
    Table v({"0..", "###", "11."}, 2);
    ASSERT_TRUE(v.move(0, 0, 0, 1, 0));
    ASSERT_TRUE(v.end(0));
    ASSERT_TRUE(v.move(1, 1, 2, 2, 2));
    EXPECT_FALSE(v.game.over());
    ASSERT_TRUE(v.end(1));
    ASSERT_TRUE(v.move(0, 1, 0, 2, 0));
    EXPECT_TRUE(v.game.over());
    EXPECT_EQ(v.game.results()[1].blobs, 3);
    EXPECT_TRUE(v.game.results()[0].winner);
    EXPECT_TRUE(v.game.results()[1].winner);  // a draw: 3 each
}

TEST(End, WhenEveryoneLeftButOne) {
    Table t({"0...1", ".....", ".....", ".....", "2...."}, 3);
    t.game.leave(2, t.now, t.out);
    EXPECT_FALSE(t.game.over());
    t.out.clear();
    t.game.leave(0, t.now, t.out);
    EXPECT_TRUE(t.game.over());
    const auto& results = t.game.results();
    EXPECT_TRUE(results[1].winner);
    EXPECT_EQ(results[1].rank, 1);
    EXPECT_TRUE(results[0].left);
    EXPECT_EQ(results[0].rank, 2);  // those who left share the last rank
    EXPECT_EQ(results[2].rank, 2);
}

TEST(End, WhenNobodyCanMove) {
    Table t({"0##..", "###..", "#####", "..###", "..##1"}, 2);
    EXPECT_TRUE(t.game.over());
    EXPECT_EQ(ofType(t.out, kTurnBegins).size(), 0u);
    EXPECT_TRUE(t.game.results()[0].winner);
    EXPECT_TRUE(t.game.results()[1].winner);
}

TEST(End, ASoloGameGoesOnUntilTheBoardIsFull) {
    Table t({"0.", ".."}, 1);
    EXPECT_FALSE(t.game.over());
    ASSERT_TRUE(t.move(0, 0, 0, 1, 0));
    ASSERT_TRUE(t.end(0));
    ASSERT_TRUE(t.move(0, 0, 0, 0, 1));
    ASSERT_TRUE(t.end(0));
    ASSERT_TRUE(t.move(0, 0, 0, 1, 1));
    EXPECT_TRUE(t.game.over());
    EXPECT_TRUE(t.game.results()[0].winner);
}

}  // namespace
}  // namespace tessary::slimefray
