#include "slimefray/map_file.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace tessary::slimefray {
namespace {

uint8_t tileOfCharacter(int c) {
    if (c < '1' || c > '9') return kFloor;
    return c == '2' ? kDebris : kRock;
}

}  // namespace

std::optional<MapData> parseMap(std::string_view original) {
    std::string text;
    text.reserve(original.size());
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] == '\r' && i + 1 < original.size() && original[i + 1] == '\n') continue;
        text.push_back(original[i]);
    }
    size_t at = 0;
    auto next = [&]() -> int { return at < text.size() ? uint8_t(text[at++]) : -1; };

    while (at < text.size() && std::isspace(uint8_t(text[at]))) ++at;
    int side = kDefaultMapSide;
    if (at < text.size() && std::isdigit(uint8_t(text[at]))) {
        long value = 0;
        while (at < text.size() && std::isdigit(uint8_t(text[at])) && value <= kMaxSide) {
            value = value * 10 + (text[at++] - '0');
        }
        if (value < 1 || value > kMaxSide) return std::nullopt;
        side = int(value);
    }
    next();  // the line end after the number
    MapData map{side, Bytes(size_t(side) * size_t(side), kFloor)};
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) map.columns[size_t(x) * side + y] = tileOfCharacter(next());
        next();
    }
    return map;
}

std::optional<std::filesystem::path> mapPath(const std::filesystem::path& gameDirectory,
                                             std::string_view mapName) {
    if (!isSafeFileName(mapName)) return std::nullopt;
    return gameDirectory / "map" / (std::string(mapName) + ".map");
}

std::optional<MapData> readMapFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    constexpr size_t kLimit = 64 * 1024;
    text.resize(kLimit + 1);
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    if (text.size() > kLimit) return std::nullopt;
    return parseMap(text);
}

std::string formatMap(const MapData& map) {
    std::string text = std::to_string(map.side) + "\n";
    for (int y = 0; y < map.side; ++y) {
        for (int x = 0; x < map.side; ++x) text.push_back(char('0' + map.columns[size_t(x) * map.side + y]));
        text.push_back('\n');
    }
    return text;
}

}  // namespace tessary::slimefray
