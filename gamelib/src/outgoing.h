// How the library's outgoing raw messages are laid out: the game payload is
// the type byte, the addressing bytes of the relay kind, then the data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "protocol/codec.h"

namespace tessary::gamelib {

// A raw message of `kind` from `sender` with `flags`; `addressing` (target
// player id or group id) goes between the type byte and `data`.
[[nodiscard]] protocol::RawMessage makeGameMessage(uint8_t kind, uint8_t type, uint16_t sender, uint8_t flags,
                                                   std::span<const uint8_t> addressing,
                                                   std::span<const uint8_t> data);

// A library message to the server: stream path, priority 0.
[[nodiscard]] protocol::RawMessage makeServerMessage(uint8_t type, uint16_t sender,
                                                     std::span<const uint8_t> data = {});

// The EVENT_REGISTER data: the name's characters zero-padded to 16 bytes (no
// terminator for a 16-character name). Nothing for a missing or empty name
// or one longer than 16 characters.
[[nodiscard]] std::optional<protocol::Bytes> registrationData(const char* name);

// `data` of `length` bytes as a span; empty for a null pointer or a length
// below 1.
inline std::span<const uint8_t> callerBytes(const void* data, int32_t length) {
    if (!data || length <= 0) return {};
    return {static_cast<const uint8_t*>(data), size_t(length)};
}

}  // namespace tessary::gamelib
