// What Slimefray uses of the game library's header: the exports it binds by
// name (the game never links the library), the callback type and the results.
#pragma once

#include <cstdint>

#include "TSGame.h"
#include "TSGameExports.h"

namespace tessary::slimefray::tsgame {

// The types come from the library's own header; nothing is linked.
using PersonalCallback = TS_PersonalCallback;

// Results shared by the exports.
inline constexpr int32_t kSuccess = TS_SUCCESS;
inline constexpr int32_t kLobbyAlreadyRunning = TS_ERROR_LOBBY_RUNNING;
inline constexpr int32_t kNoLobby = TS_ERROR_NO_LOBBY;

// Every export the game binds (TSGameExports.h).
using Exports = ::tessary::tsgame::Exports;

}  // namespace tessary::slimefray::tsgame
