#include "slimefray/board_model.h"

namespace tessary::slimefray {

std::optional<int> BoardModel::sideOfMap(size_t bodyLength) {
    int side = integerSquareRoot(bodyLength);
    if (side < 1 || side > kMaxSide) return std::nullopt;
    return side;
}

bool BoardModel::setTiles(int side, std::span<const uint8_t> columns) {
    if (side < 1 || side > kMaxSide || columns.size() < size_t(side) * size_t(side)) return false;
    side_ = side;
    cells_.fill(BoardCell{});
    counts_.fill(0);
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) at(x, y).tile = tileFromByte(columns[size_t(x) * side + y]);
    }
    return true;
}

void BoardModel::placeBlob(int x, int y, int8_t owner) {
    BoardCell& cell = at(x, y);
    if (cell.isSlotBlob()) --counts_[size_t(cell.blob)];
    cell.blob = owner;
    if (cell.isSlotBlob()) ++counts_[size_t(cell.blob)];
}

void BoardModel::removeBlob(int x, int y) {
    placeBlob(x, y, kNoBlob);
    at(x, y).shielded = false;
}

void BoardModel::clearHighlights() {
    for (BoardCell& cell : cells_) cell.highlighted = false;
}

}  // namespace tessary::slimefray
