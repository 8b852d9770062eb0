// Small text helpers shared by the roles: trimming, player-name rules,
// case folding of 8-bit Windows-1252 names, version comparison.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::server {

inline std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

inline std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        const size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.emplace_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

inline constexpr size_t kMaxNameLength = 15;

// The lobby's name filter: printable ASCII and the accented letters 192-255,
// except the separators the lobby uses in page addressing and files.
inline bool isNameCharacter(unsigned char c) {
    if (c == '+' || c == ',' || c == ';' || c == '|') return false;
    return (c >= 32 && c <= 126) || c >= 192;
}

enum class NameCheck { Ok, Empty, TooLong, BadCharacter, OuterBlank };

inline NameCheck checkPlayerName(std::string_view name) {
    if (trim(name).empty()) return NameCheck::Empty;
    if (name.size() > kMaxNameLength) return NameCheck::TooLong;
    for (unsigned char c : name)
        if (!isNameCharacter(c)) return NameCheck::BadCharacter;
    if (name.front() == ' ' || name.back() == ' ') return NameCheck::OuterBlank;
    return NameCheck::Ok;
}

// Names are unique without regard to case, for the accented letters too.
inline std::string foldName(std::string_view name) {
    std::string out(name);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) ch = static_cast<char>(c + 32);
    }
    return out;
}

inline bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && foldName(a) == foldName(b);
}

// Compares dotted version texts part by part, numbers numerically
// ("1.10" is newer than "1.9"); a missing part counts as 0.
inline int compareVersions(std::string_view a, std::string_view b) {
    auto nextPart = [](std::string_view& text) {
        const size_t dot = text.find('.');
        std::string_view part = text.substr(0, dot);
        text = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
        return trim(part);
    };
    auto isNumber = [](std::string_view p) {
        return !p.empty() && p.size() < 10 && std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    while (!a.empty() || !b.empty()) {
        std::string_view pa = nextPart(a);
        std::string_view pb = nextPart(b);
        if (pa.empty()) pa = "0";
        if (pb.empty()) pb = "0";
        if (isNumber(pa) && isNumber(pb)) {
            const long na = std::stol(std::string(pa));
            const long nb = std::stol(std::string(pb));
            if (na != nb) return na < nb ? -1 : 1;
        } else if (pa != pb) {
            return pa < pb ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace tessary::server
