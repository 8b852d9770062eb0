#include "slimefray/game_library.h"

#include <dlfcn.h>

#include "platform/registry.h"

namespace tessary::slimefray {
namespace {

template <class Function>
bool bindOne(void* handle, const char* name, Function& slot, std::string& missing) {
    void* symbol = dlsym(handle, name);
    if (!symbol) {
        if (missing.empty()) missing = name;
        return false;
    }
    slot = reinterpret_cast<Function>(symbol);
    return true;
}

}  // namespace

GameLibrary::~GameLibrary() {
    if (handle_) dlclose(handle_);
}

bool GameLibrary::load(const std::optional<std::filesystem::path>& lobbyDirectory) {
    if (attempted_) return false;
    attempted_ = true;
    if (lobbyDirectory) handle_ = dlopen((*lobbyDirectory / kFileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) handle_ = dlopen(kFileName, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        missing_ = kFileName;
        return false;
    }
    return resolve();
}

bool GameLibrary::resolve() {
    tsgame::Exports& e = exports_;
    bool ok = true;
#define TS_BIND(name) ok = bindOne(handle_, #name, e.name, missing_) && ok
    TS_BIND(TS_Initialisation);
    TS_BIND(TS_ConnectGame);
    TS_BIND(TS_DisconnectFromGame);
    TS_BIND(TS_Engine);
    TS_BIND(TS_Free);
    TS_BIND(TS_DebugInit);
    TS_BIND(TS_Registration);
    TS_BIND(TS_EnumPlayers);
    TS_BIND(TS_GetPlayerName);
    TS_BIND(TS_GetPlayerID);
    TS_BIND(TS_GetPlayerData);
    TS_BIND(TS_UpdatePlayerData);
    TS_BIND(TS_DeletePlayerData);
    TS_BIND(TS_StorePlayerInfosInDatabase);
    TS_BIND(TS_CancelPlayerInfosStorageInDatabase);
    TS_BIND(TS_CreateGroup);
    TS_BIND(TS_DeleteGroup);
    TS_BIND(TS_AddPlayerInGroup);
    TS_BIND(TS_RemovePlayerFromGroup);
    TS_BIND(TS_EmptyGroup);
    TS_BIND(TS_SendMessageToServer);
    TS_BIND(TS_SendMessageToOnePlayer);
    TS_BIND(TS_SendMessageToAllPlayers);
    TS_BIND(TS_SendMessageToAllPlayersWithEcho);
    TS_BIND(TS_SendMessageToGroup);
    TS_BIND(TS_FixMyIdCallback);
    TS_BIND(TS_FixNewPlayerCallback);
    TS_BIND(TS_FixPlayerLeftCallback);
    TS_BIND(TS_FixNewMasterCallback);
    TS_BIND(TS_FixDisconnectionCallback);
    TS_BIND(TS_FixPlayerInfosCallback);
    TS_BIND(TS_FixPersonalCallback);
    TS_BIND(TS_DeletePersonalCallback);
    TS_BIND(TS_StartServerSynchronization);
    TS_BIND(TS_StopServerSynchronization);
    TS_BIND(TS_GetServerTime);
    TS_BIND(TS_StartTessaryInterface);
    TS_BIND(TS_CloseTessaryInterface);
    TS_BIND(TS_IsGameAllowed);
    TS_BIND(TS_InformInterfaceGameFinished);
#undef TS_BIND
    return ok;
}

std::optional<std::filesystem::path> lobbyDirectoryFromRegistry() {
    auto directory = platform::Registry::shared().get(platform::kClientKeyPath, "Directory");
    if (!directory || directory->empty()) return std::nullopt;
    return std::filesystem::path(*directory);
}

}  // namespace tessary::slimefray
