// The referee's board: the whole truth, hidden mines included.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "slimefray/messages.h"

namespace tessary::slimefray {

inline constexpr int kNoSlot = -1;

struct Cell {
    uint8_t tile = kFloor;
    int8_t blob = kNoSlot;   // owner slot
    int8_t item = -1;        // power kind lying here
    int8_t mine = kNoSlot;   // slot that armed a mine here
    uint8_t shieldTurns = 0;  // owner's turns the shield still lasts; 0 = none
    uint16_t debrisTurns = 0;  // turns until a cyclone's debris turns back to floor

    bool shielded() const { return shieldTurns > 0; }
};

class Board {
public:
    Board() = default;
    // REQUIRES: 1 <= side <= kMaxSide
    explicit Board(int side);
    // Cells column by column (byte x*N + y), as type 11 carries them; bytes
    // past N*N are ignored. nullopt when fewer than N*N bytes are given.
    [[nodiscard]] static std::optional<Board> fromColumns(int side, std::span<const uint8_t> cells);

    int side() const { return side_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < side_ && y < side_; }
    Cell& at(int x, int y) { return cells_[size_t(x) * side_ + y]; }
    const Cell& at(int x, int y) const { return cells_[size_t(x) * side_ + y]; }

    // Floor without a blob: a target for a move (items and mines do not count).
    bool isOpen(int x, int y) const;
    int openCount() const;
    int floorCount() const;
    int blobCount(int slot) const;
    // Whether some blob of `slot` can copy or jump somewhere.
    bool canMove(int slot) const;
    // The tile kinds column by column, for type 11.
    Bytes columns() const;

private:
    int side_ = 0;
    std::vector<Cell> cells_;
};

}  // namespace tessary::slimefray
