#include "slimefray/game_library.h"

#include "platform/registry.h"

namespace tessary::slimefray {

GameLibrary::~GameLibrary() = default;

bool GameLibrary::load(const std::optional<std::filesystem::path>& lobbyDirectory) {
    std::optional<std::filesystem::path> lobbyFile;
    if (lobbyDirectory) lobbyFile = *lobbyDirectory / kFileName;
    const auto result = ::tessary::tsgame::bindGameLibrary(library_, lobbyFile, exports_);
    if (!result.bound && missing_.empty()) missing_ = result.missingExport.empty() ? kFileName : result.missingExport;
    return result.bound;
}

std::optional<std::filesystem::path> lobbyDirectoryFromRegistry() {
    auto directory = platform::Registry::shared().get(platform::kClientKeyPath, "Directory");
    if (!directory || directory->empty()) return std::nullopt;
    return std::filesystem::path(*directory);
}

}  // namespace tessary::slimefray
