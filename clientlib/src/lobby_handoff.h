// The lobby's side of the game hand-off: its presence in the mailbox, the
// start of a game (launch, wake-up or close of another game), and the game's
// finish report and close request.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/handoff.h"

namespace tessary::clientlib {

inline constexpr const char* kLobbyName = "TSClient";

struct GameLaunchSettings {
    std::chrono::milliseconds appearWait{30'000};  // how long a started game has to show up
    std::chrono::milliseconds checkInterval{100};
};

struct StartRequest {
    std::string name;        // the name the game registers with on its server
    std::string game;        // the game program's name in the mailbox and the registry
    std::string extra;       // extra text for the game
    std::string launchLine;  // program path, "|", arguments separated by blanks
    std::string reportName;  // echoed back in the finish report
    int32_t session = 0;
    std::string serverAddress;
    int32_t serverPort = 0;
};

struct LaunchLine {
    std::string program;
    std::vector<std::string> arguments;  // without argument 0
};

struct FinishReport {
    std::string name;
    int32_t number = 0;
    std::string rest;
};

// "path|-a -b" -> program "path", arguments -a, -b (empty pieces skipped).
LaunchLine parseLaunchLine(std::string_view line);
// Fields split at "@" (runs count as one, leading ones skipped): the first,
// the decimal value of the second (0 when missing or not a number), the third.
FinishReport parseFinishReport(std::string_view text);
// "name@reportName@session@serverAddress@serverPort@extra".
std::string startOrderText(const StartRequest& request);

class LobbyHandoff {
public:
    explicit LobbyHandoff(GameLaunchSettings settings = {}) : settings_(settings) {}

    // Opens the mailbox and posts the lobby's presence. False when already
    // open, when the mailbox is unavailable or when another lobby is present.
    bool initialize(uint32_t window);
    // Removes the presence and closes the mailbox; false when it was not open.
    bool release();
    bool ready() const { return view_ != nullptr; }

    // The first other program present (the running game).
    std::optional<std::string> startedGame();

    // Posts the start order and makes sure the game runs: asks another game
    // to close, wakes the game when its window is up, else launches it; then
    // waits for the game's presence. True once the game is present.
    bool startGame(const StartRequest& request);

    // The report of the game last started or seen, even when it has left.
    std::optional<FinishReport> takeFinishReport();
    bool takeCloseRequest();
    // Collects the games this library started that have exited since (each
    // poll: a game usually leaves after its report was taken).
    void reapChildren();

private:
    bool wakeRunningGame(const std::string& game);
    std::optional<pid_t> launch(const std::string& launchLine);
    bool waitForGame(const std::string& game, std::optional<pid_t> child);

    GameLaunchSettings settings_;
    std::unique_ptr<protocol::HandoffView> view_;
    std::vector<pid_t> children_;  // games this library started, collected once they exit
    std::string lastGame_;  // the game last started or seen, whose report may outlive it
};

}  // namespace tessary::clientlib
