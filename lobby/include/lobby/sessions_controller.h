// The arena view's session panel and session windows: the list, creating,
// joining, leaving, beginning and the game start (types 20-60 and 202).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct SessionEntry {
    std::string name;
    std::string game;
    std::string master;
    int32_t maxPlayers{0};
    int32_t players{0};
    int32_t maxSpectators{0};
    int32_t spectators{0};
    int32_t state{0};
};

struct SessionsModel {
    std::vector<SessionEntry> sessions;
    std::string joined;  // the session the player is in, if any
};

class SessionsView {
public:
    virtual ~SessionsView() = default;
};

class SessionsController {
public:
    explicit SessionsController(SessionsView& view) : view_(view) {}

    // Types 20, 24, 33, 36, 37, 40, 42, 43, 49, 57, 60 and 202 are claimed
    // when the panel is built; the game start then calls
    // LobbyFlow::enterGame().
    void registerWith(Dispatcher&) {}
    const SessionsModel& model() const { return model_; }

private:
    [[maybe_unused]] SessionsView& view_;
    SessionsModel model_;
};

}  // namespace tessary::lobby
