// The computer players' strength and cost. The match plays the look-ahead
// level against the greedy one over a few hundred whole games on random
// boards, each level taking either seat in turn, and reports the look-ahead
// level's share of wins, draws and losses.
#include <benchmark/benchmark.h>

#include <array>
#include <random>

#include "slimefray/bot.h"

#include "../tests/board_picture.h"

namespace tessary::slimefray {
namespace {

using testing::randomBoard;

// Plays one game to its end; returns the results, or none if it stalls.
std::vector<SlotResult> playOut(Game& game, const std::array<BotLevel, 2>& levels, std::mt19937& random) {
    Outbox out;
    game.start(0, out);
    const int turnBound = 40 * game.board().side() * game.board().side();
    for (int turn = 0; !game.over() && turn < turnBound; ++turn) {
        out.clear();
        if (!playBotTurn(game, levels[size_t(game.currentSlot())], random, 0, out)) break;
    }
    return game.over() ? game.results() : std::vector<SlotResult>{};
}

void BM_LookaheadAgainstGreedy(benchmark::State& state) {
    const int games = int(state.range(0));
    const int side = int(state.range(1));
    int wins = 0, draws = 0, losses = 0, stalled = 0;
    for (auto _ : state) {
        wins = draws = losses = stalled = 0;
        for (int g = 0; g < games; ++g) {
            std::mt19937 random(uint32_t(g) + 1);
            const int strong = g % 2;  // the look-ahead level's seat
            std::array<BotLevel, 2> levels{BotLevel::Greedy, BotLevel::Greedy};
            levels[size_t(strong)] = BotLevel::Lookahead;
            Game game(randomBoard(side, random), 2, GameSettings{}, uint32_t(g) + 1);
            auto results = playOut(game, levels, random);
            if (results.empty()) {
                ++stalled;
                continue;
            }
            const bool strongWins = results[size_t(strong)].winner;
            const bool weakWins = results[size_t(1 - strong)].winner;
            if (strongWins && !weakWins) ++wins;
            else if (weakWins && !strongWins) ++losses;
            else ++draws;
        }
    }
    state.counters["games"] = games;
    state.counters["win_rate"] = double(wins) / games;
    state.counters["draw_rate"] = double(draws) / games;
    state.counters["loss_rate"] = double(losses) / games;
    state.counters["stalled"] = stalled;
}
BENCHMARK(BM_LookaheadAgainstGreedy)
    ->Args({300, 8})
    ->Args({300, 12})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// One choice on the largest board, half full, against seven others: the
// cost a turn adds to the game server.
void BM_BotChoice(benchmark::State& state) {
    const auto level = BotLevel(state.range(0));
    std::mt19937 random(5);
    Board board = randomBoard(kMaxSide, random);
    std::uniform_int_distribution<int> owner(0, kMaxSlots - 1);
    std::bernoulli_distribution occupied(0.5);
    for (int x = 0; x < kMaxSide; ++x) {
        for (int y = 0; y < kMaxSide; ++y) {
            if (board.isOpen(x, y) && occupied(random)) board.at(x, y).blob = int8_t(owner(random));
        }
    }
    Game game(std::move(board), kMaxSlots, GameSettings{}, 5);
    Outbox out;
    game.start(0, out);
    for (auto _ : state) {
        benchmark::DoNotOptimize(chooseBotMove(game, game.currentSlot(), level, random));
    }
}
BENCHMARK(BM_BotChoice)
    ->ArgName("level")
    ->Arg(int(BotLevel::Greedy))
    ->Arg(int(BotLevel::Lookahead))
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessary::slimefray
BENCHMARK_MAIN();
