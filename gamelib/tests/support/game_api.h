// The game library bound the way the games bind it: dlopen, then every export
// by name.
#pragma once

#include <dlfcn.h>

#include "TSGame.h"

#define TSGAME_EXPORTS(X)                                                                                  \
    X(TS_Initialisation) X(TS_ConnectGame) X(TS_DisconnectFromGame) X(TS_Engine) X(TS_Free) X(TS_DebugInit) \
    X(TS_Registration) X(TS_EnumPlayers) X(TS_GetPlayerName) X(TS_GetPlayerID) X(TS_GetPlayerData)          \
    X(TS_UpdatePlayerData) X(TS_DeletePlayerData) X(TS_StorePlayerInfosInDatabase)                           \
    X(TS_CancelPlayerInfosStorageInDatabase) X(TS_CreateGroup) X(TS_DeleteGroup) X(TS_AddPlayerInGroup)      \
    X(TS_RemovePlayerFromGroup) X(TS_EmptyGroup) X(TS_SendMessageToServer) X(TS_SendMessageToOnePlayer)      \
    X(TS_SendMessageToAllPlayers) X(TS_SendMessageToAllPlayersWithEcho) X(TS_SendMessageToGroup)             \
    X(TS_FixMyIdCallback) X(TS_FixNewPlayerCallback) X(TS_FixPlayerLeftCallback) X(TS_FixNewMasterCallback)  \
    X(TS_FixDisconnectionCallback) X(TS_FixPlayerInfosCallback) X(TS_FixPersonalCallback)                    \
    X(TS_DeletePersonalCallback) X(TS_StartServerSynchronization) X(TS_StopServerSynchronization)            \
    X(TS_GetServerTime) X(TS_StartTessaryInterface) X(TS_CloseTessaryInterface) X(TS_IsGameAllowed)          \
    X(TS_InformInterfaceGameFinished) X(TS_EnumPlayersInGroup) X(TS_DeletePlayer)

namespace tessary::gamelib::testing {

struct GameApi {
#define TSGAME_MEMBER(name) decltype(&::name) name = nullptr;
    TSGAME_EXPORTS(TSGAME_MEMBER)
#undef TSGAME_MEMBER

    // Loads `path` and binds every export; false when anything is missing.
    bool bind(const char* path) {
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return false;
        bool all = true;
#define TSGAME_BIND(name)                                                      \
    name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));          \
    all = all && name != nullptr;
        TSGAME_EXPORTS(TSGAME_BIND)
#undef TSGAME_BIND
        return all;
    }

    void* handle = nullptr;
};

}  // namespace tessary::gamelib::testing
