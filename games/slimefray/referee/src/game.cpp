#include "slimefray/game.h"

#include <algorithm>

namespace tessary::slimefray {
namespace {

constexpr int kEveryone = SlotMessage::kEveryone;

// Where the slots' first blobs go: corners first, then the middles of the edges.
std::array<CellRef, kMaxSlots> startingAnchors(int side) {
    int last = side - 1;
    int middle = side / 2;
    return {{{0, 0}, {last, last}, {last, 0}, {0, last},
             {middle, 0}, {middle, last}, {0, middle}, {last, middle}}};
}

}  // namespace

Game::Game(Board board, int slotCount, GameSettings settings, uint32_t seed)
    : board_(std::move(board)),
      slotCount_(std::clamp(slotCount, 0, kMaxSlots)),
      settings_(settings),
      random_(seed) {
    for (int slot = 0; slot < slotCount_; ++slot) {
        connected_[slot] = true;
        bank_[slot] = settings_.secondsPerTurn;
    }
}

bool Game::isActive(int slot) const {
    return slot >= 0 && slot < slotCount_ && connected_[slot] && board_.blobCount(slot) > 0;
}

int Game::activeSlots() const {
    int count = 0;
    for (int slot = 0; slot < slotCount_; ++slot) count += isActive(slot);
    return count;
}

int64_t Game::turnDeadline() const {
    return turnStartMs_ + int64_t(turnSeconds_) * 1000 + settings_.graceMs;
}

void Game::placeStartingBlobs() {
    auto anchors = startingAnchors(board_.side());
    for (int slot = 0; slot < slotCount_; ++slot) {
        if (board_.blobCount(slot) > 0) continue;
        const CellRef anchor = anchors[size_t(slot)];
        int bestX = -1, bestY = -1, bestDistance = 0;
        for (int y = 0; y < board_.side(); ++y) {
            for (int x = 0; x < board_.side(); ++x) {
                if (!board_.isOpen(x, y) || board_.at(x, y).item >= 0) continue;
                int d = (x - anchor.x) * (x - anchor.x) + (y - anchor.y) * (y - anchor.y);
                if (bestX < 0 || d < bestDistance) {
                    bestX = x, bestY = y, bestDistance = d;
                }
            }
        }
        if (bestX >= 0) board_.at(bestX, bestY).blob = int8_t(slot);
    }
}

void Game::start(int64_t nowMs, Outbox& out) {
    if (started_) return;
    started_ = true;
    placeStartingBlobs();
    for (int x = 0; x < board_.side(); ++x) {
        for (int y = 0; y < board_.side(); ++y) {
            const Cell& cell = board_.at(x, y);
            if (cell.blob != kNoSlot) out.push_back({kEveryone, kBlob, int32Body({x, y, cell.blob})});
            if (cell.item >= 0) {
                out.push_back({kEveryone, kItem, int32Body({x, y, kPowerCodeBase + cell.item})});
            }
        }
    }
    startedWith_ = activeSlots();
    if (checkEnd(out)) return;
    beginNextTurn(slotCount_ - 1, nowMs, out);
}

void Game::describe(int slot, int64_t nowMs, Outbox& out) const {
    for (int x = 0; x < board_.side(); ++x) {
        for (int y = 0; y < board_.side(); ++y) {
            const Cell& cell = board_.at(x, y);
            if (cell.blob != kNoSlot) out.push_back({slot, kBlob, int32Body({x, y, cell.blob})});
            if (cell.blob != kNoSlot && cell.shielded()) out.push_back({slot, kShielded, int32Body({x, y})});
            if (cell.item >= 0) {
                out.push_back({slot, kItem, int32Body({x, y, kPowerCodeBase + cell.item})});
            }
        }
    }
    for (int other = 0; other < slotCount_; ++other) {
        if (!connected_[other]) out.push_back({slot, kSlotLeft, int32Body({other})});
    }
    if (over_) {
        out.push_back({slot, kGameOver, {}});
    } else if (current_ != kNoSlot) {
        out.push_back({slot, kTurnBegins, int32Body({remainingSeconds(nowMs), current_})});
    }
}

void Game::describeOwn(int slot, Outbox& out) const {
    if (slot < 0 || slot >= slotCount_) return;
    for (int x = 0; x < board_.side(); ++x) {
        for (int y = 0; y < board_.side(); ++y) {
            if (board_.at(x, y).mine == slot) out.push_back({slot, kMineArmed, int32Body({x, y, slot})});
        }
    }
    Bytes held;
    for (bool has : powers_[size_t(slot)]) appendInt32(held, has ? 1 : 0);
    out.push_back({slot, kHeldPowers, std::move(held)});
}

int Game::remainingSeconds(int64_t nowMs) const {
    return turnSeconds_ - int((nowMs - turnStartMs_) / 1000);
}

void Game::upkeep(int slot, Outbox& out) {
    ++turnNumber_;
    for (int x = 0; x < board_.side(); ++x) {
        for (int y = 0; y < board_.side(); ++y) {
            Cell& cell = board_.at(x, y);
            if (cell.blob == slot && cell.shieldTurns > 0 && --cell.shieldTurns == 0) {
                out.push_back({kEveryone, kShieldOff, int32Body({x, y})});
            }
            if (cell.debrisTurns > 0 && --cell.debrisTurns == 0) {
                cell.tile = kFloor;
                out.push_back({kEveryone, kBackToFloor, int32Body({x, y})});
            }
        }
    }
    if (settings_.itemEvery > 0 && turnNumber_ % settings_.itemEvery == 0) spawnItem(out);
}

void Game::spawnItem(Outbox& out) {
    std::vector<CellRef> candidates;
    int lying = 0;
    for (int x = 0; x < board_.side(); ++x) {
        for (int y = 0; y < board_.side(); ++y) {
            const Cell& cell = board_.at(x, y);
            lying += cell.item >= 0;
            if (board_.isOpen(x, y) && cell.item < 0 && cell.mine == kNoSlot) {
                candidates.push_back({x, y});
            }
        }
    }
    // Enough items lie about once there is one per thirty floor cells.
    int cap = std::max(1, board_.floorCount() / 30);
    if (candidates.empty() || lying >= cap) return;
    CellRef cell = candidates[std::uniform_int_distribution<size_t>(0, candidates.size() - 1)(random_)];
    int kind = std::uniform_int_distribution<int>(0, kPowerKinds - 1)(random_);
    board_.at(cell.x, cell.y).item = int8_t(kind);
    out.push_back({kEveryone, kItem, int32Body({cell.x, cell.y, kPowerCodeBase + kind})});
}

void Game::beginNextTurn(int after, int64_t nowMs, Outbox& out) {
    acted_ = false;
    teleportPending_ = teleportConfirmed_ = false;
    current_ = kNoSlot;
    int candidate = after;
    // Every pass is a turn of its own; once each active slot has passed in a
    // row nobody can move any more.
    for (;;) {
        int next = kNoSlot;
        for (int step = 1; step <= slotCount_; ++step) {
            int slot = (candidate + step) % slotCount_;
            if (isActive(slot)) {
                next = slot;
                break;
            }
        }
        if (next == kNoSlot) {
            endGame(out);
            return;
        }
        upkeep(next, out);
        if (checkEnd(out)) return;
        if (board_.canMove(next)) {
            passesInRow_ = 0;
            current_ = next;
            turnStartMs_ = nowMs;
            turnSeconds_ = settings_.clockMode ? bank_[next] : settings_.secondsPerTurn;
            out.push_back({kEveryone, kTurnBegins, int32Body({turnSeconds_, next})});
            out.push_back({next, kTurn, {}});
            return;
        }
        if (++passesInRow_ >= activeSlots()) {
            endGame(out);
            return;
        }
        candidate = next;
    }
}

void Game::finishTurn(int32_t savedSeconds, int64_t nowMs, Outbox& out) {
    int slot = current_;
    if (settings_.clockMode) {
        int bank = std::max(0, savedSeconds) + settings_.secondsPerTurn;
        bank_[slot] = std::min(bank, settings_.secondsPerTurn * settings_.bankTurns);
    }
    beginNextTurn(slot, nowMs, out);
}

bool Game::checkEnd(Outbox& out) {
    if (over_) return true;
    int active = activeSlots();
    bool oneColourLeft = startedWith_ >= 2 ? active <= 1 : active == 0;
    if (oneColourLeft || board_.openCount() == 0) {
        endGame(out);
        return true;
    }
    return false;
}

void Game::endGame(Outbox& out) {
    if (over_) return;
    over_ = true;
    current_ = kNoSlot;
    results_.clear();
    for (int slot = 0; slot < slotCount_; ++slot) {
        results_.push_back({slot, board_.blobCount(slot), 0, false, !connected_[slot]});
    }
    // Players still present rank above those who left; then by blob count.
    auto standing = [](const SlotResult& r) { return std::pair{!r.left, r.blobs}; };
    std::vector<SlotResult> order = results_;
    std::stable_sort(order.begin(), order.end(),
                     [&](const SlotResult& a, const SlotResult& b) { return standing(a) > standing(b); });
    for (size_t i = 0; i < order.size(); ++i) {
        bool tied = i > 0 && standing(order[i]) == standing(order[i - 1]);
        int rank = tied ? results_[size_t(order[i - 1].slot)].rank : int(i) + 1;
        SlotResult& result = results_[size_t(order[i].slot)];
        result.rank = rank;
        result.winner = rank == 1 && !result.left && result.blobs > 0;
    }
    out.push_back({kEveryone, kGameOver, {}});
}

Verdict Game::checkTurn(int slot) const {
    if (!started_) return Verdict::refuse("the game has not started");
    if (over_) return Verdict::refuse("the game is over");
    if (slot != current_) return Verdict::refuse("not this slot's turn");
    return Verdict::ok();
}

Verdict Game::move(int slot, const MoveRecord& request, int64_t, Outbox& out) {
    if (Verdict verdict = checkTurn(slot); !verdict) return verdict;
    const int fromX = request.fromX, fromY = request.fromY, toX = request.toX, toY = request.toY;
    if (!board_.inside(fromX, fromY) || !board_.inside(toX, toY)) {
        return Verdict::refuse("move outside the board");
    }
    if (board_.at(fromX, fromY).blob != slot) return Verdict::refuse("no own blob on the source");
    if (!board_.isOpen(toX, toY)) return Verdict::refuse("target is not an empty floor cell");
    if (request.teleport) {
        if (!teleportPending_) return Verdict::refuse("teleport move without the teleport power");
        if (toX != teleportTarget_.x || toY != teleportTarget_.y) {
            return Verdict::refuse("teleport move to another cell than announced");
        }
        teleportPending_ = false;
        applyMove(slot, fromX, fromY, toX, toY, true, true, out);
        return Verdict::ok();
    }
    if (acted_) return Verdict::refuse("one action per turn");
    int d = distance(fromX, fromY, toX, toY);
    if (d < 1 || d > 2) return Verdict::refuse("target farther than two cells");
    if (request.jump != (d == 2 ? 1 : 0)) return Verdict::refuse("jump flag does not match the distance");
    acted_ = true;
    applyMove(slot, fromX, fromY, toX, toY, d == 2, false, out);
    return Verdict::ok();
}

void Game::applyMove(int slot, int fromX, int fromY, int toX, int toY, bool leaves, bool teleport,
                     Outbox& out) {
    MoveRecord result;
    result.fromX = fromX, result.fromY = fromY, result.toX = toX, result.toY = toY;
    result.jump = leaves;
    result.teleport = teleport;
    result.slot = slot;
    bool sourceWasShielded = false;
    if (leaves) {
        Cell& source = board_.at(fromX, fromY);
        sourceWasShielded = source.shielded();
        source.blob = kNoSlot;
        source.shieldTurns = 0;
    }
    Cell& target = board_.at(toX, toY);
    if (target.mine != kNoSlot) {
        target.mine = kNoSlot;
        result.destroyed = 1;
    } else {
        target.blob = int8_t(slot);
        if (target.item >= 0) {
            powers_[slot][size_t(target.item)] = true;
            target.item = -1;
        }
        size_t converted = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int x = toX + dx, y = toY + dy;
                if ((dx == 0 && dy == 0) || !board_.inside(x, y)) continue;
                Cell& neighbour = board_.at(x, y);
                if (neighbour.blob == kNoSlot || neighbour.blob == slot || neighbour.shielded()) continue;
                neighbour.blob = int8_t(slot);
                result.converted[converted++] = {x, y};
            }
        }
    }
    out.push_back({kEveryone, kMove, result.encode()});
    if (sourceWasShielded) out.push_back({kEveryone, kShieldOff, int32Body({fromX, fromY})});
    checkEnd(out);
}

Verdict Game::usePower(int slot, const PowerRecord& request, int64_t, Outbox& out) {
    if (Verdict verdict = checkTurn(slot); !verdict) return verdict;
    std::optional<Power> power = powerFromCode(request.code);
    if (!power) return Verdict::refuse("unknown power code");
    // The program confirms a teleport with a second use on cell (0, 0).
    if (*power == Power::Teleport && teleportPending_ && !teleportConfirmed_ && request.x == 0 &&
        request.y == 0) {
        teleportConfirmed_ = true;
        return Verdict::ok();
    }
    if (acted_) return Verdict::refuse("one action per turn");
    if (!holds(slot, *power)) return Verdict::refuse("the slot does not hold that power");
    if (!board_.inside(request.x, request.y)) return Verdict::refuse("power target outside the board");
    Verdict verdict;
    switch (*power) {
        case Power::Mine: verdict = armMine(slot, request, out); break;
        case Power::Kamikaze: verdict = kamikaze(slot, request, out); break;
        case Power::Cyclone: verdict = cyclone(slot, request, out); break;
        case Power::Hyper: verdict = hyper(slot, request, out); break;
        case Power::Teleport: verdict = teleport(request); break;
    }
    if (verdict) {
        powers_[slot][size_t(*power)] = false;
        acted_ = true;
        checkEnd(out);
    }
    return verdict;
}

Verdict Game::armMine(int slot, const PowerRecord& request, Outbox& out) {
    Cell& cell = board_.at(request.x, request.y);
    if (cell.tile != kFloor || cell.blob != kNoSlot || cell.item >= 0) {
        return Verdict::refuse("a mine needs a free floor cell");
    }
    if (cell.mine == slot) return Verdict::refuse("own mine already there");
    // Another player's hidden mine: the power is spent without a trace, so
    // the attempt reveals nothing.
    if (cell.mine != kNoSlot) return Verdict::ok();
    cell.mine = int8_t(slot);
    out.push_back({slot, kMineArmed, int32Body({request.x, request.y, slot})});
    return Verdict::ok();
}

Verdict Game::kamikaze(int slot, const PowerRecord& request, Outbox& out) {
    const Cell& target = board_.at(request.x, request.y);
    if (target.blob != slot) return Verdict::refuse("kamikaze needs an own blob");
    if (target.shielded()) return Verdict::refuse("kamikaze on a shielded blob");
    PowerRecord effect{request.x, request.y, request.code, {}};
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int x = request.x + dx, y = request.y + dy;
            int32_t& flag = effect.flags[size_t((dy + 1) * 3 + dx + 1)];
            flag = 1;
            if (!board_.inside(x, y)) continue;
            Cell& cell = board_.at(x, y);
            bool blast = (cell.blob != kNoSlot && !cell.shielded()) || cell.mine != kNoSlot;
            if (!blast) continue;
            flag = 0;
            cell.blob = kNoSlot;
            cell.mine = kNoSlot;
        }
    }
    out.push_back({kEveryone, kPower, effect.encode()});
    return Verdict::ok();
}

Verdict Game::cyclone(int slot, const PowerRecord& request, Outbox& out) {
    (void)slot;
    Cell& cell = board_.at(request.x, request.y);
    if (cell.tile != kFloor) return Verdict::refuse("cyclone needs a floor cell");
    PowerRecord effect{request.x, request.y, request.code, {}};
    if (cell.shielded()) {
        effect.flags[0] = 1;
    } else {
        cell = Cell{};
        cell.tile = kDebris;
        cell.debrisTurns = uint16_t(settings_.debrisTurns);
    }
    out.push_back({kEveryone, kPower, effect.encode()});
    return Verdict::ok();
}

Verdict Game::hyper(int slot, const PowerRecord& request, Outbox& out) {
    Cell& cell = board_.at(request.x, request.y);
    if (cell.blob != slot) return Verdict::refuse("hyper needs an own blob");
    cell.shieldTurns = uint8_t(settings_.shieldTurns);
    out.push_back({kEveryone, kPower, PowerRecord{request.x, request.y, request.code, {}}.encode()});
    return Verdict::ok();
}

Verdict Game::teleport(const PowerRecord& request) {
    if (!board_.isOpen(request.x, request.y)) return Verdict::refuse("teleport needs an empty floor cell");
    teleportPending_ = true;
    teleportConfirmed_ = false;
    teleportTarget_ = {request.x, request.y};
    return Verdict::ok();
}

Verdict Game::endTurn(int slot, int32_t remainingSeconds, int64_t nowMs, Outbox& out) {
    if (Verdict verdict = checkTurn(slot); !verdict) return verdict;
    // The client's clock may run a little behind ours, never ahead of it.
    int saved = std::min(remainingSeconds, std::max(0, this->remainingSeconds(nowMs)) + 1);
    finishTurn(saved, nowMs, out);
    return Verdict::ok();
}

void Game::leave(int slot, int64_t nowMs, Outbox& out) {
    if (slot < 0 || slot >= slotCount_ || !connected_[slot]) return;
    connected_[slot] = false;
    if (!started_) return;
    out.push_back({kEveryone, kSlotLeft, int32Body({slot})});
    if (over_) return;
    if (checkEnd(out)) return;
    if (slot == current_) beginNextTurn(slot, nowMs, out);
}

void Game::tick(int64_t nowMs, Outbox& out) {
    if (!started_ || over_ || current_ == kNoSlot || nowMs < turnDeadline()) return;
    finishTurn(0, nowMs, out);
}

}  // namespace tessary::slimefray
