#include "skin/string_table.h"

#include <fstream>
#include <optional>

namespace tessary::skin {
namespace {

struct NumberedLine {
    int number;
    std::string_view text;
};

// "  12:text" -> {12, "text"}; lines without a number and a colon are not texts.
std::optional<NumberedLine> parseLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    bool negative = i < line.size() && line[i] == '-';
    if (negative || (i < line.size() && line[i] == '+')) ++i;
    std::size_t digitsStart = i;
    long long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - digitsStart < 9) {
        value = value * 10 + (line[i] - '0');
        ++i;
    }
    if (i == digitsStart || i >= line.size() || line[i] != ':') return std::nullopt;
    return NumberedLine{static_cast<int>(negative ? -value : value), line.substr(i + 1)};
}

}  // namespace

std::string StringTable::unescape(std::string_view raw) {
    std::string text(raw);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') continue;
        text[i] = ' ';
        if (i + 1 >= text.size()) break;
        char& next = text[++i];
        if (next == 'n')
            next = '\n';
        else if (next == 'r')
            next = '\r';
        else if (next == 't')
            next = '\t';
    }
    return text;
}

std::string StringTable::text(int number) const {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return {};
    std::string line;
    std::string lastText;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<NumberedLine> parsed = parseLine(line);
        if (!parsed) continue;
        std::string_view text = parsed->text.substr(0, kMaxTextLength);
        if (parsed->number == number) return unescape(text);
        lastText = text;
    }
    return unescape(lastText);
}

}  // namespace tessary::skin
