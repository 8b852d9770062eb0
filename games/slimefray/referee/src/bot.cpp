#include "slimefray/bot.h"

#include <algorithm>
#include <vector>

namespace tessary::slimefray {
namespace {

// Enough to keep the second level's cost at a few thousand replayed moves a
// turn on the largest board.
constexpr size_t kCandidateCap = 10;

struct Step {
    int fromX, fromY, toX, toY;
    bool jump;
};

// The owners of the cells as a bot may know them, with undoable moves.
class Sketch {
public:
    Sketch(const Board& board, int viewer)
        : side_(board.side()), viewer_(viewer), cells_(size_t(side_) * side_) {
        for (int x = 0; x < side_; ++x) {
            for (int y = 0; y < side_; ++y) {
                const Cell& cell = board.at(x, y);
                Spot& spot = at(x, y);
                spot.open = board.isOpen(x, y);
                spot.owner = cell.blob;
                spot.shielded = cell.shielded();
                spot.ownMine = cell.mine != kNoSlot && cell.mine == viewer;
            }
        }
    }

    int blobs(int slot) const {
        return int(std::count_if(cells_.begin(), cells_.end(), [&](const Spot& s) { return s.owner == slot; }));
    }

    // Every copy (one per target: the source does not matter) and every jump,
    // except onto the viewer's own mines, which would destroy its blob; with
    // `ontoOwnMines`, just those.
    std::vector<Step> steps(int slot, bool ontoOwnMines = false) const {
        std::vector<Step> out;
        std::vector<bool> copyTarget(cells_.size(), false);
        for (int x = 0; x < side_; ++x) {
            for (int y = 0; y < side_; ++y) {
                if (at(x, y).owner != slot) continue;
                for (int dx = -2; dx <= 2; ++dx) {
                    for (int dy = -2; dy <= 2; ++dy) {
                        int tx = x + dx, ty = y + dy;
                        if (!inside(tx, ty) || !at(tx, ty).open) continue;
                        if ((slot == viewer_ && at(tx, ty).ownMine) != ontoOwnMines) continue;
                        bool jump = distance(x, y, tx, ty) == 2;
                        if (!jump) {
                            if (copyTarget[size_t(tx) * side_ + ty]) continue;
                            copyTarget[size_t(tx) * side_ + ty] = true;
                        }
                        out.push_back({x, y, tx, ty, jump});
                    }
                }
            }
        }
        return out;
    }

    // Blobs `slot` gains by the step (a jump's vacated source counts against it).
    int gain(int slot, const Step& step) const {
        return (step.jump ? 0 : 1) + int(enemiesAround(slot, step.toX, step.toY).size());
    }

    struct Undo {
        Step step;
        int slot;
        std::vector<std::pair<int, int8_t>> converted;  // cell index, former owner
    };

    Undo apply(int slot, const Step& step) {
        Undo undo{step, slot, {}};
        if (step.jump) {
            at(step.fromX, step.fromY).owner = kNoSlot;
            at(step.fromX, step.fromY).open = true;
        }
        Spot& target = at(step.toX, step.toY);
        target.open = false;
        target.owner = int8_t(slot);
        for (int index : enemiesAround(slot, step.toX, step.toY)) {
            undo.converted.push_back({index, cells_[size_t(index)].owner});
            cells_[size_t(index)].owner = int8_t(slot);
        }
        return undo;
    }

    void revert(const Undo& undo) {
        for (auto [index, owner] : undo.converted) cells_[size_t(index)].owner = owner;
        Spot& target = at(undo.step.toX, undo.step.toY);
        target.open = true;
        target.owner = kNoSlot;
        if (undo.step.jump) {
            at(undo.step.fromX, undo.step.fromY).owner = int8_t(undo.slot);
            at(undo.step.fromX, undo.step.fromY).open = false;
        }
    }

private:
    struct Spot {
        bool open = false;
        bool shielded = false;
        bool ownMine = false;
        int8_t owner = kNoSlot;
    };

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < side_ && y < side_; }
    Spot& at(int x, int y) { return cells_[size_t(x) * side_ + y]; }
    const Spot& at(int x, int y) const { return cells_[size_t(x) * side_ + y]; }

    std::vector<int> enemiesAround(int slot, int x, int y) const {
        std::vector<int> out;
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                int nx = x + dx, ny = y + dy;
                if ((dx == 0 && dy == 0) || !inside(nx, ny)) continue;
                const Spot& spot = at(nx, ny);
                if (spot.owner != kNoSlot && spot.owner != slot && !spot.shielded) {
                    out.push_back(nx * side_ + ny);
                }
            }
        }
        return out;
    }

    int side_;
    int viewer_;
    std::vector<Spot> cells_;
};

// The next slot after `slot` that still plays, or kNoSlot.
int nextOpponent(const Game& game, int slot) {
    for (int step = 1; step < game.slotCount(); ++step) {
        int other = (slot + step) % game.slotCount();
        if (game.isActive(other)) return other;
    }
    return kNoSlot;
}

// The steps in order of immediate gain, best first, equal gains shuffled.
std::vector<Step> rankedSteps(const Sketch& sketch, int slot, std::mt19937& random) {
    std::vector<Step> steps = sketch.steps(slot);
    std::shuffle(steps.begin(), steps.end(), random);
    std::stable_sort(steps.begin(), steps.end(), [&](const Step& a, const Step& b) {
        return sketch.gain(slot, a) > sketch.gain(slot, b);
    });
    return steps;
}

// Depth-two search against the next player: each of our best candidates is
// scored by our lead over that player after its most damaging answer.
Step lookahead(Sketch& sketch, const Game& game, int slot, std::vector<Step> candidates) {
    int opponent = nextOpponent(game, slot);
    if (opponent == kNoSlot) return candidates.front();
    if (candidates.size() > kCandidateCap) candidates.resize(kCandidateCap);
    Step best = candidates.front();
    int bestScore = 0;
    bool first = true;
    for (const Step& mine : candidates) {
        Sketch::Undo undoMine = sketch.apply(slot, mine);
        int worst = sketch.blobs(slot) - sketch.blobs(opponent);
        for (const Step& reply : sketch.steps(opponent)) {
            // The answer's mines are unknown to us: assume it lands.
            Sketch::Undo undoReply = sketch.apply(opponent, reply);
            worst = std::min(worst, sketch.blobs(slot) - sketch.blobs(opponent));
            sketch.revert(undoReply);
        }
        sketch.revert(undoMine);
        if (first || worst > bestScore) {
            best = mine, bestScore = worst, first = false;
        }
    }
    return best;
}

}  // namespace

std::optional<MoveRecord> chooseBotMove(const Game& game, int slot, BotLevel level,
                                        std::mt19937& random) {
    Sketch sketch(game.board(), slot);
    std::vector<Step> steps = rankedSteps(sketch, slot, random);
    std::optional<Step> step;
    if (!steps.empty()) {
        step = level == BotLevel::Greedy ? steps.front() : lookahead(sketch, game, slot, steps);
    } else {
        // Only its own mines in reach: passing would leave the game without an
        // end. A copy there costs nothing but the mine; a jump costs the blob.
        steps = sketch.steps(slot, true);
        auto copy = std::find_if(steps.begin(), steps.end(), [](const Step& s) { return !s.jump; });
        if (copy != steps.end()) step = *copy;
        else if (!steps.empty()) step = steps.front();
    }
    if (!step) return std::nullopt;
    MoveRecord move;
    move.fromX = step->fromX, move.fromY = step->fromY, move.toX = step->toX, move.toY = step->toY;
    move.jump = step->jump ? 1 : 0;
    move.slot = slot;
    return move;
}

Verdict playBotTurn(Game& game, BotLevel level, std::mt19937& random, int64_t nowMs, Outbox& out) {
    const int slot = game.currentSlot();
    if (slot == kNoSlot || game.over()) return Verdict::refuse("no turn to play");
    if (auto move = chooseBotMove(game, slot, level, random)) {
        if (Verdict verdict = game.move(slot, *move, nowMs, out); !verdict) return verdict;
        if (game.over()) return Verdict::ok();
    }
    return game.endTurn(slot, game.turnSeconds(), nowMs, out);
}

}  // namespace tessary::slimefray
