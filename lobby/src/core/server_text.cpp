#include "lobby/server_text.h"

#include <cstring>
#include <vector>

namespace tessary::lobby {
namespace {

constexpr std::string_view kEllipsis = "...";

std::vector<std::string> splitLines(std::string_view raw, bool keepBreaks) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        const bool lineBreak = raw[i] == '\n' || raw[i] == '\r';
        if (lineBreak && keepBreaks) {
            if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += (byte < 32 || byte == 127) ? ' ' : raw[i];
        }
    }
    return lines;
}

void cutLine(std::string& line, std::size_t maxLength) {
    if (line.size() <= maxLength) return;
    line.resize(maxLength > kEllipsis.size() ? maxLength - kEllipsis.size() : 0);
    line += kEllipsis;
}

}  // namespace

std::string boundedServerText(std::string_view raw, TextBounds bounds) {
    auto lines = splitLines(raw, bounds.maxLines > 1);
    const bool tooMany = lines.size() > bounds.maxLines;
    if (tooMany) lines.resize(bounds.maxLines);
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        cutLine(lines[i], bounds.maxLineLength);
        if (i > 0) text += '\n';
        text += lines[i];
    }
    if (tooMany) text += kEllipsis;
    return text;
}

std::string textFromBuffer(const char* buffer, std::size_t capacity) {
    return std::string(buffer, strnlen(buffer, capacity));
}

}  // namespace tessary::lobby
