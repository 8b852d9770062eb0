// Loads the game library and resolves its forty exports by name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "slimefray/tsgame_exports.h"

namespace tessary::slimefray {

class GameLibrary {
public:
    GameLibrary() = default;
    GameLibrary(const GameLibrary&) = delete;
    GameLibrary& operator=(const GameLibrary&) = delete;
    ~GameLibrary();

    // The library file's name.
    static constexpr const char* kFileName = "libTSGame.so";

    // Loads "<lobby directory>/libTSGame.so" when the lobby's directory is
    // known, else (or when that fails) "libTSGame.so" through the normal
    // search, and resolves every export. Loading happens once: a second call
    // fails. False when the library or any export is missing.
    [[nodiscard]] bool load(const std::optional<std::filesystem::path>& lobbyDirectory);

    const tsgame::Exports& exports() const { return exports_; }
    // The name of the first export that could not be resolved, for diagnostics.
    const std::string& missing() const { return missing_; }

private:
    platform::SharedLibrary library_;
    tsgame::Exports exports_;
    std::string missing_;
};

// The lobby's directory: the value "Directory" under the client key of the
// shared registry (platform/registry.h); nothing when it is missing or empty.
std::optional<std::filesystem::path> lobbyDirectoryFromRegistry();

}  // namespace tessary::slimefray
