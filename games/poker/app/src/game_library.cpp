#include "game_library.h"

#include <dlfcn.h>

#include <cstring>

namespace tessary::poker {
namespace {

// Every export's name, in the order of GameLibraryExports' members.
constexpr const char* kExportNames[GameLibrary::kExportCount] = {
    "TS_Initialisation", "TS_ConnectGame", "TS_DisconnectFromGame", "TS_Engine", "TS_Free", "TS_DebugInit",
    "TS_Registration", "TS_EnumPlayers", "TS_GetPlayerName", "TS_GetPlayerID", "TS_GetPlayerData",
    "TS_UpdatePlayerData", "TS_DeletePlayerData", "TS_StorePlayerInfosInDatabase",
    "TS_CancelPlayerInfosStorageInDatabase", "TS_CreateGroup", "TS_DeleteGroup", "TS_AddPlayerInGroup",
    "TS_RemovePlayerFromGroup", "TS_EmptyGroup", "TS_SendMessageToServer", "TS_SendMessageToOnePlayer",
    "TS_SendMessageToAllPlayers", "TS_SendMessageToAllPlayersWithEcho", "TS_SendMessageToGroup",
    "TS_FixMyIdCallback", "TS_FixNewPlayerCallback", "TS_FixPlayerLeftCallback", "TS_FixNewMasterCallback",
    "TS_FixDisconnectionCallback", "TS_FixPlayerInfosCallback", "TS_FixPersonalCallback",
    "TS_DeletePersonalCallback", "TS_StartServerSynchronization", "TS_StopServerSynchronization",
    "TS_GetServerTime", "TS_StartTessaryInterface", "TS_CloseTessaryInterface", "TS_IsGameAllowed",
    "TS_InformInterfaceGameFinished",
};

// The members are forty function pointers of one size, laid out in order.
static_assert(sizeof(GameLibraryExports) == GameLibrary::kExportCount * sizeof(void (*)()));

}  // namespace

int32_t GameLibrary::bind(const std::string& lobbyDirectory) {
    unload();
    error_.clear();
    if (!lobbyDirectory.empty()) handle_ = dlopen((lobbyDirectory + kFileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) handle_ = dlopen(kFileName, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : kFileName;
        return -1;
    }
    void* resolved[kExportCount];
    for (int i = 0; i < kExportCount; ++i) {
        resolved[i] = dlsym(handle_, kExportNames[i]);
        if (resolved[i] == nullptr) {
            error_ = std::string("missing export ") + kExportNames[i];
            unload();
            return -1;
        }
    }
    // Object pointers from dlsym become function pointers, as POSIX allows.
    std::memcpy(static_cast<void*>(&exports_), resolved, sizeof exports_);
    return 1;
}

void GameLibrary::unload() {
    exports_ = {};
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}

}  // namespace tessary::poker
