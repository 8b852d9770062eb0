#include "slimefray/session_options.h"

#include <charconv>
#include <vector>

namespace tessary::slimefray {
namespace {

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    size_t at = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (at < line.size()) {
        while (at < line.size() && blank(line[at])) ++at;
        size_t start = at;
        while (at < line.size() && !blank(line[at])) ++at;
        if (at > start) out.push_back(line.substr(start, at - start));
    }
    return out;
}

// A %d conversion: an optional sign and digits at the start of the token.
bool leadingNumber(std::string_view token, int& out) {
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), out);
    return error == std::errc() && end != token.data();
}

}  // namespace

SessionOptions parseOptionLine(std::string_view line) {
    SessionOptions options;
    std::vector<std::string_view> t = tokens(line);
    if (t.size() < 1 || !leadingNumber(t[0], options.optionA)) return options;
    if (t.size() < 2) return options;
    int seconds = 0;
    if (leadingNumber(t[1], seconds) && seconds > 0) options.optionB = seconds;
    if (t.size() < 3) return options;
    options.optionC = std::string(t[2].substr(0, 24));
    if (t.size() < 4) return options;
    options.mapName = std::string(t[3]);
    if (t.size() < 5) return options;
    int e = 0;
    if (leadingNumber(t[4], e)) options.optionE = e;
    // Lines written before computer players existed end here.
    if (t.size() < 6 || !leadingNumber(t[5], options.computerPlayers)) return options;
    if (t.size() < 7) return options;
    (void)leadingNumber(t[6], options.computerLevel);
    return options;
}

}  // namespace tessary::slimefray
