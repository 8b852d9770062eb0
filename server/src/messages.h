// Building answers and reading request bodies, shared by the Router and the
// Arenas. Reads are positional and kind-checked; texts are bounded.
#pragma once

#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/codec.h"

namespace tessary::server {

using protocol::ServiceMessage;
using protocol::ValueList;

inline ServiceMessage makeMessage(uint8_t source, uint8_t type, ValueList body = {}) {
    // A role sends answers and notices, never a request of the libraries.
    assert(!protocol::findMessageType(type) ||
           protocol::findMessageType(type)->direction == protocol::Direction::FromService ||
           protocol::findMessageType(type)->direction == protocol::Direction::Both);
    ServiceMessage message;
    message.type = type;
    message.source = source;
    message.destination = protocol::kModulePlayer;
    message.body = std::move(body);
    return message;
}

// TSSUCCESS: [request code, data list] (the list only when there is data).
inline ServiceMessage success(uint8_t source, uint8_t requestCode, std::optional<ValueList> data = std::nullopt) {
    ValueList body;
    body.appendInteger<uint8_t>(requestCode);
    if (data) body.appendList(std::move(*data));
    return makeMessage(source, protocol::TSSUCCESS, std::move(body));
}

// TSFAIL: [request code, [failure text]].
inline ServiceMessage failure(uint8_t source, uint8_t requestCode, std::string_view text) {
    ValueList reason;
    reason.appendText(text);
    ValueList body;
    body.appendInteger<uint8_t>(requestCode);
    body.appendList(std::move(reason));
    return makeMessage(source, protocol::TSFAIL, std::move(body));
}

// Reads the values of a request body; each read fails on a missing value, a
// value of another kind, or a text longer than `maxLength`.
class RequestReader {
public:
    explicit RequestReader(const ValueList& body) : body_(body) {}

    [[nodiscard]] std::optional<std::string> text(size_t index, size_t maxLength) const {
        const std::string* value = body_.text(index);
        if (!value || value->size() > maxLength) return std::nullopt;
        return *value;
    }
    [[nodiscard]] std::optional<int32_t> int32(size_t index) const {
        int32_t value = 0;
        if (!body_.readInteger(index, value)) return std::nullopt;
        return value;
    }
    [[nodiscard]] std::optional<uint8_t> int8(size_t index) const {
        uint8_t value = 0;
        if (!body_.readInteger(index, value)) return std::nullopt;
        return value;
    }
    [[nodiscard]] const std::string* binary(size_t index) const { return body_.binary(index); }
    [[nodiscard]] const ValueList* list(size_t index) const { return body_.list(index); }
    size_t size() const { return body_.size(); }

private:
    const ValueList& body_;
};

}  // namespace tessary::server
