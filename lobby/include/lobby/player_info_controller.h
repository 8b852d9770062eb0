// Information on a player: the Arena's answer (type 25), photos (type 207)
// and, later, the own information panel's share of type 26.
#pragma once

#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct PlayerInfoModel {};

class PlayerInfoView {
public:
    virtual ~PlayerInfoView() = default;
};

class PlayerInfoController {
public:
    explicit PlayerInfoController(PlayerInfoView& view) : view_(view) {}

    // Types 25 and 207 are claimed when the windows are built.
    void registerWith(Dispatcher&) {}

private:
    [[maybe_unused]] PlayerInfoView& view_;
    PlayerInfoModel model_;
};

}  // namespace tessary::lobby
