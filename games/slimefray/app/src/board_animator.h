// The board timer's animations: the server's results play one after the
// other (moves, explosions, cyclones, shields), and between them a random
// visible cell comes to life. Plain state: the board view asks it what to draw.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "slimefray/game_events.h"

namespace tessary::slimefray {

class BoardAnimator {
public:
    enum class Strip { Blob, Boom, Cyclone, Hyper, Mine, Obstacle };
    // What an idle pick found on a cell.
    enum class Idle { Nothing, Blob, Mine, Obstacle };

    struct Overlay {
        CellRef cell;
        Strip strip;
        int frame;
    };

    static constexpr int kIdlePeriodMs = 100;
    static constexpr int kEffectPeriodMs = 50;

    // Frame counts of the strips, known once the pictures are loaded.
    void setStripFrames(int blob, int boom, int cyclone, int mine, int obstacle);
    void setObstacleAnimation(bool on) { obstacleAnimation_ = on; }

    void startMove(const MoveShown& shown);
    void startExplosion(const std::vector<CellRef>& cells);
    void startCyclone(CellRef cell);
    void startShieldFlash(CellRef cell);

    // An effect from the server is playing: the local player must wait.
    bool busy() const { return !effects_.empty(); }
    // The timer period the board wants now.
    int periodMs() const { return busy() ? kEffectPeriodMs : kIdlePeriodMs; }

    // Advances the animations; `pickIdle` is asked about a random visible cell
    // when the board is calm. Returns whether anything on screen changed.
    bool tick(int64_t nowMs, const std::function<std::pair<CellRef, Idle>(std::mt19937&)>& pickIdle);

    // Painting queries.
    std::optional<int> ownerOverride(int x, int y) const;
    int blobFrame(int x, int y) const;
    int mineFrame(int x, int y) const;
    int obstacleFrame(int x, int y) const;
    std::vector<Overlay> overlays() const;

private:
    struct Effect {
        enum class Kind { Move, Blast, Explosion, Cyclone, Shield } kind;
        std::vector<CellRef> cells;  // Move: target first, then converted cells
        std::vector<int> previousOwners;
        int frames = 1;
        int frameMs = 50;
        bool andBack = false;  // plays forwards then backwards
        int step = 0;
        int64_t nextMs = -1;

        int steps() const { return andBack ? 2 * frames : frames; }
        int frame() const { return step < frames ? step : 2 * frames - 1 - step; }
    };
    struct IdleAnimation {
        CellRef cell;
        Idle what = Idle::Nothing;
        int frame = 0;
        int frames = 1;
        int frameMs = 150;
        int64_t nextMs = 0;
    };

    void push(Effect effect);

    std::deque<Effect> effects_;
    std::optional<IdleAnimation> idle_;
    int64_t nextPickMs_ = 0;
    std::mt19937 random_{12345};
    bool obstacleAnimation_ = false;
    int blobFrames_ = 8, boomFrames_ = 7, cycloneFrames_ = 8, mineFrames_ = 1, obstacleFrames_ = 1;
};

}  // namespace tessary::slimefray
