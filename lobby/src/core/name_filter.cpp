#include "lobby/name_filter.h"

#include <string_view>

#include "desktop/text_codec.h"

namespace tessary::lobby {

bool isNameCharacterAllowed(char32_t c) {
    const auto byte = desktop::cp1252Byte(c);
    if (!byte) return false;
    const bool printable = (*byte >= 32 && *byte <= 126) || *byte >= 192;
    return printable && std::string_view("+,;|").find(static_cast<char>(*byte)) == std::string_view::npos;
}

NameFilterResult filterName(std::u32string text, NameField field) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isNameCharacterAllowed(text[i])) continue;
        if (field == NameField::Login) {
            text.erase(i);
        } else {
            text.erase(i, 1);
        }
        return {std::move(text), i, true};
    }
    const auto end = text.size();
    return {std::move(text), end, false};
}

}  // namespace tessary::lobby
