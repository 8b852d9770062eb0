// The router view's news lines (type 13) and the publicity panel's
// advertisements (type 200).
#pragma once

#include <string>
#include <vector>

#include "lobby/advertisements.h"
#include "lobby/client_api.h"
#include "lobby/dispatcher.h"

namespace tessary::lobby {

struct NewsModel {
    std::vector<std::string> lines;
    std::vector<Advertisement> advertisements;
};

class NewsView {
public:
    virtual ~NewsView() = default;
    virtual void showNews(const std::vector<std::string>& lines) = 0;
    // The panel fills its cache from these and rotates them.
    virtual void showAdvertisements(const std::vector<Advertisement>& ads) = 0;
};

class NewsController {
public:
    NewsController(const ClientApi& api, NewsView& view) : api_(api), view_(view) {}

    void registerWith(Dispatcher& dispatcher);
    const NewsModel& model() const { return model_; }

private:
    void onNews();
    void onAdvertisements();

    const ClientApi& api_;
    NewsView& view_;
    NewsModel model_;
};

}  // namespace tessary::lobby
