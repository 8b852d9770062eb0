// The library's own message types (first payload byte of a raw message),
// the payload sizes of the events it receives, and the send modes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/codec.h"

namespace tessary::gamelib {

enum LibraryMessage : uint8_t {
    kProbe = 237,             // both ways: the datagram probe and its answer
    kCancelStorage = 238,     // out
    kPlayerInfos = 239,       // out: store in the database; in: EVENT_PLAYERINFOS
    kServerTime = 240,        // out: time request; in: EVENT_SERVERTIME
    kNewMaster = 241,         // in
    kPlayerLeft = 242,        // in
    kNewPlayer = 243,         // in
    kGroupRemovePlayer = 244, // out
    kGroupAddPlayer = 245,    // out
    kGroupEmpty = 246,        // out
    kGroupDelete = 247,       // out
    kGroupCreate = 248,       // out
    kOwnId = 249,             // in
    kRegister = 250,          // out
};

inline constexpr uint8_t kMaxGameType = 200;
inline constexpr size_t kNameFieldSize = 16;  // names in EVENT_NEWPLAYER and EVENT_REGISTER

// Payload sizes after the type byte of the events received.
inline constexpr size_t kServerTimeSize = 8;
inline constexpr size_t kPlayerIdSize = 2;  // EVENT_NEWMASTER, EVENT_PLAYERLEFT, start of EVENT_PLAYERINFOS
inline constexpr size_t kNewPlayerSize = kPlayerIdSize + kNameFieldSize;
inline constexpr size_t kOwnIdSize = 6;

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

inline uint16_t readLe16(const uint8_t* bytes) { return uint16_t(bytes[0] | (bytes[1] << 8)); }
inline uint32_t readLe32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}
inline void appendLe16(protocol::Bytes& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
inline void appendLe32(protocol::Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(value >> shift));
}

}  // namespace tessary::gamelib
