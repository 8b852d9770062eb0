// Where the programs keep what they write. An application folder the user may
// write (a build's dist/, an unpacked copy) is written in place, as it always
// was. An installed one is never written: settings go below the user's
// configuration folder, downloads and received pictures below the user's
// cache folder, each at its path inside the installation.
#pragma once

#include <filesystem>

namespace tessary::platform {

// A package drops this file at the top of the installed application folder,
// so that the folder stays untouched even by a user (root) who could write it.
inline constexpr const char* kInstalledMarker = "tessary.installed";

// $HOME, else the password database's home, else /tmp.
[[nodiscard]] std::filesystem::path homeDirectory();
// $XDG_CONFIG_HOME/tessary (absolute values only), else ~/.config/tessary.
[[nodiscard]] std::filesystem::path userConfigFolder();
// $XDG_CACHE_HOME/tessary (absolute values only), else ~/.cache/tessary.
[[nodiscard]] std::filesystem::path userCacheFolder();

// True when the programs write below `folder` themselves: its nearest existing
// part is writable and neither it nor a parent holds kInstalledMarker.
[[nodiscard]] bool writesInPlace(const std::filesystem::path& folder);

// Where a file or folder that belongs at `path` (absolute, below an
// application folder) is written: `path` itself when its folder is written in
// place, else the same path relative to the installation below the user's
// cache folder ("/usr/lib/tessary/games/slimefray/theme" ->
// "~/.cache/tessary/games/slimefray/theme"; a read-only folder without a
// marker keeps its whole path there). Nothing is created: the writer makes
// the folders it writes in.
[[nodiscard]] std::filesystem::path cachePath(const std::filesystem::path& path);

// The settings file `file` (absolute, below an application folder): itself
// when its folder is written in place, else the user's copy at the matching
// place below the user's configuration folder. The copy is made from `file`
// when it does not exist yet and is kept from then on; when it cannot be made
// (no such file, no room), the path is returned all the same and reading it
// fails as a missing file does.
[[nodiscard]] std::filesystem::path settingsPath(const std::filesystem::path& file);

}  // namespace tessary::platform
