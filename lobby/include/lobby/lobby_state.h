// The lobby's connection state, shared by every window of the program.
#pragma once

#include <cstdint>

namespace tessary::lobby {

enum class LobbyState : int32_t {
    Offline = 0,             // not connected, or the login was refused
    RouterLoggedIn = 1,      // logged into the Router; router view shown
    InArena = 2,             // logged into an Arena; arena view shown
    CreatingAccount = 3,     // a Router connection open only to create an account
    ModifyingAccount = 4,    // the account window is open to change the account
    JoiningFoundPlayer = 5,  // moving to the arena of a player found by a search
    InGame = 6,              // a game program was launched for a started session
};

}  // namespace tessary::lobby
