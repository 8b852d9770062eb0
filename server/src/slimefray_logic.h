// Slimefray's referee behind the game server's GameLogic seam. Built only
// when the slimefray_referee library is part of the build.
#pragma once

#include <memory>

#include "server/game_logic.h"

namespace tessary::server {

std::unique_ptr<GameLogic> makeSlimefrayLogic(GameTable& table);

}  // namespace tessary::server
