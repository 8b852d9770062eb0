#include "slimefray/auto_player.h"

#include <vector>

namespace tessary::slimefray {
namespace {

struct Choice {
    CellRef from;
    CellRef to;
    int score = 0;
};

}  // namespace

int AutoPlayer::enemiesAround(const BoardModel& board, int x, int y, int slot) const {
    int count = 0;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if ((dx || dy) && board.inside(x + dx, y + dy)) {
                const BoardCell& cell = board.at(x + dx, y + dy);
                count += cell.isSlotBlob() && cell.blob != slot && !cell.shielded;
            }
        }
    }
    return count;
}

bool AutoPlayer::play(ClientGame& game, int64_t nowMs) {
    if (!game.controller().myTurn() || game.over() || game.animating()) return false;
    if (style_ == Style::Powerful && game.powers().shown() >= 0 && usePower(game, nowMs)) return true;
    if (move(game, nowMs)) return true;
    game.endTurnCommand(nowMs);
    return true;
}

bool AutoPlayer::move(ClientGame& game, int64_t nowMs) {
    const BoardModel& board = game.board();
    const int me = game.mySlot();
    std::vector<Choice> choices, ontoOwnMines;
    for (int x = 0; x < board.side(); ++x) {
        for (int y = 0; y < board.side(); ++y) {
            if (board.at(x, y).blob != me) continue;
            for (int tx = x - 2; tx <= x + 2; ++tx) {
                for (int ty = y - 2; ty <= y + 2; ++ty) {
                    if (!board.inside(tx, ty)) continue;
                    const BoardCell& target = board.at(tx, ty);
                    const bool copy = distance(x, y, tx, ty) == 1;
                    if (target.tile != kFloor) continue;
                    if (target.blob == kMineBlob) ontoOwnMines.push_back({{x, y}, {tx, ty}, copy});
                    if (target.blob != kNoBlob) continue;
                    int score = 2 * enemiesAround(board, tx, ty, me) + copy + (target.item != kNoItem);
                    choices.push_back({{x, y}, {tx, ty}, score});
                }
            }
        }
    }
    // With only its own mines in reach, passing would leave the game without
    // an end; a copy there costs nothing but the mine, and frees the cell.
    if (choices.empty()) choices = std::move(ontoOwnMines);
    if (choices.empty()) return false;
    Choice pick = choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(random_)];
    if (style_ != Style::Random) {
        for (const Choice& c : choices) {
            if (c.score > pick.score) pick = c;
        }
    }
    game.clickCell(pick.from.x, pick.from.y, nowMs);
    game.clickCell(pick.to.x, pick.to.y, nowMs);
    return !game.controller().myTurn();
}

bool AutoPlayer::usePower(ClientGame& game, int64_t nowMs) {
    const BoardModel& board = game.board();
    const int me = game.mySlot();
    const auto power = Power(game.powers().shown());
    CellRef best{-1, -1}, source{-1, -1};
    int bestScore = -1;
    for (int x = 0; x < board.side(); ++x) {
        for (int y = 0; y < board.side(); ++y) {
            const BoardCell& cell = board.at(x, y);
            const bool own = cell.blob == me;
            int score = -1;
            switch (power) {
                case Power::Mine:
                    if (cell.tile == kFloor && cell.blob == kNoBlob && cell.item == kNoItem) score = int(random_() % 8);
                    break;
                case Power::Kamikaze:
                    if (own && !cell.shielded && enemiesAround(board, x, y, me) >= 2) {
                        score = enemiesAround(board, x, y, me);
                    }
                    break;
                case Power::Cyclone:
                    if (cell.tile == kFloor && cell.isSlotBlob() && !own) score = 1;
                    break;
                case Power::Hyper:
                    if (own && !cell.shielded) score = enemiesAround(board, x, y, me);
                    break;
                case Power::Teleport:
                    if (own && source.x < 0) source = {x, y};
                    if (cell.tile == kFloor && cell.blob == kNoBlob) score = enemiesAround(board, x, y, me);
                    break;
            }
            if (score > bestScore) {
                bestScore = score;
                best = {x, y};
            }
        }
    }
    if (bestScore < 0 || (power == Power::Teleport && source.x < 0)) return false;
    game.clickPowerSquare();
    if (power == Power::Teleport) game.clickCell(source.x, source.y, nowMs);
    game.clickCell(best.x, best.y, nowMs);
    if (game.controller().myTurn()) {
        if (game.controller().powerMode()) game.clickPowerSquare();  // nothing fitted: back out
        return false;
    }
    return true;
}

}  // namespace tessary::slimefray
