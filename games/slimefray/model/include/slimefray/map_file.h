// Map files "map/<name>.map": the side N in decimal, then N lines of N cell
// digits. Only the master's program reads one; the server sends the cells to
// everyone.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "slimefray/messages.h"

namespace tessary::slimefray {

struct MapData {
    int side = 0;
    Bytes columns;  // tile kinds column by column (byte x*N + y), as type 11 sends them
};

inline constexpr int kDefaultMapSide = 20;

// Reads the text as the program always has: N (20 when the text holds no
// number), one character for the line end, then for each row N characters and
// one more for its line end. A row shorter than N therefore shifts the cells
// that follow. Carriage returns before line feeds are dropped first, as a
// text-mode read does. Cells: "1" and "2" are obstacles of those kinds, other
// digits above 2 obstacles of kind 1, anything else (a line end read as a
// cell, the text running out) floor. nullopt when N is not 1..50.
[[nodiscard]] std::optional<MapData> parseMap(std::string_view text);

// The map file of the session's map name inside the game's directory, or
// nullopt when the name could lead out of "map/".
[[nodiscard]] std::optional<std::filesystem::path> mapPath(const std::filesystem::path& gameDirectory,
                                                           std::string_view mapName);

// Reads and parses a map file of at most 64 KiB; nullopt when it cannot be
// opened or parsed.
[[nodiscard]] std::optional<MapData> readMapFile(const std::filesystem::path& path);

// The map as the text the reader expects (LF line ends).
std::string formatMap(const MapData& map);

}  // namespace tessary::slimefray
