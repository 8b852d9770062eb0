// libTSGame.so bound by name at run time: first from the lobby's directory
// (the registry's "Directory" value), then through the normal library search.
// Every one of the forty exports must resolve, or the binding fails.
#pragma once

#include <cstdint>
#include <string>

#include "TSGame.h"

namespace tessary::poker {

// The forty exports a game binds, with the types TSGame.h declares.
struct GameLibraryExports {
    decltype(&::TS_Initialisation) TS_Initialisation;
    decltype(&::TS_ConnectGame) TS_ConnectGame;
    decltype(&::TS_DisconnectFromGame) TS_DisconnectFromGame;
    decltype(&::TS_Engine) TS_Engine;
    decltype(&::TS_Free) TS_Free;
    decltype(&::TS_DebugInit) TS_DebugInit;
    decltype(&::TS_Registration) TS_Registration;
    decltype(&::TS_EnumPlayers) TS_EnumPlayers;
    decltype(&::TS_GetPlayerName) TS_GetPlayerName;
    decltype(&::TS_GetPlayerID) TS_GetPlayerID;
    decltype(&::TS_GetPlayerData) TS_GetPlayerData;
    decltype(&::TS_UpdatePlayerData) TS_UpdatePlayerData;
    decltype(&::TS_DeletePlayerData) TS_DeletePlayerData;
    decltype(&::TS_StorePlayerInfosInDatabase) TS_StorePlayerInfosInDatabase;
    decltype(&::TS_CancelPlayerInfosStorageInDatabase) TS_CancelPlayerInfosStorageInDatabase;
    decltype(&::TS_CreateGroup) TS_CreateGroup;
    decltype(&::TS_DeleteGroup) TS_DeleteGroup;
    decltype(&::TS_AddPlayerInGroup) TS_AddPlayerInGroup;
    decltype(&::TS_RemovePlayerFromGroup) TS_RemovePlayerFromGroup;
    decltype(&::TS_EmptyGroup) TS_EmptyGroup;
    decltype(&::TS_SendMessageToServer) TS_SendMessageToServer;
    decltype(&::TS_SendMessageToOnePlayer) TS_SendMessageToOnePlayer;
    decltype(&::TS_SendMessageToAllPlayers) TS_SendMessageToAllPlayers;
    decltype(&::TS_SendMessageToAllPlayersWithEcho) TS_SendMessageToAllPlayersWithEcho;
    decltype(&::TS_SendMessageToGroup) TS_SendMessageToGroup;
    decltype(&::TS_FixMyIdCallback) TS_FixMyIdCallback;
    decltype(&::TS_FixNewPlayerCallback) TS_FixNewPlayerCallback;
    decltype(&::TS_FixPlayerLeftCallback) TS_FixPlayerLeftCallback;
    decltype(&::TS_FixNewMasterCallback) TS_FixNewMasterCallback;
    decltype(&::TS_FixDisconnectionCallback) TS_FixDisconnectionCallback;
    decltype(&::TS_FixPlayerInfosCallback) TS_FixPlayerInfosCallback;
    decltype(&::TS_FixPersonalCallback) TS_FixPersonalCallback;
    decltype(&::TS_DeletePersonalCallback) TS_DeletePersonalCallback;
    decltype(&::TS_StartServerSynchronization) TS_StartServerSynchronization;
    decltype(&::TS_StopServerSynchronization) TS_StopServerSynchronization;
    decltype(&::TS_GetServerTime) TS_GetServerTime;
    decltype(&::TS_StartTessaryInterface) TS_StartTessaryInterface;
    decltype(&::TS_CloseTessaryInterface) TS_CloseTessaryInterface;
    decltype(&::TS_IsGameAllowed) TS_IsGameAllowed;
    decltype(&::TS_InformInterfaceGameFinished) TS_InformInterfaceGameFinished;
};

class GameLibrary {
public:
    static constexpr const char* kFileName = "libTSGame.so";
    static constexpr int kExportCount = 40;

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
    void* handle_ = nullptr;
    GameLibraryExports exports_{};
    std::string error_;
};

}  // namespace tessary::poker
