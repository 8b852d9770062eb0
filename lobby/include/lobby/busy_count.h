// The number of requests whose answer the player is waiting for. While it is
// above zero the lobby shows its wait cursor and bitmap buttons ignore clicks.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace tessary::lobby {

class BusyCount {
public:
    // Called whenever the count crosses between zero and non-zero.
    using Listener = std::function<void(bool busy)>;

    void setListener(Listener listener) { listener_ = std::move(listener); }

    void increment() { change(static_cast<int16_t>(count_ + 1)); }

    // An answer that arrives after a reset (a lost connection sets the count
    // back to zero) must not leave the count negative: the next request would
    // then show no wait cursor.
    void decrement() { change(count_ > 0 ? static_cast<int16_t>(count_ - 1) : int16_t{0}); }

    void reset() { change(0); }

    int16_t value() const { return count_; }
    bool busy() const { return count_ > 0; }

private:
    void change(int16_t next) {
        const bool wasBusy = busy();
        count_ = next;
        if (wasBusy != busy() && listener_) listener_(busy());
    }

    int16_t count_{0};
    Listener listener_;
};

}  // namespace tessary::lobby
