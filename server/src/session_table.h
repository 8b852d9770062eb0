// The Arena's game sessions and their rules: create, join, leave, begin, the
// master's succession and the limits. No links, no messages, no clock of its
// own: each operation is given `now` and answers with a refusal (the text the
// player is shown) or the events that followed, which the Arena turns into
// messages.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tessary::server {

inline constexpr int32_t kSessionPrivate = 1 << 0;
inline constexpr int32_t kSessionStarted = 1 << 3;
inline constexpr int32_t kSessionJoinableWhileStarted = 1 << 4;

struct GameSession {
    std::string name;
    std::string game;
    std::string version;
    std::string master;
    std::string options;
    std::string password;
    int32_t maxPlayers = 0;
    int32_t maxSpectators = 0;
    int32_t state = 0;
    std::vector<std::string> players;  // names in join order
    std::vector<std::string> spectators;
    std::string gameKey;  // the game server's name for the game, once begun
    int64_t begunAt = 0;
    int expectedPlayers = 0;
};

struct CreateRequest {
    std::string name;
    std::string game;
    std::string version;
    int32_t flags = 0;
    int32_t maxPlayers = 0;
    int32_t maxSpectators = 0;
    std::string options;
    std::string password;
    bool asSpectator = false;
};

namespace session_event {
struct Created { std::string session; };
struct Joined { std::string player, session; bool spectator = false; };
struct Left { std::string player, session; };
struct Removed { std::string session; };
struct MasterChanged { std::string session, master; };
// The game began: every member is sent to it.
struct Began { std::string session; };
// A player joined a session whose game is under way: only it is sent.
struct JoinedGame { std::string player, session; };
}  // namespace session_event

using SessionEvent = std::variant<session_event::Created, session_event::Joined, session_event::Left,
                                  session_event::Removed, session_event::MasterChanged, session_event::Began,
                                  session_event::JoinedGame>;

struct SessionRefusal {
    std::string text;
};

// A refusal, or what happened (possibly nothing).
using SessionOutcome = std::variant<SessionRefusal, std::vector<SessionEvent>>;

class SessionTable {
public:
    explicit SessionTable(int sessionLimit) : sessionLimit_(sessionLimit) {}

    SessionOutcome create(const std::string& player, const CreateRequest& request, int64_t now);
    SessionOutcome join(const std::string& player, const std::string& session, const std::string& password,
                        const std::string& version, bool asSpectator, int64_t now);
    // Refused when the player is in no session.
    SessionOutcome leave(const std::string& player, int64_t now);
    // `gameKey` names the game for the game server when it begins.
    SessionOutcome begin(const std::string& player, const std::string& gameKey, int64_t now);
    // Takes the player out of any session without a refusal (a departure).
    std::vector<SessionEvent> remove(const std::string& player, int64_t now);

    const GameSession* find(const std::string& session) const;
    const GameSession* sessionOf(const std::string& player) const;
    const std::map<std::string, GameSession>& sessions() const { return sessions_; }

private:
    void removeFrom(const std::string& player, std::vector<SessionEvent>& events);

    int sessionLimit_;
    std::map<std::string, GameSession> sessions_;     // folded name -> session
    std::map<std::string, std::string> membership_;   // folded player name -> folded session name
};

}  // namespace tessary::server
