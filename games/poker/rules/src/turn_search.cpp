#include "poker/turn_search.h"

namespace tessary::poker {

NextTurn findNextTurn(const Table& table, size_t start) {
    const auto& players = table.players();
    if (players.empty()) return {};
    for (int step = 0; step < kTurnSearchSteps; ++step) {
        const Player& candidate = players[(start + step) % players.size()];
        if (candidate.needsToAct(table.highestBet())) return {NextTurn::Kind::Give, candidate.id};
        if (candidate.id == table.localId()) return {NextTurn::Kind::CameBack, candidate.id};
    }
    return {};
}

NextTurn findNextOpener(const Table& table, size_t start) {
    const auto& players = table.players();
    if (players.empty()) return {};
    for (int step = 0; step < kTurnSearchSteps; ++step) {
        const Player& candidate = players[(start + step) % players.size()];
        if (candidate.money > 0) return {NextTurn::Kind::Give, candidate.id};
        if (candidate.id == table.localId()) return {NextTurn::Kind::CameBack, candidate.id};
    }
    return {};
}

}  // namespace tessary::poker
