// Who gets the turn next.
#pragma once

#include <cstddef>
#include <cstdint>

#include "poker/table.h"

namespace tessary::poker {

struct NextTurn {
    enum class Kind {
        Give,       // hand the turn to `id`
        RoundOver,  // nobody at the table needs to act
    };
    Kind kind = Kind::RoundOver;
    uint16_t id = 0;
};

// Walks the id-sorted list once from index `start` (wrapping; at most 50 steps)
// for the first player in hand who has not acted or whose bet is below the
// highest bet. Handing the turn on from the local player starts after him, so
// he comes last.
[[nodiscard]] NextTurn findNextTurn(const Table& table, size_t start);

// Between hands anyone with money may open the next one: the first player
// from `start` on who has money (RoundOver: nobody has).
[[nodiscard]] NextTurn findNextOpener(const Table& table, size_t start);

}  // namespace tessary::poker
