// The game's callback for each library event; empty until fixed.
#pragma once

#include "TSGame.h"

namespace tessary::gamelib {

struct EventCallbacks {
    TS_MyIdCallback myId = nullptr;
    TS_NewPlayerCallback newPlayer = nullptr;
    TS_PlayerLeftCallback playerLeft = nullptr;
    TS_DisconnectionCallback disconnection = nullptr;
    TS_NewMasterCallback newMaster = nullptr;
    TS_PlayerInfosCallback playerInfos = nullptr;
};

// Stores `callback` in `slot` (an empty one clears the event).
template <class Callback>
int32_t fixCallback(Callback& slot, Callback callback) {
    slot = callback;
    return callback ? TS_SUCCESS : TS_ERROR_NO_CALLBACK;
}

}  // namespace tessary::gamelib
