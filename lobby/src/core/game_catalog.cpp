#include "lobby/game_catalog.h"

#include <fstream>
#include <iterator>

namespace tessary::lobby {
namespace {

constexpr std::size_t kMaxLineLength = 254;

std::string withoutCarriageReturns(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

// Splits like a line reader with a 255-byte buffer: each piece ends after a
// line feed or after 254 characters, whichever comes first.
std::vector<std::string> readLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto feed = text.find('\n');
        std::size_t length = feed == std::string_view::npos ? text.size() : feed + 1;
        length = std::min(length, kMaxLineLength);
        std::string line(text.substr(0, length));
        text.remove_prefix(length);
        line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

std::vector<GameEntry> parseGameCatalog(std::string_view bytes) {
    const auto lines = readLines(withoutCarriageReturns(bytes));
    std::vector<GameEntry> games;
    for (std::size_t i = 0; i + 4 <= lines.size(); i += 4) {
        games.push_back({lines[i], lines[i + 1], lines[i + 2], lines[i + 3]});
    }
    return games;
}

std::optional<std::vector<GameEntry>> readGameCatalog(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseGameCatalog(bytes);
}

}  // namespace tessary::lobby
