#include "slimefray/turn_clock.h"

#include <cstdio>

namespace tessary::slimefray {

std::string formatClock(int seconds) {
    if (seconds < 0) return "Waiting...";
    int minutes = seconds / 60;
    int rest = seconds % 60;
    char text[32];
    std::snprintf(text, sizeof text, "%s%d:%s%d", minutes < 10 ? "0" : "", minutes, rest < 10 ? "0" : "",
                  rest);
    return text;
}

void TurnClock::begin(int slot, int seconds, int64_t nowMs) {
    slot_ = slot;
    seconds_ = seconds;
    startMs_ = nowMs;
    running_ = true;
}

int TurnClock::remaining(int64_t nowMs) const {
    return seconds_ - int((nowMs - startMs_) / 1000);
}

}  // namespace tessary::slimefray
