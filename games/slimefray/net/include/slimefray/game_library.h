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
    [[nodiscard]] bool resolve();

    void* handle_ = nullptr;
    bool attempted_ = false;
    tsgame::Exports exports_;
    std::string missing_;
};

// The lobby's directory: the value "Directory" of the key
// "SOFTWARE\Quillon\Tessary Client" in the registry file ($TESSARY_REGISTRY,
// else $XDG_CONFIG_HOME/tessary/registry.ini, else ~/.config/tessary/registry.ini).
std::optional<std::filesystem::path> lobbyDirectoryFromRegistry();

// One string value of the registry file: `name` in the section `[key]`.
std::optional<std::string> readRegistryValue(const std::filesystem::path& file, std::string_view key,
                                             std::string_view name);
std::filesystem::path registryFile();

}  // namespace tessary::slimefray
