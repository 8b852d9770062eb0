// What the local player may select and send during their turn: moves, power
// uses and the end of the turn. It only asks; the board changes when the
// server's answer comes back.
#pragma once

#include <cstdint>
#include <vector>

#include "slimefray/board_model.h"
#include "slimefray/power_panel.h"
#include "slimefray/request.h"

namespace tessary::slimefray {

class TurnController {
public:
    // The controller appends its requests to `outbox`.
    TurnController(BoardModel& board, PowerPanel& panel, std::vector<Request>& outbox);

    void setMySlot(int slot) { mySlot_ = slot; }
    int mySlot() const { return mySlot_; }
    void beginMyTurn() { myTurn_ = true; }
    // Forgets the turn and any selection (the slot stays): the server is
    // about to send the whole state again.
    void reset() {
        myTurn_ = powerMode_ = pending_ = teleportMode_ = false;
        sourceX_ = sourceY_ = -1;
    }
    bool myTurn() const { return myTurn_; }
    bool powerMode() const { return powerMode_; }
    int powerCode() const { return powerCode_; }
    bool pending() const { return pending_; }
    bool teleportMode() const { return teleportMode_; }
    int sourceX() const { return sourceX_; }
    int sourceY() const { return sourceY_; }

    // `endValue` is what an end of turn caused by the call reports (the
    // remaining seconds in clock mode, else 0). Calls while it is not the
    // local turn, or while an animation runs, do nothing.
    void clickCell(int x, int y, bool animating, int32_t endValue);
    // A press inside the power square: toggles power mode with the shown power.
    void clickPowerSquare(bool animating);
    // The end-turn command.
    void endTurnCommand(bool animating, int32_t endValue);
    // Ends the local turn: clears every selection and sends type 15.
    void endTurn(int32_t endValue);

private:
    void select(int x, int y);
    void cancelSelection();
    void clickWithPower(int x, int y, int32_t endValue);
    void sendMove(int toX, int toY, bool teleport);
    void sendPower(int x, int y, int code);
    void markUsed(int kind);

    BoardModel& board_;
    PowerPanel& panel_;
    std::vector<Request>& outbox_;
    int mySlot_ = -1;
    bool myTurn_ = false;
    bool powerMode_ = false;
    int powerCode_ = 0;
    bool pending_ = false;
    bool teleportMode_ = false;
    int sourceX_ = -1;
    int sourceY_ = -1;
};

}  // namespace tessary::slimefray
