// libTSGame.so bound by name at run time: first from the lobby's directory
// (the registry's "Directory" value), then through the normal library search.
// Every one of the forty exports must resolve, or the binding fails.
#pragma once

#include <cstdint>
#include <string>

namespace tessary::poker {

// The library's C interface, as its exports are declared.
extern "C" {
using TsMyIdCallback = void (*)(uint16_t id, uint16_t firstValue, uint16_t secondValue);
using TsNewPlayerCallback = void (*)(uint16_t id, const char* name);
using TsPlayerCallback = void (*)(uint16_t id);
using TsDisconnectionCallback = void (*)();
using TsPlayerInfosCallback = void (*)(uint16_t id, const uint8_t* info, int32_t count);
using TsPersonalCallback = void (*)(uint16_t sender, const uint8_t* payload, int32_t count);
using TsEnumCallback = void (*)(uint16_t id, const char* name);
}

struct GameLibraryExports {
    int32_t (*TS_Initialisation)(const char* gameName, int32_t window);
    int32_t (*TS_ConnectGame)();
    int32_t (*TS_DisconnectFromGame)();
    int32_t (*TS_Engine)();
    int32_t (*TS_Free)();
    int32_t (*TS_DebugInit)(const char* address, int32_t port);
    int32_t (*TS_Registration)(const char* name);
    int32_t (*TS_EnumPlayers)(TsEnumCallback callback);
    int32_t (*TS_GetPlayerName)(int32_t id, char* buffer, int32_t size);
    int32_t (*TS_GetPlayerID)(const char* name, uint16_t* id);
    int32_t (*TS_GetPlayerData)(int32_t id, int32_t key, void* buffer, int32_t* size);
    int32_t (*TS_UpdatePlayerData)(int32_t id, int32_t key, const void* data, int32_t size);
    int32_t (*TS_DeletePlayerData)(int32_t id, int32_t key);
    int32_t (*TS_StorePlayerInfosInDatabase)(int32_t id, const void* data, int32_t length);
    int32_t (*TS_CancelPlayerInfosStorageInDatabase)();
    int32_t (*TS_CreateGroup)(int32_t group);
    int32_t (*TS_DeleteGroup)(int32_t group);
    int32_t (*TS_AddPlayerInGroup)(int32_t group, int32_t id);
    int32_t (*TS_RemovePlayerFromGroup)(int32_t group, int32_t id);
    int32_t (*TS_EmptyGroup)(int32_t group);
    int32_t (*TS_SendMessageToServer)(int32_t type, int32_t mode, const void* data, int32_t length);
    int32_t (*TS_SendMessageToOnePlayer)(int32_t type, int32_t id, int32_t mode, const void* data, int32_t length);
    int32_t (*TS_SendMessageToAllPlayers)(int32_t type, int32_t mode, const void* data, int32_t length);
    int32_t (*TS_SendMessageToAllPlayersWithEcho)(int32_t type, int32_t mode, const void* data, int32_t length);
    int32_t (*TS_SendMessageToGroup)(int32_t type, int32_t group, int32_t mode, const void* data, int32_t length);
    int32_t (*TS_FixMyIdCallback)(TsMyIdCallback callback);
    int32_t (*TS_FixNewPlayerCallback)(TsNewPlayerCallback callback);
    int32_t (*TS_FixPlayerLeftCallback)(TsPlayerCallback callback);
    int32_t (*TS_FixNewMasterCallback)(TsPlayerCallback callback);
    int32_t (*TS_FixDisconnectionCallback)(TsDisconnectionCallback callback);
    int32_t (*TS_FixPlayerInfosCallback)(TsPlayerInfosCallback callback);
    int32_t (*TS_FixPersonalCallback)(TsPersonalCallback callback, int32_t type);
    int32_t (*TS_DeletePersonalCallback)(int32_t type);
    int32_t (*TS_StartServerSynchronization)();
    int32_t (*TS_StopServerSynchronization)();
    int32_t (*TS_GetServerTime)(uint32_t* seconds, int32_t* milliseconds);
    int32_t (*TS_StartTessaryInterface)();
    int32_t (*TS_CloseTessaryInterface)();
    int32_t (*TS_IsGameAllowed)(char* nameOut, char* extraOut);
    int32_t (*TS_InformInterfaceGameFinished)(const char* resultText);
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
