// The table's pseudo-random generator: a linear congruence whose 15-bit output
// every program of the table reproduces identically from the same seed.
#pragma once

#include <cstdint>

namespace tessary::poker {

class Lcg {
public:
    explicit Lcg(uint32_t seed = 1) : state_(seed) {}

    void seed(uint32_t seed) { state_ = seed; }

    // 0 to 32767.
    uint32_t next() {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFFu;
    }

private:
    uint32_t state_;
};

}  // namespace tessary::poker
