// Pages between players (type 205), the page window and the player search
// (type 14) that pages and buddies use.
#pragma once

#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct PagesModel {};

class PagesView {
public:
    virtual ~PagesView() = default;
};

class PagesController {
public:
    explicit PagesController(PagesView& view) : view_(view) {}

    // Types 205 and 14 are claimed when the page windows are built.
    void registerWith(Dispatcher&) {}

private:
    [[maybe_unused]] PagesView& view_;
    PagesModel model_;
};

}  // namespace tessary::lobby
