// An in-memory game server (tests and previews) for poker tables: relays game messages with and
// without echo in one global order, announces arrivals, departures and stored
// bankrolls, and stores what the tables ask it to.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "poker/poker_game.h"

namespace tessary::poker::testing {

class Hub {
public:
    enum class Kind { Game, OwnId, NewPlayer, PlayerLeft, PlayerInfos };

    struct Post {
        Kind kind = Kind::Game;
        uint16_t sender = 0;  // the program that sent it (game messages)
        uint16_t subject = 0; // the player an event is about
        std::vector<uint16_t> to;
        uint8_t type = 0;
        Payload payload;
        bool appliedBySender = false;  // sent to the others after the sender applied it
    };

    struct Member {
        uint16_t id = 0;
        std::string name;
        std::unique_ptr<PokerLink> link;
        std::unique_ptr<PokerGame> game;
    };

    // Clocks shared by every table; tests move them.
    int64_t seconds = 1'000'000;
    int64_t milliseconds = 0;
    std::map<uint16_t, int32_t> database;
    std::map<std::string, uint16_t> idsByName;

    // The server accepts a player: the newcomer learns his id (first value 1
    // when the session was empty), then everybody present; the others learn
    // about him; everybody gets his stored bankroll (or none).
    PokerGame& join(uint16_t id, const std::string& name);
    void leave(uint16_t id);

    // Delivers the oldest post to each of its recipients still present.
    // Returns the post, or nullopt when nothing waits.
    std::optional<Post> deliverOne();
    size_t waiting() const { return posts_.size(); }
    const Post* next() const { return posts_.empty() ? nullptr : &posts_.front(); }
    // Programs that applied a message the others have not received yet.
    std::set<uint16_t> programsAhead() const;

    PokerGame* game(uint16_t id);
    const std::map<uint16_t, Member>& members() const { return members_; }
    std::string nameOf(uint16_t id) const;

    void relay(uint16_t sender, bool echo, uint8_t type, std::span<const uint8_t> payload);
    void relayTo(uint16_t sender, uint16_t recipient, uint8_t type, std::span<const uint8_t> payload);

private:
    std::vector<uint16_t> everybody() const;
    void post(Post p) { posts_.push_back(std::move(p)); }

    std::map<uint16_t, Member> members_;
    std::deque<Post> posts_;
};

}  // namespace tessary::poker::testing
