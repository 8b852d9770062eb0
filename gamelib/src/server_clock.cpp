#include "server_clock.h"

#include "TSGame.h"
#include "library_messages.h"

namespace tessary::gamelib {

namespace {

// (seconds, milliseconds) moved on by `elapsedMs`, milliseconds kept in 0..999.
void advance(uint32_t& seconds, int32_t& milliseconds, int32_t elapsedMs) {
    seconds += uint32_t(elapsedMs / 1000);
    milliseconds += elapsedMs % 1000;
    if (milliseconds > 999) {
        seconds += 1;
        milliseconds -= 1000;
    } else if (milliseconds < 0) {
        seconds -= 1;
        milliseconds += 1000;
    }
}

}  // namespace

bool ServerClock::requestDue(LocalMs now) const {
    return enabled_ && !pending_ && (!lastRequest_ || msBetween(*lastRequest_, now) > kRequestPeriodMs);
}

void ServerClock::requestSent(LocalMs now) {
    lastRequest_ = now;
    pending_ = true;
}

bool ServerClock::takeAnswer(std::span<const uint8_t> payload, LocalMs now) {
    if (payload.size() != kServerTimeSize) return false;
    const uint32_t serverMs = readLe32(payload.data() + 4);
    pending_ = false;
    valid_ = true;
    // A server that sends 1000 ms or more still gives a time in range.
    baseSeconds_ = readLe32(payload.data()) + serverMs / 1000;
    baseMilliseconds_ = int32_t(serverMs % 1000);
    baseLocal_ = now;
    // An answer nobody asked for is taken as it stands.
    if (lastRequest_) advance(baseSeconds_, baseMilliseconds_, msBetween(*lastRequest_, now) / 2);
    return true;
}

int32_t ServerClock::read(LocalMs now, uint32_t* seconds, int32_t* milliseconds) const {
    if (!valid_) return TS_ERROR_NO_SERVER_TIME;
    uint32_t s = baseSeconds_;
    int32_t ms = baseMilliseconds_;
    advance(s, ms, msBetween(baseLocal_, now));
    if (seconds) *seconds = s;
    if (milliseconds) *milliseconds = ms;
    return TS_SUCCESS;
}

}  // namespace tessary::gamelib
