// The turn clock: whose turn it is and how many seconds are left.
#pragma once

#include <cstdint>
#include <string>

namespace tessary::slimefray {

// Minutes and seconds, each padded to two digits ("%s%d:%s%d"), or
// "Waiting..." below zero. 65 -> "01:05", 600 -> "10:00", 6000 -> "100:00".
std::string formatClock(int seconds);

class TurnClock {
public:
    static constexpr int kNoSlot = -1;

    void begin(int slot, int seconds, int64_t nowMs);
    void stop() { running_ = false; }
    bool running() const { return running_; }
    int slot() const { return slot_; }
    // The seconds given minus the whole seconds elapsed since the turn arrived.
    int remaining(int64_t nowMs) const;

private:
    int slot_ = kNoSlot;
    int seconds_ = 0;
    int64_t startMs_ = 0;
    bool running_ = false;
};

}  // namespace tessary::slimefray
