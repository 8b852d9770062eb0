// Copying values into the caller's buffers, within the sizes the C interface
// promises: a server text never runs past a text buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "TSClient.h"

namespace tessary::clientlib {

inline constexpr size_t kTextOutSize = TS_TEXT_OUT_SIZE;

// Writes `text` and a NUL into `out` (`capacity` bytes), cut to capacity - 1
// characters. A null `out` is skipped.
inline void copyText(std::string_view text, char* out, size_t capacity = kTextOutSize) {
    if (!out || capacity == 0) return;
    const size_t length = std::min(text.size(), capacity - 1);
    if (length) std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

inline void copyInt32(int32_t value, int32_t* out) {
    if (out) std::memcpy(out, &value, sizeof value);
}

inline void copyByte(uint8_t value, uint8_t* out) {
    if (out) *out = value;
}

// A text argument; null reads as empty.
inline std::string_view textIn(const char* in) { return in ? std::string_view(in) : std::string_view(); }

}  // namespace tessary::clientlib
