// The router view's news lines (type 13) and the advertisement area (type 200).
#pragma once

#include <string>
#include <vector>

#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct NewsModel {
    std::vector<std::string> lines;
};

class NewsView {
public:
    virtual ~NewsView() = default;
};

class NewsController {
public:
    explicit NewsController(NewsView& view) : view_(view) {}

    // Types 13 and 200 are claimed when the panels are built.
    void registerWith(Dispatcher&) {}

private:
    [[maybe_unused]] NewsView& view_;
    NewsModel model_;
};

}  // namespace tessary::lobby
