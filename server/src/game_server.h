// The game server role: players of the sessions the Arenas announced
// register here; their raw messages are relayed by kind, library messages
// are answered (time, storage, groups, probe), and paced traffic also runs
// over UDP on the TCP port + 1.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "link.h"
#include "platform/clock.h"
#include "server/config.h"
#include "server/events.h"
#include "server/game_logic.h"
#include "server/storage.h"

namespace tessary::server {

struct GameServerSettings {
    Limits limits = Limits::defaults();
    // Read for the silence of a player's stream; tests move a fake one.
    const platform::Clock* clock = &platform::systemClock();
};

class GameServer final : public LinkHandler {
public:
    using Clock = std::chrono::steady_clock;

    GameServer(asio::io_context& io, GameServerSettings settings, std::unique_ptr<Storage> storage, EventBus& bus,
               GameLogicRegistry logics);
    ~GameServer() override;

    // Binds the datagram socket (the TCP port + 1 on the same address).
    void openDatagrams(const asio::ip::address& address, uint16_t port);
    void start();
    void stop();

    void linkOpened(const LinkPtr& link) override;
    void messageReceived(const LinkPtr& link, protocol::Message& message) override;
    void linkClosed(const LinkPtr& link) override;

    // One datagram as it came from `from`; public for the fuzzer.
    void datagramReceived(std::span<const uint8_t> bytes, const asio::ip::udp::endpoint& from);
    // Timers of the game logics and the removal of finished sessions.
    void tick(Clock::time_point now);
    // Player messages relayed by datagram so far; readable from any thread.
    uint64_t datagramRelays() const { return datagramRelays_.load(std::memory_order_relaxed); }

private:
    struct Session;

    struct Player {
        PlayerId id = 0;
        std::string name;
        bool spectator = false;
        LinkPtr link;
        Session* session = nullptr;
        std::optional<asio::ip::udp::endpoint> datagramAddress;  // the first one seen, kept
        int64_t lastHeardMs = 0;  // on the settings' clock, by the stream
        uint32_t peerStamp = 0;  // last stamp received by datagram, echoed back
        Clock::time_point peerStampArrival;
        double datagramTokens = 0;
        Clock::time_point datagramTokensAt;
    };

    struct Session : GameTable {
        GameServer* server = nullptr;
        GameSessionAnnouncement announcement;
        std::map<std::string, PlayerId> idByName;  // folded name -> id, kept after leaving
        std::map<PlayerId, std::string> nameById;
        std::map<PlayerId, Player*> present;
        std::map<std::pair<PlayerId, uint8_t>, std::vector<PlayerId>> groups;  // (owner, group)
        std::optional<PlayerId> master;
        std::unique_ptr<GameLogic> logic;
        Clock::time_point emptySince;
        TableSetup tableSetup;
        std::map<PlayerId, std::string> computers;  // computer players the logic seated
        struct Away {
            std::string name;
            int64_t untilMs = 0;  // on the settings' clock
        };
        std::map<PlayerId, Away> away;  // seats kept for players whose stream dropped

        const TableSetup& setup() const override { return tableSetup; }
        PlayerId addComputerPlayer(std::string_view name) override;
        void sendToPlayer(PlayerId to, uint8_t type, std::span<const uint8_t> body) override;
        void sendToAll(uint8_t type, std::span<const uint8_t> body) override;
        void recordWin(PlayerId player) override;
        void note(std::string_view text) override;
        std::string playerName(PlayerId player) const override;
    };

    void registration(const LinkPtr& link, const protocol::RawMessage& message);
    void fromPlayer(Player& player, const protocol::RawMessage& message, bool byDatagram);
    void toServer(Player& player, uint8_t type, std::span<const uint8_t> data, bool byDatagram);
    void relay(Player& sender, const protocol::RawMessage& message, bool byDatagram);
    void groupChange(Player& player, uint8_t type, std::span<const uint8_t> data);
    void leave(Player& player);
    // The stream dropped in a running game: the seat waits for the player.
    // The player's stream dropped: its seat is kept where the game says so,
    // else the player leaves.
    void dropped(Player& player);
    void keepSeat(Player& player);
    void departed(Session& session, PlayerId id, const std::string& name);
    void giveUpKeptSeats(Session& session);
    void chooseMaster(Session& session);
    PlayerId allocateId();

    // Server-made messages (sender 0) by the stream.
    void sendEvent(Player& to, std::span<const uint8_t> payload);
    void sendEventToAll(Session& session, std::span<const uint8_t> payload);
    // A relayed message: by datagram when both it and the addressee allow.
    void deliver(Player& to, const protocol::RawMessage& message, bool byDatagram);
    void sendDatagram(Player& to, protocol::RawMessage message);
    void startReceive();
    void scheduleTick();
    int64_t nowMs() const;

    asio::io_context& io_;
    GameServerSettings settings_;
    std::unique_ptr<Storage> storage_;
    EventBus& bus_;
    GameLogicRegistry logics_;
    std::string role_ = "game server";
    asio::ip::udp::socket udp_;
    asio::ip::udp::endpoint datagramFrom_;
    std::array<uint8_t, 2048> datagramBuffer_{};
    asio::steady_timer timer_;
    bool stopped_ = false;
    Clock::time_point epoch_ = Clock::now();
    PlayerId lastId_ = 0;
    std::atomic<uint64_t> datagramRelays_{0};

    std::unordered_map<uint64_t, LinkPtr> links_;
    std::unordered_map<uint64_t, std::unique_ptr<Player>> players_;  // by link id
    std::unordered_map<PlayerId, Player*> playersById_;
    std::map<std::string, std::unique_ptr<Session>> sessions_;  // by announcement key
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tessary::server
