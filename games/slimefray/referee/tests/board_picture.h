// Boards drawn as text for the referee's tests: one string per row.
//   '.' floor, '#' obstacle of kind 1, '~' kind 2, '0'..'7' a blob of that slot.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "slimefray/board.h"
#include "slimefray/game.h"

namespace tessary::slimefray::testing {

inline Board boardFrom(const std::vector<std::string>& rows) {
    Board board(int(rows.size()));
    for (int y = 0; y < board.side(); ++y) {
        for (int x = 0; x < board.side(); ++x) {
            char c = rows[size_t(y)][size_t(x)];
            Cell& cell = board.at(x, y);
            cell.tile = c == '#' ? kRock : c == '~' ? kDebris : kFloor;
            if (c >= '0' && c <= '7') cell.blob = int8_t(c - '0');
        }
    }
    return board;
}

// A board of `side` cells with a scattering of rocks.
inline Board randomBoard(int side, std::mt19937& random) {
    Board board(side);
    std::bernoulli_distribution rock(0.12);
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) board.at(x, y).tile = rock(random) ? kRock : kFloor;
    }
    return board;
}

// Rules without power items, so that only the moves shape the board.
inline GameSettings quietRules() {
    GameSettings rules;
    rules.itemEvery = 0;
    return rules;
}

inline std::vector<std::string> pictureOf(const Board& board) {
    std::vector<std::string> rows(size_t(board.side()), std::string(size_t(board.side()), '.'));
    for (int y = 0; y < board.side(); ++y) {
        for (int x = 0; x < board.side(); ++x) {
            const Cell& cell = board.at(x, y);
            char& c = rows[size_t(y)][size_t(x)];
            if (cell.tile == kRock) c = '#';
            if (cell.tile == kDebris) c = '~';
            if (cell.blob != kNoSlot) c = char('0' + cell.blob);
        }
    }
    return rows;
}

inline std::vector<const SlotMessage*> ofType(const Outbox& box, uint8_t type) {
    std::vector<const SlotMessage*> found;
    for (const SlotMessage& m : box) {
        if (m.type == type) found.push_back(&m);
    }
    return found;
}

inline MoveRecord moveRequest(int fromX, int fromY, int toX, int toY, int teleport = 0) {
    MoveRecord move;
    move.fromX = fromX, move.fromY = fromY, move.toX = toX, move.toY = toY;
    move.jump = distance(fromX, fromY, toX, toY) == 2 ? 1 : 0;
    move.teleport = teleport;
    return move;
}

inline PowerRecord powerRequest(int x, int y, Power power) {
    return PowerRecord{x, y, powerCode(power), {}};
}

}  // namespace tessary::slimefray::testing
