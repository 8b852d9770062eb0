// The program's board: what this player knows of the cells (its own mines
// included, other players' mines not), plus selection marks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "slimefray/messages.h"

namespace tessary::slimefray {

inline constexpr int8_t kNoBlob = -1;
inline constexpr int8_t kMineBlob = 50;  // an own armed mine is kept as a blob of owner 50
inline constexpr int8_t kNoItem = -1;

struct BoardCell {
    uint8_t tile = kFloor;
    int8_t blob = kNoBlob;  // slot 0..7, kMineBlob, or none
    int8_t item = kNoItem;  // power kind 0..4, or none
    bool shielded = false;
    bool highlighted = false;

    bool isSlotBlob() const { return blob >= 0 && blob < kMaxSlots; }
};

class BoardModel {
public:
    // The side a type 11 body describes: its integer square root. nullopt for
    // an empty body or a side above 50, which the 50x50 store cannot hold.
    [[nodiscard]] static std::optional<int> sideOfMap(size_t bodyLength);

    // Takes N and the tile kinds column by column (byte x*N + y). Clears the
    // blobs, items and marks. REQUIRES: columns.size() >= side*side.
    [[nodiscard]] bool setTiles(int side, std::span<const uint8_t> columns);

    int side() const { return side_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < side_ && y < side_; }
    // REQUIRES: inside(x, y)
    const BoardCell& at(int x, int y) const { return cells_[index(x, y)]; }
    BoardCell& at(int x, int y) { return cells_[index(x, y)]; }

    // Sets the cell's blob, keeping the slots' blob counts.
    void placeBlob(int x, int y, int8_t owner);
    void removeBlob(int x, int y);
    int count(int slot) const { return counts_[size_t(slot)]; }
    void clearHighlights();

private:
    static size_t index(int x, int y) { return size_t(x) * kMaxSide + size_t(y); }

    int side_ = 0;
    std::array<BoardCell, size_t(kMaxSide) * kMaxSide> cells_{};
    std::array<int, kMaxSlots> counts_{};
};

}  // namespace tessary::slimefray
