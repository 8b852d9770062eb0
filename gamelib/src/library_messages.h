// The send modes, and the names of the wire's library messages, datagram
// layout and byte helpers (declared in protocol/) as the library uses them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/codec.h"
#include "protocol/datagram.h"
#include "protocol/library_messages.h"
#include "protocol/little_endian.h"

namespace tessary::gamelib {

using protocol::Datagram;
using protocol::decodeDatagram;
using protocol::encodeDatagram;
using protocol::kDatagramHeaderSize;
using protocol::kMaxDatagramSize;
using protocol::kStampBytes;

using protocol::LibraryMessage;
using enum protocol::LibraryMessage;
using protocol::kMaxGameType;
using protocol::kNameFieldSize;
using protocol::kNewPlayerSize;
using protocol::kOwnIdSize;
using protocol::kPlayerIdSize;
using protocol::kServerTimeSize;

using protocol::appendLe16;
using protocol::appendLe32;
using protocol::readLe16;
using protocol::readLe32;

// Priority of everything that leaves by the relay path.
inline constexpr uint8_t kRelayedPriority = 31;
// Priority of the datagram probe in the relay list.
inline constexpr uint8_t kProbePriority = 3;

// Flags (priority and replace flag) of a send mode 1 to 4; nothing for any
// other mode. The replace flag sends a message by the relay list.
inline std::optional<uint8_t> flagsOfSendMode(int32_t mode) {
    switch (mode) {
        case 1: return uint8_t{0};
        case 2: return uint8_t{protocol::kReplaceFlag | 0};
        case 3: return uint8_t{protocol::kReplaceFlag | 1};
        case 4: return uint8_t{protocol::kReplaceFlag | 2};
        default: return std::nullopt;
    }
}

inline bool isRelayed(uint8_t flags) { return (flags & protocol::kReplaceFlag) != 0; }

}  // namespace tessary::gamelib
