#include "slimefray/game_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>

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

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
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

std::filesystem::path registryFile() {
    if (const char* file = std::getenv("TESSARY_REGISTRY"); file && *file) return file;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        return std::filesystem::path(config) / "tessary" / "registry.ini";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".config" / "tessary" / "registry.ini";
}

std::optional<std::string> readRegistryValue(const std::filesystem::path& file, std::string_view key,
                                             std::string_view name) {
    std::ifstream in(file);
    std::string line;
    bool inKey = false;
    while (std::getline(in, line)) {
        std::string_view text = trim(line);
        if (!text.empty() && text.front() == '[') {
            inKey = text.size() >= 2 && text.back() == ']' && text.substr(1, text.size() - 2) == key;
            continue;
        }
        size_t equals = text.find('=');
        if (inKey && equals != std::string_view::npos && trim(text.substr(0, equals)) == name) {
            return std::string(trim(text.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> lobbyDirectoryFromRegistry() {
    auto directory = readRegistryValue(registryFile(), "SOFTWARE\\Quillon\\Tessary Client", "Directory");
    if (!directory || directory->empty()) return std::nullopt;
    return std::filesystem::path(*directory);
}

}  // namespace tessary::slimefray
