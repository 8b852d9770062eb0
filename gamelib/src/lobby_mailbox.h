// The game's side of the hand-off mailbox: its presence while it runs, the
// lobby's start order, the finish report and the close request, and starting
// the lobby when it does not run.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/handoff.h"

namespace tessary::gamelib {

inline constexpr const char* kLobbyName = "TSClient";

class LobbyMailbox {
public:
    enum class OpenResult { Open, AlreadyPresent, Unavailable };

    // Opens the mailbox under `gameName` and posts the game's presence.
    // AlreadyPresent when a presence of this game is already there (another
    // copy runs); Unavailable when the block cannot be opened. In both cases
    // the mailbox stays closed and the lobby counts as absent.
    [[nodiscard]] OpenResult open(std::string_view gameName, uint32_t window);
    // Withdraws the presence and lets the block go.
    void close();

    [[nodiscard]] bool lobbyPresent();
    // The start order for this game, taken out of the block.
    [[nodiscard]] std::optional<std::string> takeStartOrder();
    bool postFinishReport(std::string_view text);
    bool postCloseRequest();

    enum class StartResult { Started, AlreadyRunning, Failed };
    // Starts <Directory>/TSClient from the registry and waits until its
    // presence appears, looking every `poll` at most `attempts` times.
    [[nodiscard]] StartResult startLobby(int attempts = 100,
                                         std::chrono::milliseconds poll = std::chrono::milliseconds(100));

    bool usable() const { return view_.usable(); }

private:
    protocol::HandoffView view_;
    pid_t startedLobby_ = 0;  // collected when it ends before the game
};

}  // namespace tessary::gamelib
