#include "outgoing.h"

#include <cstring>

#include "library_messages.h"

namespace tessary::gamelib {

protocol::RawMessage makeGameMessage(uint8_t kind, uint8_t type, uint16_t sender, uint8_t flags,
                                     std::span<const uint8_t> addressing, std::span<const uint8_t> data) {
    protocol::RawMessage message;
    message.kind = kind;
    message.sender = sender;
    message.flags = flags;
    message.payload.reserve(1 + addressing.size() + data.size());
    message.payload.push_back(type);
    message.payload.insert(message.payload.end(), addressing.begin(), addressing.end());
    message.payload.insert(message.payload.end(), data.begin(), data.end());
    return message;
}

protocol::RawMessage makeServerMessage(uint8_t type, uint16_t sender, std::span<const uint8_t> data) {
    return makeGameMessage(protocol::SENDTOSERVER, type, sender, 0, {}, data);
}

std::optional<protocol::Bytes> registrationData(const char* name) {
    if (!name) return std::nullopt;
    const size_t length = strnlen(name, kNameFieldSize + 1);
    if (length == 0 || length > kNameFieldSize) return std::nullopt;
    protocol::Bytes field(kNameFieldSize, 0);
    std::memcpy(field.data(), name, length);
    return field;
}

}  // namespace tessary::gamelib
