// "game\game.tsc": the games known to the lobby, four lines per game (name,
// directory, program, version), read as the installers have always written
// it, quirks included: each line loses its last character (meant to be the
// line feed, so a last line without one loses a real character), lines are
// at most 254 characters (a longer one is read as several), and blank lines
// are not skipped (a blank line shifts every following field by one).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::lobby {

struct GameEntry {
    std::string name;
    std::string directory;
    std::string program;
    std::string version;

    bool operator==(const GameEntry&) const = default;
};

// The entries of a catalogue file's bytes. Carriage returns before line
// feeds are dropped first (the file may come from a text-mode writer). An
// incomplete group at the end is dropped.
std::vector<GameEntry> parseGameCatalog(std::string_view bytes);

// The entries of the file at `path`; nothing when it cannot be read.
std::optional<std::vector<GameEntry>> readGameCatalog(const std::filesystem::path& path);

}  // namespace tessary::lobby
