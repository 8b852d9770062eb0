// A caller-owned text buffer for one output of the client library.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "lobby/client_api.h"
#include "lobby/server_text.h"

namespace tessary::lobby {

class TextOut {
public:
    char* data() { return bytes_.data(); }
    std::string text() const { return textFromBuffer(bytes_.data(), bytes_.size()); }
    // The text cut to `limit` characters, for a field of that size.
    std::string field(std::size_t limit) const { return text().substr(0, limit); }

private:
    std::array<char, kTextOutSize> bytes_{};
};

}  // namespace tessary::lobby
