// libTSGame.so bound by name at run time: first from the lobby's directory
// (the registry's "Directory" value), then through the normal library search.
// Every one of the forty exports must resolve, or the binding fails.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "TSGameExports.h"

namespace tessary::poker {

// The forty exports a game binds, with the types TSGame.h declares.
using GameLibraryExports = tsgame::Exports;

class GameLibrary {
public:
    static constexpr const char* kFileName = "libTSGame.so";
    static constexpr int kExportCount = int(GameLibraryExports::kExportNames.size());

    GameLibrary() = default;
    GameLibrary(const GameLibrary&) = delete;
    GameLibrary& operator=(const GameLibrary&) = delete;
    ~GameLibrary() { unload(); }

    // Loads `lobbyDirectory` + "libTSGame.so" (appended as it stands), else
    // "libTSGame.so" by the normal search, and binds every export.
    // -1 when the library or an export is missing (error() says which).
    [[nodiscard]] int32_t bind(const std::string& lobbyDirectory);
    void unload();

    const GameLibraryExports& operator*() const { return exports_; }
    const GameLibraryExports* operator->() const { return &exports_; }
    const std::string& error() const { return error_; }

private:
    std::unique_ptr<platform::SharedLibrary> library_;
    GameLibraryExports exports_{};
    std::string error_;
};

}  // namespace tessary::poker
