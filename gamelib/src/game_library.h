// The process-wide state behind the C exports: the game session, the view of
// the hand-off mailbox, and the target and report fields of the start order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game_session.h"
#include "lobby_mailbox.h"

namespace tessary::gamelib {

inline constexpr const char* kDefaultServerAddress = "127.0.0.1";
inline constexpr int32_t kDefaultServerPort = 37000;

struct GameLibrary {
    std::unique_ptr<GameSession> session;
    std::unique_ptr<LobbyMailbox> mailbox;
    std::string serverAddress = kDefaultServerAddress;
    int32_t serverPort = kDefaultServerPort;
    std::string reportName;
    int32_t sessionNumber = 0;  // 0: the game was not started by the lobby

    // Set while TS_Engine runs the game's callbacks; TS_Free then waits for
    // the engine to return before anything is destroyed.
    bool dispatching = false;
    bool freeRequested = false;

    // Resets the start-order fields to their defaults.
    void resetTarget() {
        serverAddress = kDefaultServerAddress;
        serverPort = kDefaultServerPort;
        reportName.clear();
        sessionNumber = 0;
    }
};

}  // namespace tessary::gamelib
