// The forty exports of the game library that Slimefray binds by name, with
// their function types. The game never links the library: it loads it at run
// time and looks each name up.
#pragma once

#include <cstdint>

namespace tessary::slimefray::tsgame {

using EnumPlayersCallback = void (*)(uint16_t id, const char* name);
using MyIdCallback = void (*)(uint16_t id, uint16_t first, uint16_t second);
using NewPlayerCallback = void (*)(uint16_t id, const char* name);
using PlayerCallback = void (*)(uint16_t id);
using DisconnectionCallback = void (*)();
using PlayerInfosCallback = void (*)(uint16_t id, const void* data, int32_t length);
using PersonalCallback = void (*)(uint16_t sender, const void* data, int32_t length);

using Initialisation = int32_t (*)(const char* gameName, int32_t window);
using NoArguments = int32_t (*)();
using DebugInit = int32_t (*)(const char* address, uint32_t port);
using Registration = int32_t (*)(const char* name);
using EnumPlayers = int32_t (*)(EnumPlayersCallback);
using GetPlayerName = int32_t (*)(int32_t id, char* buffer, int32_t size);
using GetPlayerID = int32_t (*)(const char* name, uint16_t* id);
using GetPlayerData = int32_t (*)(int32_t id, int32_t key, void* buffer, int32_t* size);
using UpdatePlayerData = int32_t (*)(int32_t id, int32_t key, const void* data, int32_t size);
using DeletePlayerData = int32_t (*)(int32_t id, int32_t key);
using StorePlayerInfos = int32_t (*)(int32_t id, const void* data, int32_t length);
using Group = int32_t (*)(int32_t group);
using GroupMember = int32_t (*)(int32_t group, int32_t id);
using Send = int32_t (*)(int32_t type, int32_t mode, const void* data, int32_t length);
using SendToOne = int32_t (*)(int32_t type, int32_t id, int32_t mode, const void* data, int32_t length);
using SendToGroup = int32_t (*)(int32_t type, int32_t group, int32_t mode, const void* data, int32_t length);
using FixMyId = int32_t (*)(MyIdCallback);
using FixNewPlayer = int32_t (*)(NewPlayerCallback);
using FixPlayer = int32_t (*)(PlayerCallback);
using FixDisconnection = int32_t (*)(DisconnectionCallback);
using FixPlayerInfos = int32_t (*)(PlayerInfosCallback);
using FixPersonal = int32_t (*)(PersonalCallback, int32_t type);
using DeletePersonal = int32_t (*)(int32_t type);
using GetServerTime = int32_t (*)(uint32_t* seconds, int32_t* milliseconds);
using IsGameAllowed = int32_t (*)(char* name, char* extra);
using InformFinished = int32_t (*)(const char* result);

// Results shared by the exports.
inline constexpr int32_t kSuccess = 1;
inline constexpr int32_t kLobbyAlreadyRunning = -18;
inline constexpr int32_t kNoLobby = -19;

// Every export, in the order they are resolved.
struct Exports {
    Initialisation TS_Initialisation = nullptr;
    NoArguments TS_ConnectGame = nullptr;
    NoArguments TS_DisconnectFromGame = nullptr;
    NoArguments TS_Engine = nullptr;
    NoArguments TS_Free = nullptr;
    DebugInit TS_DebugInit = nullptr;
    Registration TS_Registration = nullptr;
    EnumPlayers TS_EnumPlayers = nullptr;
    GetPlayerName TS_GetPlayerName = nullptr;
    GetPlayerID TS_GetPlayerID = nullptr;
    GetPlayerData TS_GetPlayerData = nullptr;
    UpdatePlayerData TS_UpdatePlayerData = nullptr;
    DeletePlayerData TS_DeletePlayerData = nullptr;
    StorePlayerInfos TS_StorePlayerInfosInDatabase = nullptr;
    NoArguments TS_CancelPlayerInfosStorageInDatabase = nullptr;
    Group TS_CreateGroup = nullptr;
    Group TS_DeleteGroup = nullptr;
    GroupMember TS_AddPlayerInGroup = nullptr;
    GroupMember TS_RemovePlayerFromGroup = nullptr;
    Group TS_EmptyGroup = nullptr;
    Send TS_SendMessageToServer = nullptr;
    SendToOne TS_SendMessageToOnePlayer = nullptr;
    Send TS_SendMessageToAllPlayers = nullptr;
    Send TS_SendMessageToAllPlayersWithEcho = nullptr;
    SendToGroup TS_SendMessageToGroup = nullptr;
    FixMyId TS_FixMyIdCallback = nullptr;
    FixNewPlayer TS_FixNewPlayerCallback = nullptr;
    FixPlayer TS_FixPlayerLeftCallback = nullptr;
    FixPlayer TS_FixNewMasterCallback = nullptr;
    FixDisconnection TS_FixDisconnectionCallback = nullptr;
    FixPlayerInfos TS_FixPlayerInfosCallback = nullptr;
    FixPersonal TS_FixPersonalCallback = nullptr;
    DeletePersonal TS_DeletePersonalCallback = nullptr;
    NoArguments TS_StartServerSynchronization = nullptr;
    NoArguments TS_StopServerSynchronization = nullptr;
    GetServerTime TS_GetServerTime = nullptr;
    NoArguments TS_StartTessaryInterface = nullptr;
    NoArguments TS_CloseTessaryInterface = nullptr;
    IsGameAllowed TS_IsGameAllowed = nullptr;
    InformFinished TS_InformInterfaceGameFinished = nullptr;
};

inline constexpr int kExportCount = 40;

}  // namespace tessary::slimefray::tsgame
