// The Arena role: the chat room, its players and their ping classes, and the
// game sessions they create, join, leave and begin.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "link.h"
#include "lobby_role.h"
#include "server/config.h"
#include "server/events.h"
#include "server/storage.h"
#include "session_table.h"

namespace tessary::server {

struct ArenaSettings {
    ArenaConfig config;
    std::string gameServerHost;  // what STARTGAME tells the members
    uint16_t gameServerPort = 0;
    Limits limits = Limits::defaults();
};

// Ping class of the player list from a measured answer time: 5 is best,
// 0 means not measured yet.
int pingClass(std::chrono::milliseconds roundTrip);

class Arena final : public LinkHandler, private LobbyRole {
public:
    using Clock = std::chrono::steady_clock;

    Arena(asio::io_context& io, ArenaSettings settings, std::unique_ptr<Storage> storage, EventBus& bus);
    ~Arena() override;

    void start();
    void stop();

    void linkOpened(const LinkPtr& link) override;
    void messageReceived(const LinkPtr& link, protocol::Message& message) override;
    void linkClosed(const LinkPtr& link) override;

    // One step of the timers (pings, players away in a game); `start` runs
    // it every second, the fuzzer calls it directly.
    void tick(Clock::time_point now);

private:
    struct Player {
        std::string name;
        LinkPtr link;  // none while the player is away playing
        std::string holder;
        int pingClass = 0;
        bool pingOutstanding = false;
        Clock::time_point pingSentAt;
        Clock::time_point nextPingAt;
        bool sentToGame = false;
        Clock::time_point awayUntil;
        int64_t mutedNoticeSince = -1;  // the mute the player was told about
        int64_t refusalAuditedAt = 0;   // last audited moderation command of a mere player
    };

    // The handlers take the time of the request (Unix seconds), read once
    // where the message arrives, for admissions, bans and the session table.
    void handle(const LinkPtr& link, Player* player, const protocol::ServiceMessage& request, int64_t now);
    void login(const LinkPtr& link, const protocol::ServiceMessage& request, int64_t now);
    void chat(Player& player, const protocol::ServiceMessage& request, int64_t now);
    void playerInfo(Player& player, const protocol::ServiceMessage& request);
    void sessionInfo(Player& player, const protocol::ServiceMessage& request);
    void createSession(Player& player, const protocol::ServiceMessage& request, int64_t now);
    void joinSession(Player& player, const protocol::ServiceMessage& request, int64_t now);
    void leaveSession(Player& player, int64_t now);
    void beginGame(Player& player, int64_t now);
    void pingAnswered(Player& player);
    void page(Player& player, const protocol::ServiceMessage& request, int64_t now);
    // True when the player is muted: the line is dropped, the player told once.
    bool muted(Player& player, const char* what, int64_t now);
    void moderationCommand(Player& player, const std::string& line, int64_t now);
    void tellFromService(Player& player, const std::string& text);
    void kick(const KickEvent& kick);

    // Sends the messages that tell the arena what the session table did.
    void publish(const Player& cause, const std::vector<SessionEvent>& events, int64_t now);
    // After the answer: sends the members of a game that began (or the
    // newcomer to one under way) to the game server.
    void startGames(const std::vector<SessionEvent>& events, int64_t now);
    // Takes the player out of its session with the notices that follow.
    void removeFromSession(Player& player);
    void removePlayer(const std::string& key, const char* why);
    void announceToGameServer(const GameSession& session, int64_t now);
    void sendStartGame(Player& player, int64_t now);

    void sendPlayerList(Player& player);
    void sendSessionList(Player& player);
    void broadcast(const SharedFrame& frame);
    void broadcast(const protocol::ServiceMessage& message);
    void onEvent(const Event& event);
    void scheduleTick();

    Player* playerOf(const LinkPtr& link);
    const GameSession* sessionOf(const Player& player) const;

    ArenaSettings settings_;
    std::unique_ptr<Storage> storage_;
    asio::steady_timer timer_;
    bool stopped_ = false;
    uint64_t nextHolder_ = 1;
    uint64_t nextGame_ = 1;
    int64_t startedAt_ = 0;

    std::unordered_map<uint64_t, LinkPtr> links_;            // every open link
    std::unordered_map<uint64_t, std::string> playerByLink_;  // link id -> player key
    std::map<std::string, Player> players_;                   // folded name -> player
    SessionTable sessions_;
    std::deque<SharedFrame> recentChat_;                      // the arena's last lines, oldest first
};

}  // namespace tessary::server
