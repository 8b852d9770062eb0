#include "lobby/link_polling.h"

#include <utility>

namespace tessary::lobby {

LinkPolling::LinkPolling(std::function<void()> poll, int periodMs) : poll_(std::move(poll)), periodMs_(periodMs) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll_(); });
    QObject::connect(&modalTimer_, &QTimer::timeout, [this] { poll_(); });
}

bool LinkPolling::runModal(const std::function<void()>& open) {
    if (modalOpen_) return false;
    struct Open {
        LinkPolling& polling;
        explicit Open(LinkPolling& p) : polling(p) {
            polling.modalOpen_ = true;
            // Once the link is closed (the program ending) nothing polls.
            if (polling.timer_.isActive()) polling.modalTimer_.start(polling.periodMs_);
        }
        ~Open() {
            polling.modalTimer_.stop();
            polling.modalOpen_ = false;
        }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;
    } guard(*this);
    open();
    return true;
}

}  // namespace tessary::lobby
