// What a received game message does: library events change the tables and
// call the game's event callbacks; every other type goes to the personal
// callback fixed for it.
#pragma once

#include <cstdint>

#include "game_state.h"
#include "local_time.h"
#include "protocol/codec.h"

namespace tessary::gamelib {

enum class DispatchResult : int8_t {
    Handled,    // the event's table change is done and its callback, if any, ran
    Dropped,    // no callback for a game message, or no type byte at all
    WrongSize,  // a library event of the wrong size: nothing changed
};

// Callbacks may call the library's exports (sending, callback fixing, player
// table look-ups) but must not end the session.
DispatchResult dispatchMessage(GameState& state, const protocol::RawMessage& message, LocalMs now);

}  // namespace tessary::gamelib
