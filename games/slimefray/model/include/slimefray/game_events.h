// What the program's model tells its window: every method has an empty
// default, so headless players listen only to what they need.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "slimefray/messages.h"

namespace tessary::slimefray {

// A move the server accepted, with what the board held before it, so that the
// window can animate from the old picture to the new one.
struct MoveShown {
    MoveRecord move;
    std::vector<CellRef> converted;      // the listed cells inside the board
    std::vector<int> previousOwners;     // their owners before the move
};

class GameEvents {
public:
    virtual ~GameEvents() = default;

    // A sound file relative to the game's directory ("sounds/explo.wav").
    virtual void playSound(std::string_view) {}
    // Theme picture 3 arrived: the board is built.
    virtual void boardBuilt() {}
    // The slot arrived (type 17): the game window is shown.
    virtual void slotAssigned(int) {}
    virtual void moveShown(const MoveShown&) {}
    virtual void explosion(const std::vector<CellRef>&) {}
    virtual void cyclone(CellRef) {}
    virtual void shieldFlash(CellRef) {}
    virtual void turnBegan(int /*slot*/) {}
    virtual void myTurnBegan() {}
    virtual void myTurnEnded() {}
    virtual void gameOver() {}
    virtual void chatLine(const std::string& /*text*/, int /*slot*/) {}
    // The waiting line, "%d/%d Players Connected".
    virtual void playersLine(const std::string&) {}
    virtual void obstacleAnimation(int /*number*/) {}
    virtual void slotLeft(int) {}
    // The state of the link to the game server, for the panel: a line while
    // the program reconnects after a drop, or has just reconnected; empty
    // once nothing needs saying.
    virtual void connectionNote(const std::string&) {}
    // Anything on the board or the panels changed: redraw.
    virtual void changed() {}
    // The program must end: show `message` in an error box unless it is
    // empty, then exit with `exitCode`.
    virtual void quit(const std::string& /*message*/, int /*exitCode*/) {}
    // A received message was refused; for the diagnostics stream.
    virtual void refused(std::string_view) {}
};

}  // namespace tessary::slimefray
