// Time inside the game library: 32-bit millisecond stamps of the local clock,
// compared by signed difference so that a stamp that wrapped still orders.
#pragma once

#include <cstdint>

namespace tessary::gamelib {

using LocalMs = int32_t;

// later - earlier as a signed 32-bit value, without overflow.
inline int32_t msBetween(LocalMs earlier, LocalMs later) {
    return int32_t(uint32_t(later) - uint32_t(earlier));
}

// `base` moved on by `delta` milliseconds, wrapping like the clock does.
inline LocalMs msAfter(LocalMs base, int32_t delta) { return LocalMs(uint32_t(base) + uint32_t(delta)); }

}  // namespace tessary::gamelib
