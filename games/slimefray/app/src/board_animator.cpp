#include "board_animator.h"

#include <algorithm>

namespace tessary::slimefray {

void BoardAnimator::setStripFrames(int blob, int boom, int cyclone, int mine, int obstacle) {
    blobFrames_ = std::max(1, blob);
    boomFrames_ = std::max(1, boom);
    cycloneFrames_ = std::max(1, cyclone);
    mineFrames_ = std::max(1, mine);
    obstacleFrames_ = std::max(1, obstacle);
}

void BoardAnimator::push(Effect effect) {
    idle_.reset();
    effects_.push_back(std::move(effect));
}

void BoardAnimator::startMove(const MoveShown& shown) {
    Effect effect{};
    effect.cells.push_back({shown.move.toX, shown.move.toY});
    effect.cells.insert(effect.cells.end(), shown.converted.begin(), shown.converted.end());
    effect.previousOwners = shown.previousOwners;
    if (shown.move.destroyed) {
        effect.kind = Effect::Kind::Blast;
        effect.frames = boomFrames_;
    } else {
        effect.kind = Effect::Kind::Move;
        effect.frames = blobFrames_;
    }
    push(std::move(effect));
}

void BoardAnimator::startExplosion(const std::vector<CellRef>& cells) {
    Effect effect{};
    effect.kind = Effect::Kind::Explosion;
    effect.cells = cells;
    effect.frames = boomFrames_;
    effect.andBack = true;
    push(std::move(effect));
}

void BoardAnimator::startCyclone(CellRef cell) {
    Effect effect{};
    effect.kind = Effect::Kind::Cyclone;
    effect.cells = {cell};
    effect.frames = cycloneFrames_;
    effect.frameMs = 80;
    push(std::move(effect));
}

void BoardAnimator::startShieldFlash(CellRef cell) {
    Effect effect{};
    effect.kind = Effect::Kind::Shield;
    effect.cells = {cell};
    effect.frameMs = 400;
    push(std::move(effect));
}

bool BoardAnimator::tick(int64_t nowMs, const std::function<std::pair<CellRef, Idle>(std::mt19937&)>& pickIdle) {
    if (!effects_.empty()) {
        Effect& effect = effects_.front();
        // Frame 0 has shown since the effect arrived, about one period ago.
        if (effect.nextMs < 0) effect.nextMs = nowMs + effect.frameMs - kEffectPeriodMs;
        if (nowMs < effect.nextMs) return false;
        effect.nextMs = nowMs + effect.frameMs;
        if (++effect.step >= effect.steps()) effects_.pop_front();
        return true;
    }
    if (idle_) {
        if (nowMs < idle_->nextMs) return false;
        if (++idle_->frame >= idle_->frames) {
            idle_.reset();
            nextPickMs_ = nowMs;
        } else {
            idle_->nextMs = nowMs + idle_->frameMs;
        }
        return true;
    }
    if (nowMs < nextPickMs_ || !pickIdle) return false;
    auto [cell, what] = pickIdle(random_);
    if (what == Idle::Obstacle && !obstacleAnimation_) what = Idle::Nothing;
    if (what == Idle::Nothing) {
        nextPickMs_ = nowMs + 500;
        return false;
    }
    IdleAnimation animation;
    animation.cell = cell;
    animation.what = what;
    animation.frames = what == Idle::Blob ? blobFrames_ : what == Idle::Mine ? mineFrames_ : obstacleFrames_;
    animation.frameMs = what == Idle::Mine ? 200 : 150;
    animation.nextMs = nowMs + animation.frameMs;
    idle_ = animation;
    return true;
}

std::optional<int> BoardAnimator::ownerOverride(int x, int y) const {
    if (effects_.empty()) return std::nullopt;
    const Effect& effect = effects_.front();
    if (effect.kind != Effect::Kind::Move) return std::nullopt;
    for (size_t i = 1; i < effect.cells.size(); ++i) {
        if (effect.cells[i].x == x && effect.cells[i].y == y && i - 1 < effect.previousOwners.size()) {
            return effect.previousOwners[i - 1];
        }
    }
    return std::nullopt;
}

int BoardAnimator::blobFrame(int x, int y) const {
    if (!effects_.empty()) {
        const Effect& effect = effects_.front();
        if (effect.kind == Effect::Kind::Move && effect.cells[0].x == x && effect.cells[0].y == y) return effect.frame();
        return 0;
    }
    if (idle_ && idle_->what == Idle::Blob && idle_->cell.x == x && idle_->cell.y == y) return idle_->frame;
    return 0;
}

int BoardAnimator::mineFrame(int x, int y) const {
    if (idle_ && idle_->what == Idle::Mine && idle_->cell.x == x && idle_->cell.y == y) return idle_->frame;
    return 0;
}

int BoardAnimator::obstacleFrame(int x, int y) const {
    if (idle_ && idle_->what == Idle::Obstacle && idle_->cell.x == x && idle_->cell.y == y) return idle_->frame;
    return 0;
}

std::vector<BoardAnimator::Overlay> BoardAnimator::overlays() const {
    std::vector<Overlay> out;
    if (effects_.empty()) return out;
    const Effect& effect = effects_.front();
    switch (effect.kind) {
        case Effect::Kind::Blast: out.push_back({effect.cells[0], Strip::Boom, effect.frame()}); break;
        case Effect::Kind::Explosion:
            for (const CellRef& cell : effect.cells) out.push_back({cell, Strip::Boom, effect.frame()});
            break;
        case Effect::Kind::Cyclone: out.push_back({effect.cells[0], Strip::Cyclone, effect.frame()}); break;
        case Effect::Kind::Shield: out.push_back({effect.cells[0], Strip::Hyper, 0}); break;
        case Effect::Kind::Move: break;
    }
    return out;
}

}  // namespace tessary::slimefray
