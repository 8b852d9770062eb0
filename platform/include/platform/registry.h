// The registry: string values under key paths, shared by every program of the
// service (the lobby, the client library, the game library and the games).
//
// One INI file holds it: `$TESSARY_REGISTRY` when set, else
// `$XDG_CONFIG_HOME/tessary/registry.ini` (`~/.config/...` without it). Each
// key path is one section, backslashes kept:
//
//     [SOFTWARE\Quillon\Tessary Games\POKER]
//     directory=/opt/tessary/games/poker
//
// Key paths and value names compare without regard to ASCII case, as the
// original registry did; the spelling of the first write is kept. A write
// replaces the whole file atomically (temporary file + rename) under an
// advisory lock, so readers never see half a file and two writers never lose
// each other's values.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::platform {

// The keys the programs share: the lobby's directory ("Directory") under the
// client key; one key per game under the games key + the game's name
// ("directory", "exec", "version", "arg", "window").
inline constexpr std::string_view kClientKeyPath = "SOFTWARE\\Quillon\\Tessary Client";
inline constexpr std::string_view kGamesKeyPath = "SOFTWARE\\Quillon\\Tessary Games\\";

class Registry {
public:
    // A registry kept in the file at `path` (created on the first write).
    explicit Registry(std::filesystem::path path) : path_(std::move(path)) {}

    // The registry every program shares (see above for where it lives).
    static Registry shared();
    static std::filesystem::path sharedPath();

    // The value `name` under `keyPath`; nothing when the file, the key or the
    // value is missing.
    [[nodiscard]] std::optional<std::string> get(std::string_view keyPath, std::string_view name) const;

    // The names of the keys directly under `parentPath` (which ends in "\\"),
    // in the file's order, each once.
    [[nodiscard]] std::vector<std::string> subkeys(std::string_view parentPath) const;

    // Sets `name` under `keyPath` to `value`, creating the key and the file.
    // Refuses (false) names, key paths or values that would break the file's
    // lines (line breaks; "]" in a key path; "=" or a leading "[" or ";" in a
    // name), and reports I/O failures as false.
    [[nodiscard]] bool set(std::string_view keyPath, std::string_view name, std::string_view value);

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tessary::platform
