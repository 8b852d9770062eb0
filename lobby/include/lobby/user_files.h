// Where the lobby keeps what it writes (platform/user_folders.h): in the
// application directory when it is written in place (a build's dist/), else
// in the user's folders, so that an installed lobby never writes below itself.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessary::lobby {

// CONFIG.INI of the application directory (the current directory), or the
// user's copy of it, made from it on the first call.
[[nodiscard]] std::string settingsFilePath();

// A file or folder the lobby writes, named as the application directory
// names it: received photos ("photo.jpg", "infophoto.jpg"), the advertisement
// cache ("Pub\\"), downloads.
[[nodiscard]] std::filesystem::path cacheFilePath(std::string_view relative);

}  // namespace tessary::lobby
