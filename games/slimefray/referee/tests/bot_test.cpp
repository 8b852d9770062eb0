#include "slimefray/bot.h"

#include <gtest/gtest.h>

#include "board_picture.h"

namespace tessary::slimefray {
namespace {

using testing::boardFrom;
using testing::quietRules;
using testing::randomBoard;
using Rows = std::vector<std::string>;

TEST(BotMove, PicksByLevel) {
    struct Case {
        const char* name;
        Rows rows;
        BotLevel level;
        int toX, toY;
    };
    const Case cases[] = {
        // Copying to (1,1) converts all four blobs of slot 1; anywhere else fewer.
        {"greedy takes the most", {"0.1..", "..1..", ".11..", ".....", "....."}, BotLevel::Greedy, 1, 1},
        {"lookahead leaves no answer", {"0.1..", "..1..", ".11..", ".....", "....."}, BotLevel::Lookahead, 1, 1},
        // (3,1) converts two of slot 1 and its last blob, walled in at (0,3),
        // has no answer; (1,0) converts one and lets slot 1 win (3,2) back.
        {"lookahead weighs the answer",
         {"0.1##", "###.#", "###.1", "1#..0", "###.#"}, BotLevel::Lookahead, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game game(boardFrom(c.rows), 2, quietRules(), 1);
        Outbox out;
        game.start(0, out);
        std::mt19937 random(3);
        auto move = chooseBotMove(game, 0, c.level, random);
        ASSERT_TRUE(move);
        EXPECT_EQ(std::pair(move->toX, move->toY), std::pair(c.toX, c.toY));
    }
}

// A bot keeps off its own mines while it has another move; with none left,
// it copies onto one (jumps only when it must) rather than pass for ever
// while nobody else can move.
TEST(BotMove, StepsOnItsOwnMineOnlyWhenNothingElseIsInReach) {
    struct Case {
        const char* name;
        Rows rows;
        std::vector<std::pair<int, int>> ownMines;
        int toX, toY;
    };
    const Case cases[] = {
        {"a free cell first", {"0.##", "####", "..##", "##.1"}, {{1, 0}}, -1, -1},
        {"then a copy", {"0..#", "####", "####", "##.1"}, {{1, 0}, {2, 0}}, 1, 0},
        {"a jump as a last resort", {"0#.#", "####", "####", "##.1"}, {{2, 0}}, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game game(boardFrom(c.rows), 2, quietRules(), 1);
        for (auto [x, y] : c.ownMines) game.board().at(x, y).mine = 0;
        Outbox out;
        game.start(0, out);
        std::mt19937 random(1);
        for (BotLevel level : {BotLevel::Greedy, BotLevel::Lookahead}) {
            auto move = chooseBotMove(game, 0, level, random);
            ASSERT_TRUE(move);
            const bool ontoMine = game.board().at(move->toX, move->toY).mine == 0;
            if (c.toX < 0) EXPECT_FALSE(ontoMine);
            else EXPECT_EQ(std::pair(move->toX, move->toY), std::pair(c.toX, c.toY));
        }
    }
    // The game that had no end: slot 0 spends its mine, slot 1 fills its last
    // cell, slot 0 fills the freed one, and the board is full.
    Game game(boardFrom({"0.##", "####", "####", "##.1"}), 2, quietRules(), 1);
    game.board().at(1, 0).mine = 0;
    Outbox out;
    game.start(0, out);
    std::mt19937 random(1);
    for (int turn = 0; turn < 6 && !game.over(); ++turn) {
        ASSERT_TRUE(playBotTurn(game, BotLevel::Greedy, random, 0, out));
    }
    EXPECT_TRUE(game.over());
}

// Whole games with every seat count and mixes of bots and humans: every bot
// move is accepted by the game's own checks and every game ends.
TEST(BotGames, AlwaysEndWithLegalMoves) {
    enum Seat { Greedy, Lookahead, IdleHuman, LeavingHuman };
    struct Case {
        std::vector<Seat> seats;
        int side;
    };
    const Case cases[] = {
        {{Greedy, Greedy}, 7},
        {{Greedy, Lookahead}, 9},
        {{Lookahead, IdleHuman}, 6},
        {{Greedy, Lookahead, LeavingHuman}, 8},
        {{Lookahead, Lookahead, Greedy, IdleHuman}, 10},
        {{Greedy, Greedy, Greedy, Greedy, Lookahead}, 9},
        {{Lookahead, IdleHuman, Greedy, LeavingHuman, Greedy, Lookahead}, 9},
        {{Greedy, Lookahead, Greedy, Lookahead, Greedy, Lookahead, Greedy}, 9},
        {{Lookahead, Greedy, IdleHuman, Greedy, Lookahead, LeavingHuman, Greedy, Lookahead}, 10},
    };
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(::testing::Message() << c.seats.size() << " seats, seed " << seed);
            std::mt19937 random(seed);
            GameSettings rules;  // items appear: bots pick up powers they never use
            Game game(randomBoard(c.side, random), int(c.seats.size()), rules, seed);
            Outbox out;
            int64_t now = 0;
            game.start(now, out);
            // Each turn either fills a cell, or is a jump or a pass; far more
            // turns than cells means the game is stuck.
            const int turnBound = 40 * c.side * c.side;
            int turns = 0;
            for (; !game.over() && turns < turnBound; ++turns) {
                const int slot = game.currentSlot();
                ASSERT_NE(slot, kNoSlot);
                out.clear();
                switch (c.seats[size_t(slot)]) {
                    case Greedy:
                    case Lookahead: {
                        auto level = c.seats[size_t(slot)] == Greedy ? BotLevel::Greedy : BotLevel::Lookahead;
                        Verdict verdict = playBotTurn(game, level, random, now, out);
                        ASSERT_TRUE(verdict) << verdict.reason;
                        break;
                    }
                    case IdleHuman:
                        now = game.turnDeadline();
                        game.tick(now, out);
                        break;
                    case LeavingHuman:
                        game.leave(slot, now, out);
                        break;
                }
            }
            EXPECT_TRUE(game.over()) << "still running after " << turns << " turns";
        }
    }
}

}  // namespace
}  // namespace tessary::slimefray
