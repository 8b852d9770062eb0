// The lobby's poll of the client library, and the modal windows opened while
// it runs. A modal window opened inside a poll (an answer that asks the
// player something) would stop the poll timer until it closes, since a timer
// never fires inside its own slot, and with it the link's keep-alives and
// answers: while a modal window is open a second timer polls.
#pragma once

#include <QTimer>
#include <functional>

namespace tessary::lobby {

class LinkPolling {
public:
    LinkPolling(std::function<void()> poll, int periodMs);
    LinkPolling(const LinkPolling&) = delete;
    LinkPolling& operator=(const LinkPolling&) = delete;

    void start() { timer_.start(periodMs_); }
    void stop() { timer_.stop(); }

    // Runs `open`, which shows one modal window and returns when it closes.
    // One modal window at a time: while one is open `open` is not run and the
    // answer is false, so a server cannot stack windows.
    bool runModal(const std::function<void()>& open);
    bool modalOpen() const { return modalOpen_; }

private:
    std::function<void()> poll_;
    int periodMs_;
    QTimer timer_;
    QTimer modalTimer_;
    bool modalOpen_{false};
};

}  // namespace tessary::lobby
