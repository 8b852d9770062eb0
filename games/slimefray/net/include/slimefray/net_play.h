// Slimefray's network play over the game library: the start-up handshake, the
// 200 ms poll, the library's notifications and messages into the model, and
// the model's requests out.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "slimefray/client_game.h"
#include "slimefray/game_link.h"

namespace tessary::slimefray {

class NetPlay : public LinkListener {
public:
    static constexpr const char* kGameName = "SLIMEFRAY";
    static constexpr int kPollMs = 200;
    // After a drop in a running game the program reconnects for as long as
    // the service keeps a seat by default, trying at most once a second.
    static constexpr int64_t kRejoinMs = 60'000;
    static constexpr int64_t kRejoinRetryMs = 1'000;

    // `clock` gives the local time in milliseconds.
    NetPlay(GameLink& link, ClientGame& game, GameEvents& events, std::function<int64_t()> clock);

    // The game messages the program takes: 1 and 11 to 32.
    static std::vector<uint8_t> receivedTypes();

    // Registers with the library and makes sure the lobby runs. False when
    // the program must end (the events were told).
    [[nodiscard]] bool start(int32_t window);
    // Every 200 ms: waits for the lobby's start order, then connects, then
    // drives the library.
    void poll();
    // Sends what the model asked for.
    void flush();
    // The game window is going away: disconnects, leaves the finish report,
    // and frees the library after `linger`, so that the lobby, which only
    // reads reports of a game still present, has time to take it.
    void shutdown(std::chrono::milliseconds linger = std::chrono::milliseconds(1000));

    bool connected() const { return connected_; }
    bool rejoining() const { return rejoining_; }
    const std::string& registeredName() const { return name_; }

    void ownId(uint16_t id, uint16_t first, uint16_t second) override;
    void newPlayer(uint16_t id, const std::string& name) override;
    void playerLeft(uint16_t id) override;
    void newMaster(uint16_t id) override;
    void disconnected() override;
    void message(uint16_t sender, uint8_t type, std::span<const uint8_t> body) override;

private:
    // Connects and registers again with the start order's server and name;
    // false while it has to be tried again later.
    bool tryRejoin();

    GameLink& link_;
    ClientGame& game_;
    GameEvents& events_;
    std::function<int64_t()> clock_;
    bool connected_ = false;
    bool ended_ = false;
    bool shutDown_ = false;
    std::string name_;
    bool rejoining_ = false;          // the link is down, the program tries again
    std::optional<int64_t> dropSince_;  // until a message comes on a new link
    std::optional<int64_t> lastAttempt_;
};

}  // namespace tessary::slimefray
