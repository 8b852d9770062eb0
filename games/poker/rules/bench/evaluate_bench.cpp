// Hand evaluation throughput: how many five-card hands evaluate() scores per second.
#include <benchmark/benchmark.h>

#include <vector>

#include "poker/evaluate.h"
#include "poker/lcg.h"

namespace {

using tessary::poker::Card;
using tessary::poker::Hand;

std::vector<Hand> randomHands(size_t count) {
    tessary::poker::Lcg g(12345);
    std::vector<Hand> hands(count);
    for (Hand& h : hands) {
        std::array<bool, 52> used{};
        for (Card& c : h) {
            do c = static_cast<Card>(g.next() % 52);
            while (used[c]);
            used[c] = true;
        }
    }
    return hands;
}

void BM_EvaluateRandomHands(benchmark::State& state) {
    const std::vector<Hand> hands = randomHands(1 << 16);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tessary::poker::evaluate(hands[i]));
        i = (i + 1) & (hands.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateRandomHands);

// The rule-by-rule definition the tables are built from, for comparison.
void BM_EvaluateByRulesRandomHands(benchmark::State& state) {
    const std::vector<Hand> hands = randomHands(1 << 16);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tessary::poker::evaluateByRules(hands[i]));
        i = (i + 1) & (hands.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateByRulesRandomHands);

// Every one of the 2,598,960 hands once per iteration.
void BM_EvaluateAllHands(benchmark::State& state) {
    for (auto _ : state) {
        int64_t sum = 0;
        for (int a = 0; a < 52; ++a)
            for (int b = a + 1; b < 52; ++b)
                for (int c = b + 1; c < 52; ++c)
                    for (int d = c + 1; d < 52; ++d)
                        for (int e = d + 1; e < 52; ++e) sum += tessary::poker::evaluate(Hand{a, b, c, d, e});
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2598960);
}
BENCHMARK(BM_EvaluateAllHands)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
