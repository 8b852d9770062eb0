#include "slimefray/turn_controller.h"

namespace tessary::slimefray {

TurnController::TurnController(BoardModel& board, PowerPanel& panel, std::vector<Request>& outbox)
    : board_(board), panel_(panel), outbox_(outbox) {}

void TurnController::select(int x, int y) {
    board_.clearHighlights();
    sourceX_ = x;
    sourceY_ = y;
    board_.at(x, y).highlighted = true;
    pending_ = true;
}

void TurnController::cancelSelection() {
    board_.clearHighlights();
    pending_ = false;
    teleportMode_ = false;
    sourceX_ = sourceY_ = -1;
}

void TurnController::clickCell(int x, int y, bool animating, int32_t endValue) {
    if (!myTurn_ || animating || !board_.inside(x, y)) return;
    if (powerMode_) {
        clickWithPower(x, y, endValue);
        return;
    }
    const BoardCell& cell = board_.at(x, y);
    if (!pending_) {
        if (cell.blob != mySlot_) return;
        select(x, y);
        for (int tx = x - 2; tx <= x + 2; ++tx) {
            for (int ty = y - 2; ty <= y + 2; ++ty) {
                if (!board_.inside(tx, ty)) continue;
                BoardCell& target = board_.at(tx, ty);
                if (target.tile == kFloor && (target.blob == kNoBlob || target.blob == kMineBlob)) {
                    target.highlighted = true;
                }
            }
        }
        return;
    }
    if (x == sourceX_ && y == sourceY_) {
        cancelSelection();
    } else if (cell.highlighted) {
        sendMove(x, y, false);
        endTurn(endValue);
    } else {
        cancelSelection();
    }
}

void TurnController::clickWithPower(int x, int y, int32_t endValue) {
    const BoardCell& cell = board_.at(x, y);
    const auto power = powerFromCode(powerCode_);
    if (!power) return;
    const bool mine = cell.blob == mySlot_;
    switch (*power) {
        case Power::Mine:
            if (cell.blob != kNoBlob || cell.item != kNoItem || cell.tile != kFloor) return;
            break;
        case Power::Kamikaze:
            if (!mine || cell.shielded) return;
            break;
        case Power::Cyclone:
            if (cell.tile != kFloor) return;
            break;
        case Power::Hyper:
            if (!mine) return;
            board_.at(x, y).shielded = true;
            break;
        case Power::Teleport:
            if (!teleportMode_) {
                if (!mine) return;
                select(x, y);
                teleportMode_ = true;
                return;
            }
            if (x == sourceX_ && y == sourceY_) {
                cancelSelection();
                powerMode_ = false;
                return;
            }
            if (cell.tile != kFloor || cell.blob != kNoBlob) return;  // keep waiting
            sendPower(x, y, powerCode_);
            markUsed(int(Power::Teleport));
            sendPower(0, 0, slimefray::powerCode(Power::Teleport));
            sendMove(x, y, true);
            endTurn(endValue);
            return;
    }
    sendPower(x, y, powerCode_);
    markUsed(int(*power));
    endTurn(endValue);
}

void TurnController::clickPowerSquare(bool animating) {
    if (panel_.shown() == PowerPanel::kNone || !myTurn_ || animating) return;
    cancelSelection();
    powerMode_ = !powerMode_;
    powerCode_ = kPowerCodeBase + panel_.shown();
}

void TurnController::endTurnCommand(bool animating, int32_t endValue) {
    if (myTurn_ && !animating) endTurn(endValue);
}

void TurnController::endTurn(int32_t endValue) {
    myTurn_ = false;
    powerMode_ = false;
    cancelSelection();
    outbox_.push_back({Request::To::Server, kTurn, int32Body({endValue})});
}

void TurnController::sendMove(int toX, int toY, bool teleport) {
    MoveRecord move;
    move.fromX = sourceX_, move.fromY = sourceY_, move.toX = toX, move.toY = toY;
    move.jump = distance(sourceX_, sourceY_, toX, toY) == 2 ? 1 : 0;
    move.teleport = teleport ? 1 : 0;
    outbox_.push_back({Request::To::Server, kMove, move.encode()});
}

void TurnController::sendPower(int x, int y, int code) {
    outbox_.push_back({Request::To::Server, kPower, PowerRecord{x, y, code, {}}.encode()});
}

void TurnController::markUsed(int kind) {
    panel_.markUsed(kind);
    powerMode_ = false;
}

}  // namespace tessary::slimefray
