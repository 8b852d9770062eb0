// The game logics compiled into tessaryd. A game with server-side rules
// adds its factory here; every other game is only relayed.
#include "server/game_logic.h"

#ifdef TESSARY_HAVE_SLIMEFRAY_REFEREE
#include "slimefray_logic.h"
#endif

namespace tessary::server {

GameLogicRegistry builtinGameLogics() {
    GameLogicRegistry registry;
#ifdef TESSARY_HAVE_SLIMEFRAY_REFEREE
    registry.add("SLIMEFRAY", [](GameTable& table) { return makeSlimefrayLogic(table); });
#endif
    return registry;
}

}  // namespace tessary::server
