// The games a session can be opened for: the installed games of the registry,
// "CHAT" first, each with its create-session layout and option controls, and
// the rules for names that come from the Arena and become file names,
// registry keys or launch lines.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/option_controls.h"
#include "platform/registry.h"
#include "skin/session_options_layout.h"

namespace tessary::lobby {

inline constexpr std::string_view kChatGame = "CHAT";
inline constexpr std::size_t kMaxGameNameLength = 32;
// "exec" and "arg" are read to this length.
inline constexpr std::size_t kMaxLaunchValueLength = 255;

struct SessionGame {
    std::string name;
    std::string fullName;
    std::filesystem::path directory;
    std::string version;
    std::string exec;
    std::string arg;
    skin::SessionOptionsLayout layout;
    std::unique_ptr<OptionPages> pages;  // built over `layout`; the game owns both
};

// A game name fit to become a registry key or a folder: at most 32
// characters, no path separators, no "..", no control characters, no "]".
bool isSafeGameName(std::string_view name);

// The program and its arguments as the library's launcher takes them:
// "exec|arg", or for TURBOHOLLERS without "arg" its "exec" split at the
// first blank.
std::string launchLine(std::string_view game, std::string_view exec, std::string_view arg);

class SessionGames {
public:
    // Reads every game under the games key whose "directory" names an existing
    // folder (relative ones under `applicationDirectory`) and its config.tsc.
    // DIRLIST controls also list `cacheRoot`/<game folder name>. A game whose
    // config.tsc is missing or broken is left out.
    static SessionGames fromRegistry(const platform::Registry& registry,
                                     const std::filesystem::path& applicationDirectory,
                                     const std::filesystem::path& cacheRoot);

    // Takes a game whose layout is set; builds its option controls.
    void add(SessionGame game, const DirectoryLister& lister = {});

    std::size_t size() const { return games_.size(); }
    const SessionGame& at(std::size_t index) const { return *games_.at(index); }
    OptionPages& pages(std::size_t index) { return *games_.at(index)->pages; }
    // The game's place, size() for a game not installed here (or a name that
    // is not fit to look up).
    std::size_t indexOf(std::string_view name) const;
    // The full name of the game called exactly `name` (case counts), or
    // `name` itself when no such game is installed.
    std::string title(std::string_view name) const;
    // Installed, and its option controls take `options` completely (or the
    // game ignores the information).
    bool accepts(std::string_view name, std::string_view options) const;

private:
    std::vector<std::unique_ptr<SessionGame>> games_;
};

}  // namespace tessary::lobby
