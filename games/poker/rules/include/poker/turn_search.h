// Who gets the turn next.
#pragma once

#include <cstddef>
#include <cstdint>

#include "poker/table.h"

namespace tessary::poker {

struct NextTurn {
    enum class Kind {
        Give,      // hand the turn to `id`
        CameBack,  // the walk reached the local player and nobody else needs to act
        Nobody,    // nobody found within the step limit
    };
    Kind kind = Kind::Nobody;
    uint16_t id = 0;
};

// Walks the id-sorted list from index `start` (wrapping) for at most 50 steps,
// looking for a player in hand who has not acted or whose bet is below the
// highest bet. The local player stops the walk (CameBack) unless he is the one
// who needs to act.
[[nodiscard]] NextTurn findNextTurn(const Table& table, size_t start);

// Between hands anyone with money may open the next one: the first player
// after `start` with money, the local player last.
[[nodiscard]] NextTurn findNextOpener(const Table& table, size_t start);

}  // namespace tessary::poker
