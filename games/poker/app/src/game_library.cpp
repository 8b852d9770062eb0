#include "game_library.h"

namespace tessary::poker {

int32_t GameLibrary::bind(const std::string& lobbyDirectory) {
    unload();
    error_.clear();
    library_ = std::make_unique<platform::SharedLibrary>();
    std::optional<std::filesystem::path> lobbyFile;
    if (!lobbyDirectory.empty()) lobbyFile = lobbyDirectory + kFileName;
    const auto result = tsgame::bindGameLibrary(*library_, lobbyFile, exports_);
    if (!result.bound) {
        error_ = result.missingExport.empty() ? result.error : "missing export " + result.missingExport;
        unload();
        return -1;
    }
    return 1;
}

void GameLibrary::unload() {
    exports_ = {};
    library_.reset();
}

}  // namespace tessary::poker
