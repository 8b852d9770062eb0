/* C++ only: the exports a game binds by name from libTSGame.so, with the
 * types of TSGame.h, through platform/shared_library.h. Poker and Slimefray
 * both bind this table, so a game and the library cannot disagree silently. */
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "TSGame.h"
#include "platform/shared_library.h"

// Every export a game calls (all but TS_DeletePlayer and TS_EnumPlayersInGroup).
#define TSGAME_GAME_EXPORTS(X) \
    X(TS_Initialisation) \
    X(TS_ConnectGame) \
    X(TS_DisconnectFromGame) \
    X(TS_Engine) \
    X(TS_Free) \
    X(TS_DebugInit) \
    X(TS_Registration) \
    X(TS_EnumPlayers) \
    X(TS_GetPlayerName) \
    X(TS_GetPlayerID) \
    X(TS_GetPlayerData) \
    X(TS_UpdatePlayerData) \
    X(TS_DeletePlayerData) \
    X(TS_StorePlayerInfosInDatabase) \
    X(TS_CancelPlayerInfosStorageInDatabase) \
    X(TS_CreateGroup) \
    X(TS_DeleteGroup) \
    X(TS_AddPlayerInGroup) \
    X(TS_RemovePlayerFromGroup) \
    X(TS_EmptyGroup) \
    X(TS_SendMessageToServer) \
    X(TS_SendMessageToOnePlayer) \
    X(TS_SendMessageToAllPlayers) \
    X(TS_SendMessageToAllPlayersWithEcho) \
    X(TS_SendMessageToGroup) \
    X(TS_FixMyIdCallback) \
    X(TS_FixNewPlayerCallback) \
    X(TS_FixPlayerLeftCallback) \
    X(TS_FixNewMasterCallback) \
    X(TS_FixDisconnectionCallback) \
    X(TS_FixPlayerInfosCallback) \
    X(TS_FixPersonalCallback) \
    X(TS_DeletePersonalCallback) \
    X(TS_StartServerSynchronization) \
    X(TS_StopServerSynchronization) \
    X(TS_GetServerTime) \
    X(TS_StartTessaryInterface) \
    X(TS_CloseTessaryInterface) \
    X(TS_IsGameAllowed) \
    X(TS_InformInterfaceGameFinished)

namespace tessary::tsgame {

struct Exports {
    TESSARY_BOUND_EXPORTS(TSGAME_GAME_EXPORTS)
};

inline constexpr const char* kLibraryFile = "libTSGame.so";

// Binds `exports` from `lobbyFile` (the copy in the lobby's directory) when
// given, else, or when it cannot be opened, from "libTSGame.so" through the
// normal library search. All exports or none.
inline platform::BindingResult bindGameLibrary(platform::SharedLibrary& library,
                                               const std::optional<std::filesystem::path>& lobbyFile,
                                               Exports& exports) {
    std::vector<std::filesystem::path> files;
    if (lobbyFile) files.push_back(*lobbyFile);
    files.emplace_back(kLibraryFile);
    return library.bindTable(std::span<const std::filesystem::path>(files), exports);
}

}  // namespace tessary::tsgame
