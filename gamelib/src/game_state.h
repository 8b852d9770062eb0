// Everything the game session knows apart from its connection: the tables,
// the callbacks, the own identity, the server clock and the probe.
#pragma once

#include <cstdint>
#include <string>

#include "datagram_probe.h"
#include "event_callbacks.h"
#include "group_table.h"
#include "personal_callbacks.h"
#include "player_table.h"
#include "server_clock.h"

namespace tessary::gamelib {

struct GameState {
    PlayerTable players;
    GroupTable groups;
    EventCallbacks events;
    PersonalCallbacks personal;
    ServerClock serverClock;
    DatagramProbe probe;
    uint16_t ownId = 0;
    std::string ownName;  // as given to TS_Registration
};

}  // namespace tessary::gamelib
