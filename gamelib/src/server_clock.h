// The estimate of the game server's clock: a request every 30 s while
// synchronization is on (each only after the previous answer), and the last
// answer carried forward with the local clock.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "local_time.h"

namespace tessary::gamelib {

class ServerClock {
public:
    static constexpr int32_t kRequestPeriodMs = 30'000;

    void setSynchronization(bool enabled) { enabled_ = enabled; }
    bool synchronizationEnabled() const { return enabled_; }

    // Whether TS_Engine should send a time request at `now`.
    [[nodiscard]] bool requestDue(LocalMs now) const;
    // The request went out at `now`.
    void requestSent(LocalMs now);
    // The link that carried the pending request is gone: the next request
    // may leave without its answer.
    void forgetPendingRequest() { pending_ = false; }

    // EVENT_SERVERTIME: `payload` is what follows the type byte. False (and
    // nothing changes) unless it holds exactly 8 bytes.
    [[nodiscard]] bool takeAnswer(std::span<const uint8_t> payload, LocalMs now);

    // TS_GetServerTime: the outputs are untouched before the first answer.
    [[nodiscard]] int32_t read(LocalMs now, uint32_t* seconds, int32_t* milliseconds) const;

    bool requestPending() const { return pending_; }
    bool valid() const { return valid_; }

private:
    bool enabled_ = false;
    bool pending_ = false;
    bool valid_ = false;
    std::optional<LocalMs> lastRequest_;  // none: the first request is due at once
    uint32_t baseSeconds_ = 0;
    int32_t baseMilliseconds_ = 0;
    LocalMs baseLocal_ = 0;
};

}  // namespace tessary::gamelib
