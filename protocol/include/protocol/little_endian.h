// Little-endian integers inside payloads: the game library's events, the
// datagram stamps and the games' own messages. (Frame headers are big-endian
// and stay inside the codec.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessary::protocol {

inline uint16_t readLe16(const uint8_t* bytes) { return uint16_t(bytes[0] | (bytes[1] << 8)); }
inline uint32_t readLe32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}
// The caller has checked that `at` leaves room for the value.
inline uint16_t readLe16(std::span<const uint8_t> bytes, size_t at) { return readLe16(bytes.data() + at); }
inline uint32_t readLe32(std::span<const uint8_t> bytes, size_t at) { return readLe32(bytes.data() + at); }

inline void appendLe16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
inline void appendLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(value >> shift));
}

}  // namespace tessary::protocol
