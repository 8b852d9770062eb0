#include "desktop/ansi_text.h"

#include "desktop/text_codec.h"

namespace tessary::desktop {

QString fromAnsi(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    // Every Windows-1252 character lies in the basic plane: one UTF-16 unit each.
    for (char c : text) {
        result.append(QChar(static_cast<char16_t>(cp1252Char(static_cast<unsigned char>(c)))));
    }
    return result;
}

std::string toAnsi(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const auto byte = cp1252Byte(c.unicode());
        result += byte ? static_cast<char>(*byte) : '?';
    }
    return result;
}

}  // namespace tessary::desktop
