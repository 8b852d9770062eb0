// The requests whose answer the player is waiting for. While any is open the
// lobby shows its wait cursor and bitmap buttons ignore clicks.
//
// A request to a server takes an awaited answer (awaitAnswer with the poll
// result its answer arrives as); the dispatcher releases it when that answer
// is dispatched, before its handler runs. A blocking call holds the count for
// its own duration (Hold). Nothing is counted down by hand.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tessary::lobby {

class BusyCount {
public:
    // Called whenever the count crosses between zero and non-zero.
    using Listener = std::function<void(bool busy)>;

    // Busy for as long as it lives.
    class Hold {
    public:
        explicit Hold(BusyCount& count) : count_(count) { count_.changeHeld(+1); }
        ~Hold() { count_.changeHeld(-1); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        BusyCount& count_;
    };

    void setListener(Listener listener) { listener_ = std::move(listener); }

    [[nodiscard]] Hold hold() { return Hold(*this); }

    // A request was sent whose answer arrives as poll result `answerType`.
    void awaitAnswer(int32_t answerType) {
        const bool wasBusy = busy();
        awaited_.push_back(answerType);
        notify(wasBusy);
    }

    // An answer of `type` is being dispatched: the oldest request waiting for
    // it is done. An answer nobody waits for (a late one after a reset, or
    // one sent unasked) changes nothing.
    void answered(int32_t type) {
        const auto it = std::find(awaited_.begin(), awaited_.end(), type);
        if (it == awaited_.end()) return;
        const bool wasBusy = busy();
        awaited_.erase(it);
        notify(wasBusy);
    }

    // The connection went away: no awaited answer will come.
    void reset() {
        const bool wasBusy = busy();
        awaited_.clear();
        notify(wasBusy);
    }

    int value() const { return held_ + static_cast<int>(awaited_.size()); }
    bool busy() const { return value() > 0; }

private:
    void changeHeld(int delta) {
        const bool wasBusy = busy();
        held_ += delta;
        notify(wasBusy);
    }
    void notify(bool wasBusy) {
        if (wasBusy != busy() && listener_) listener_(busy());
    }

    std::vector<int32_t> awaited_;
    int held_{0};
    Listener listener_;
};

}  // namespace tessary::lobby
