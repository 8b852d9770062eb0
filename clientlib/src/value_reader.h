// Reads the values of one list into the caller's outputs, in the order a
// reader lists them. The first missing value (wrong position, kind or size)
// stops the reading; the outputs written before it stay written.
#pragma once

#include <cstdint>
#include <cstring>

#include "protocol/codec.h"
#include "protocol/message_fields.h"
#include "text_out.h"

namespace tessary::clientlib {

class ValueReader {
public:
    explicit ValueReader(const protocol::ValueList* list) : list_(list), ok_(list != nullptr) {}

    ValueReader& text(size_t position, char* out) {
        if (const std::string* value = ok_ ? list_->text(position) : nullptr)
            copyText(*value, out);
        else
            ok_ = false;
        return *this;
    }

    // A 4-byte binary value, its bytes copied unchanged.
    ValueReader& int32(size_t position, int32_t* out) {
        const std::string* value = ok_ ? list_->binary(position) : nullptr;
        if (value && value->size() == 4) {
            if (out) std::memcpy(out, value->data(), 4);
        } else {
            ok_ = false;
        }
        return *this;
    }

    ValueReader& byte(size_t position, uint8_t* out) {
        const std::string* value = ok_ ? list_->binary(position) : nullptr;
        if (value && value->size() == 1)
            copyByte(uint8_t((*value)[0]), out);
        else
            ok_ = false;
        return *this;
    }

    // A 1-byte binary value read as a flag: 1 when not zero.
    ValueReader& flag(size_t position, int32_t* out) {
        uint8_t value = 0;
        byte(position, &value);
        if (ok_) copyInt32(value != 0 ? 1 : 0, out);
        return *this;
    }

    bool ok() const { return ok_; }
    int32_t result() const { return ok_ ? 1 : 0; }

private:
    const protocol::ValueList* list_;
    bool ok_;
};

// The player card (PLAYERINFO, and the data of the answer to GETPLAYERINFO)
// into the outputs of its two readers.
inline int32_t readPlayerCard(const protocol::ValueList* card, char* userName, char* email, char* realName,
                              char* country, char* homePage, char* description, uint8_t* gender,
                              int32_t* photoNumber) {
    using F = protocol::PlayerCard;
    return ValueReader(card)
        .text(F::Name, userName)
        .text(F::Email, email)
        .text(F::RealName, realName)
        .text(F::Country, country)
        .text(F::HomePage, homePage)
        .text(F::Description, description)
        .byte(F::Gender, gender)
        .int32(F::PhotoNumber, photoNumber)
        .result();
}

}  // namespace tessary::clientlib
