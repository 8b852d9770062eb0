#include "poker/turn_search.h"

#include <algorithm>

namespace tessary::poker {
namespace {

template <typename Wanted>
NextTurn walk(const Table& table, size_t start, Wanted wanted) {
    const auto& players = table.players();
    const size_t steps = std::min<size_t>(players.size(), kTurnSearchSteps);
    for (size_t step = 0; step < steps; ++step) {
        const Player& candidate = players[(start + step) % players.size()];
        if (wanted(candidate)) return {NextTurn::Kind::Give, candidate.id};
    }
    return {NextTurn::Kind::RoundOver, 0};
}

}  // namespace

NextTurn findNextTurn(const Table& table, size_t start) {
    return walk(table, start, [&](const Player& p) { return p.needsToAct(table.highestBet()); });
}

NextTurn findNextOpener(const Table& table, size_t start) {
    return walk(table, start, [](const Player& p) { return p.money > 0; });
}

}  // namespace tessary::poker
