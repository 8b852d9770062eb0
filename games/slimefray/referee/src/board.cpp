#include "slimefray/board.h"

namespace tessary::slimefray {

Board::Board(int side) : side_(side), cells_(size_t(side) * size_t(side)) {}

std::optional<Board> Board::fromColumns(int side, std::span<const uint8_t> cells) {
    if (side < 1 || side > kMaxSide || cells.size() < size_t(side) * size_t(side)) {
        return std::nullopt;
    }
    Board board(side);
    for (size_t i = 0; i < board.cells_.size(); ++i) board.cells_[i].tile = tileFromByte(cells[i]);
    return board;
}

bool Board::isOpen(int x, int y) const {
    const Cell& cell = at(x, y);
    return cell.tile == kFloor && cell.blob == kNoSlot;
}

int Board::openCount() const {
    int count = 0;
    for (const Cell& cell : cells_) count += cell.tile == kFloor && cell.blob == kNoSlot;
    return count;
}

int Board::floorCount() const {
    int count = 0;
    for (const Cell& cell : cells_) count += cell.tile == kFloor;
    return count;
}

int Board::blobCount(int slot) const {
    int count = 0;
    for (const Cell& cell : cells_) count += cell.blob == slot;
    return count;
}

bool Board::canMove(int slot) const {
    for (int x = 0; x < side_; ++x) {
        for (int y = 0; y < side_; ++y) {
            if (at(x, y).blob != slot) continue;
            for (int dx = -2; dx <= 2; ++dx) {
                for (int dy = -2; dy <= 2; ++dy) {
                    if (inside(x + dx, y + dy) && isOpen(x + dx, y + dy)) return true;
                }
            }
        }
    }
    return false;
}

Bytes Board::columns() const {
    Bytes out;
    out.reserve(cells_.size());
    for (const Cell& cell : cells_) out.push_back(cell.tile);
    return out;
}

}  // namespace tessary::slimefray
