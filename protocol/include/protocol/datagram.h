// The datagram side channel's packet between the game library and the game
// server: one encoded raw message (replace flag set) whose payload starts
// with the sender's local stamp and the echo of the other side's stamp, both
// 32-bit little-endian, then the game payload.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "protocol/codec.h"

namespace tessary::protocol {

inline constexpr size_t kStampBytes = 8;
inline constexpr size_t kDatagramHeaderSize = kRawHeaderSize + kStampBytes;
// Longest datagram read; anything longer arrives cut and is dropped.
inline constexpr size_t kMaxDatagramSize = 1024;

struct Datagram {
    RawMessage message;  // payload: the game payload, type byte first
    uint32_t stamp = 0;
    uint32_t echoStamp = 0;
};

[[nodiscard]] Bytes encodeDatagram(const Datagram& datagram);

// Nothing for anything that is not a whole raw message of at least the header
// and the stamps: structured frames, short or cut datagrams, bad sizes.
[[nodiscard]] std::optional<Datagram> decodeDatagram(std::span<const uint8_t> bytes);

}  // namespace tessary::protocol
