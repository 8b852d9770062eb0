#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <system_error>

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

fs::path xdgFolder(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value && *value == '/') return fs::path(value) / "tessary";
    return homeDirectory() / fallback / "tessary";
}

// The nearest of `folder` and its parents that exists.
fs::path existingPart(fs::path folder) {
    std::error_code error;
    while (!fs::exists(folder, error) && folder.has_relative_path()) folder = folder.parent_path();
    return folder;
}

// The top of the installation `folder` lies in: the nearest of it and its
// parents holding the marker.
std::optional<fs::path> installationOf(const fs::path& folder) {
    std::error_code error;
    for (fs::path at = folder;; at = at.parent_path()) {
        if (fs::exists(at / kInstalledMarker, error)) return at;
        if (!at.has_relative_path()) return std::nullopt;
    }
}

// `path` below a user folder: relative to its installation, or whole.
fs::path userPlace(const fs::path& userFolder, const fs::path& path) {
    const fs::path absolute = fs::absolute(path).lexically_normal();
    if (const auto top = installationOf(existingPart(absolute.parent_path())))
        return userFolder / absolute.lexically_relative(*top);
    return userFolder / absolute.relative_path();
}

}  // namespace

fs::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/tmp";
}

fs::path userConfigFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }
fs::path userCacheFolder() { return xdgFolder("XDG_CACHE_HOME", ".cache"); }

bool writesInPlace(const fs::path& folder) {
    const fs::path existing = existingPart(fs::absolute(folder).lexically_normal());
    return ::access(existing.c_str(), W_OK) == 0 && !installationOf(existing);
}

fs::path cachePath(const fs::path& path) {
    if (writesInPlace(fs::absolute(path).parent_path())) return path;
    return userPlace(userCacheFolder(), path);
}

fs::path settingsPath(const fs::path& file) {
    if (writesInPlace(fs::absolute(file).parent_path())) return file;
    const fs::path copy = userPlace(userConfigFolder(), file);
    std::error_code error;
    if (fs::exists(copy, error)) return copy;
    // Copied under a temporary name first: a reader never sees half a file.
    fs::create_directories(copy.parent_path(), error);
    const fs::path temporary = copy.string() + ".tmp" + std::to_string(::getpid());
    if (fs::copy_file(file, temporary, fs::copy_options::overwrite_existing, error)) {
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, error);
        fs::rename(temporary, copy, error);
    }
    if (error) fs::remove(temporary, error);
    return copy;
}

}  // namespace tessary::platform
