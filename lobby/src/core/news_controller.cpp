#include "lobby/news_controller.h"

#include "lobby/server_text.h"
#include "lobby/text_out.h"

namespace tessary::lobby {

namespace {
// The sizes the panel keeps of each advertisement field.
constexpr size_t kFtpField = 255;
constexpr size_t kLinkField = 1023;
// A Router cannot make the lobby keep more than this many.
constexpr size_t kMaxItems = 256;
}  // namespace

void NewsController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::NEWS, [this] { onNews(); });
    dispatcher.on(protocol::ADVERTISEMENT, [this] { onAdvertisements(); });
}

void NewsController::onNews() {
    model_.lines.clear();
    TextOut line;
    while (model_.lines.size() < kMaxItems && api_.TSRouterRcv_GetNextNews(line.data()) != 0) {
        // One line each: a news text cannot break the panel's lines or show controls.
        model_.lines.push_back(boundedServerText(line.text(), {1, kLinkField}));
    }
    view_.showNews(model_.lines);
}

void NewsController::onAdvertisements() {
    model_.advertisements.clear();
    TextOut host, user, password, directory, name, link;
    int32_t milliseconds = 0;
    while (model_.advertisements.size() < kMaxItems &&
           api_.TSRouterRcv_GetNextAdvertisement(host.data(), user.data(), password.data(), directory.data(),
                                                 name.data(), link.data(), &milliseconds) != 0) {
        model_.advertisements.push_back({host.field(kFtpField), user.field(kFtpField), password.field(kFtpField),
                                         directory.field(kFtpField), name.field(kFtpField), link.field(kLinkField),
                                         milliseconds});
    }
    view_.showAdvertisements(model_.advertisements);
}

}  // namespace tessary::lobby
