#include "lobby/user_files.h"

#include "lobby/lobby_settings.h"
#include "platform/paths.h"
#include "platform/user_folders.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {

std::string settingsFilePath() {
    return platform::settingsPath(std::filesystem::absolute(platform::nativePath(kSettingsFile))).string();
}

std::filesystem::path cacheFilePath(std::string_view relative) {
    return platform::cachePath(std::filesystem::absolute(skin::applicationPath(relative)));
}

}  // namespace tessary::lobby
