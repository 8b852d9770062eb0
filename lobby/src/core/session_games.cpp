#include "lobby/session_games.h"

#include <algorithm>
#include <system_error>

#include "skin/skin_error.h"

namespace tessary::lobby {
namespace fs = std::filesystem;

bool isSafeGameName(std::string_view name) {
    if (name.empty() || name.size() > kMaxGameNameLength) return false;
    if (name.find("..") != std::string_view::npos) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 32 || u == 127 || c == '/' || c == '\\' || c == ']' || c == '[' || c == ':';
    });
}

std::string launchLine(std::string_view game, std::string_view exec, std::string_view arg) {
    exec = exec.substr(0, kMaxLaunchValueLength);
    arg = arg.substr(0, kMaxLaunchValueLength);
    std::string line(exec);
    if (!arg.empty()) return line + "|" + std::string(arg);
    if (game == "TURBOHOLLERS") {
        if (auto blank = line.find(' '); blank != std::string::npos) line[blank] = '|';
    }
    return line;
}

namespace {

// "exec" names the program to start: a bare name lies in the game's folder,
// another relative path below the application directory (the launcher does
// not search the lobby's working directory).
std::string programPath(const std::string& exec, const fs::path& folder, const fs::path& applicationDirectory) {
    if (exec.empty() || exec.front() == '/') return exec;
    return ((exec.find('/') == std::string::npos ? folder : applicationDirectory) / exec).string();
}

}  // namespace

SessionGames SessionGames::fromRegistry(const platform::Registry& registry, const fs::path& applicationDirectory,
                                        const fs::path& cacheRoot) {
    std::vector<std::string> names = registry.subkeys(platform::kGamesKeyPath);
    std::stable_partition(names.begin(), names.end(), [](const std::string& n) { return n == kChatGame; });
    SessionGames games;
    for (const auto& name : names) {
        if (!isSafeGameName(name)) continue;
        const std::string key = std::string(platform::kGamesKeyPath) + name;
        const std::string directory = registry.get(key, "directory").value_or("");
        if (directory.empty()) continue;
        fs::path folder(directory);
        if (folder.is_relative()) folder = applicationDirectory / folder;
        std::error_code error;
        if (!fs::is_directory(folder, error)) continue;
        SessionGame game;
        game.name = name;
        game.directory = folder;
        game.version = registry.get(key, "version").value_or("").substr(0, kMaxLaunchValueLength);
        game.exec = programPath(registry.get(key, "exec").value_or("").substr(0, kMaxLaunchValueLength), folder,
                                applicationDirectory);
        game.arg = registry.get(key, "arg").value_or("").substr(0, kMaxLaunchValueLength);
        try {
            game.layout = skin::loadSessionOptionsLayout((folder / "config.tsc").string(), name);
        } catch (const skin::SkinFatalError&) {
            continue;  // a game without a readable session page cannot be offered
        }
        game.fullName = game.layout.fullName;
        fs::path normal = folder.lexically_normal();
        if (!normal.has_filename()) normal = normal.parent_path();
        const fs::path folderName = normal.filename();
        games.add(std::move(game), listDirectoriesUnder({folder, cacheRoot / folderName}));
    }
    return games;
}

void SessionGames::add(SessionGame game, const DirectoryLister& lister) {
    auto owned = std::make_unique<SessionGame>(std::move(game));
    if (owned->fullName.empty()) owned->fullName = owned->layout.fullName.empty() ? owned->name : owned->layout.fullName;
    owned->pages = std::make_unique<OptionPages>(owned->layout, lister);
    games_.push_back(std::move(owned));
}

std::size_t SessionGames::indexOf(std::string_view name) const {
    if (!isSafeGameName(name)) return games_.size();
    for (std::size_t i = 0; i < games_.size(); ++i) {
        if (games_[i]->name == name) return i;
    }
    return games_.size();
}

std::string SessionGames::title(std::string_view name) const {
    const std::size_t index = indexOf(name);
    return index == games_.size() ? std::string(name) : games_[index]->fullName;
}

bool SessionGames::accepts(std::string_view name, std::string_view options) const {
    const std::size_t index = indexOf(name);
    if (index == games_.size()) return false;
    const SessionGame& game = *games_[index];
    return game.layout.ignoreInfo || game.pages->accepts(options);
}

}  // namespace tessary::lobby
