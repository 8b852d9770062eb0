// The arena view's player list: who is in the arena and their ping class
// (types 22, 6, 11 and 54).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct PlayerEntry {
    std::string name;
    int32_t pingClass{0};
    std::string session;
};

struct PlayersModel {
    std::vector<PlayerEntry> players;
};

class PlayersView {
public:
    virtual ~PlayersView() = default;
    // The player list and the session panel made ready for a new arena.
    virtual void prepareArena() = 0;
};

class PlayersController {
public:
    explicit PlayersController(PlayersView& view) : view_(view) {}

    // Types 22, 6, 11 and 54 are claimed when the list is built.
    void registerWith(Dispatcher&) {}

    void enterArena() {
        model_.players.clear();
        view_.prepareArena();
    }
    const PlayersModel& model() const { return model_; }

private:
    PlayersView& view_;
    PlayersModel model_;
};

}  // namespace tessary::lobby
