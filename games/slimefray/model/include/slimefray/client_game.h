// The program's side of a Slimefray game without a window: it applies every
// message from the server and the players to the board, the panels and the
// clock, turns the local player's input into requests, and tells its window
// (GameEvents) what to show and play.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "desktop/decoded_image.h"
#include "slimefray/board_model.h"
#include "slimefray/game_events.h"
#include "slimefray/map_file.h"
#include "slimefray/power_panel.h"
#include "slimefray/request.h"
#include "slimefray/session_options.h"
#include "slimefray/turn_clock.h"
#include "slimefray/turn_controller.h"

namespace tessary::slimefray {

class ClientGame {
public:
    // `gameDirectory` holds "map/" and "theme/".
    ClientGame(GameEvents& events, std::filesystem::path gameDirectory);

    // The service name of a player id, for chat lines (the network side asks
    // the game library).
    void setNameLookup(std::function<std::string(uint16_t)> lookup) { nameOf_ = std::move(lookup); }
    void setOptions(SessionOptions options) { options_ = std::move(options); }
    const SessionOptions& options() const { return options_; }

    // Notifications of the game library.
    void ownId(uint16_t id, int playerCount);
    void playerJoined();
    void playerLeft();
    // The master sends the map; true when this program became the master.
    bool newMaster(uint16_t id);
    // The link dropped and was made again: the referee sends the whole
    // state (set-up, board, turn, own mines and powers), which replaces
    // what the program showed.
    void rejoin();
    // A game message from `sender`.
    void receive(uint16_t sender, uint8_t type, std::span<const uint8_t> body, int64_t nowMs);

    // Local input.
    void clickCell(int x, int y, int64_t nowMs);
    void clickPowerSquare();
    void nextPower();
    void previousPower();
    void endTurnCommand(int64_t nowMs);
    void sendChat(std::string_view text);
    // Once a second: ends the local turn when its time has gone below zero.
    void clockTick(int64_t nowMs);
    void setAnimating(bool animating) { animating_ = animating; }
    bool animating() const { return animating_; }

    // What the network side must send, in order; emptied by the call.
    std::vector<Request> takeRequests();

    const BoardModel& board() const { return board_; }
    const PowerPanel& powers() const { return panel_; }
    const TurnController& controller() const { return controller_; }
    const TurnClock& clock() const { return clock_; }
    std::string clockText(int64_t nowMs) const;
    int mySlot() const { return controller_.mySlot(); }
    uint16_t myId() const { return myId_; }
    bool master() const { return master_; }
    bool started() const { return started_; }
    bool over() const { return over_; }
    bool boardBuilt() const { return boardBuilt_; }
    bool clockMode() const { return clockMode_; }
    bool slotGone(int slot) const { return slotGone_[size_t(slot)]; }
    // Who holds a slot, as the referee named it (type 33); empty until named.
    const std::string& slotName(int slot) const { return slotNames_[size_t(slot)]; }
    int expectedPlayers() const { return expectedPlayers_; }
    int connectedPlayers() const { return connectedPlayers_; }
    int obstacleAnimation() const { return obstacleAnimation_; }
    // Theme pictures 1 to 3 once received and accepted.
    const std::optional<desktop::DecodedImage>& themePicture(int index) const { return themes_[size_t(index)]; }
    const std::vector<std::string>& themeNames() const { return themeNames_; }

private:
    void updatePlayersLine();
    void uploadMap();
    void takeMap(std::span<const uint8_t> body);
    void takeThemePicture(int index, std::span<const uint8_t> body);
    void takeMove(std::span<const uint8_t> body);
    void takePower(std::span<const uint8_t> body);
    void takeThemeList(std::span<const uint8_t> body);
    void takeCellMessage(uint8_t type, std::span<const uint8_t> body);
    void takeChat(uint16_t sender, std::span<const uint8_t> body);
    void endMyTurn(int64_t nowMs);
    int32_t endValue(int64_t nowMs) const;
    void refuse(std::string_view why) { events_.refused(why); }

    GameEvents& events_;
    std::filesystem::path gameDirectory_;
    std::function<std::string(uint16_t)> nameOf_;
    SessionOptions options_;

    BoardModel board_;
    PowerPanel panel_;
    TurnClock clock_;
    std::vector<Request> outbox_;
    TurnController controller_{board_, panel_, outbox_};

    uint16_t myId_ = 1;
    int expectedPlayers_ = 8;
    int connectedPlayers_ = 0;
    bool master_ = false;
    bool started_ = false;
    bool over_ = false;
    bool clockMode_ = false;
    bool animating_ = false;
    bool boardBuilt_ = false;
    std::optional<MapData> pendingMap_;
    std::array<std::optional<desktop::DecodedImage>, 3> themes_;
    std::vector<std::string> themeNames_;
    std::array<bool, kMaxSlots> slotGone_{};
    std::array<std::string, kMaxSlots> slotNames_;
    int obstacleAnimation_ = 0;
};

// Empties `directory` of regular files and creates an empty file for each
// safe name; unsafe names (separators, "..") are skipped. Returns the names
// written.
std::vector<std::string> mirrorThemeNames(const std::filesystem::path& directory,
                                          const std::vector<std::string>& names);

}  // namespace tessary::slimefray
