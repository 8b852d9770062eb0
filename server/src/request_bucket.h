// A token bucket on an injected millisecond clock: `perSecond` requests per
// second sustained, `burst` saved up by a quiet client. Counted in
// thousandths of a token, so the rate is exact over any stretch of time.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tessary::server {

class RequestBucket {
public:
    RequestBucket(int64_t perSecond, int64_t burst, int64_t nowMs)
        : perSecond_(std::max<int64_t>(1, perSecond)), capacity_(std::max<int64_t>(1, burst) * 1000),
          milli_(capacity_), atMs_(nowMs) {}

    // Takes one token when there is a whole one. A request that finds none
    // must wait for it: it is not handled first.
    [[nodiscard]] bool take(int64_t nowMs) {
        refill(nowMs);
        if (milli_ < 1000) return false;
        milli_ -= 1000;
        return true;
    }

    // Milliseconds until the next whole token (at least 1).
    int64_t msUntilToken(int64_t nowMs) {
        refill(nowMs);
        return std::max<int64_t>(1, (1000 - milli_ + perSecond_ - 1) / perSecond_);
    }

private:
    void refill(int64_t nowMs) {
        if (nowMs <= atMs_) return;
        milli_ = std::min(capacity_, milli_ + (nowMs - atMs_) * perSecond_);
        atMs_ = nowMs;
    }

    int64_t perSecond_;
    int64_t capacity_;
    int64_t milli_;
    int64_t atMs_;
};

}  // namespace tessary::server
