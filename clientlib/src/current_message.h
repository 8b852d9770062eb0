// The message the last poll handed out, with the three reading cursors of the
// "GetNext" readers and the photo size the caller has read.
#pragma once

#include <cstddef>
#include <optional>

#include "protocol/codec.h"

namespace tessary::clientlib {

class CurrentMessage {
public:
    // `message` became current (it must stay valid until the next call):
    // every cursor starts again at 0.
    void replace(const protocol::ServiceMessage* message) {
        message_ = message;
        entry = player = spectator = 0;
        photoSizeRead.reset();
    }

    // Null until a first message was handed out.
    const protocol::ServiceMessage* message() const { return message_; }
    bool is(uint8_t type) const { return message_ && message_->type == type; }
    const protocol::ValueList* body() const { return message_ ? &message_->body : nullptr; }

    size_t entry = 0;      // next entry of a list message
    size_t player = 0;     // next player of the session last read
    size_t spectator = 0;  // next spectator of that session
    // The photo size the caller asked for, which bounds the photo copy.
    std::optional<size_t> photoSizeRead;

private:
    const protocol::ServiceMessage* message_ = nullptr;
};

}  // namespace tessary::clientlib
