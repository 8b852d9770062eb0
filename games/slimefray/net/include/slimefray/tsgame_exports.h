// The forty exports of the game library that Slimefray binds by name, with
// their function types. The game never links the library: it loads it at run
// time and looks each name up.
#pragma once

#include <cstdint>

#include "TSGame.h"

namespace tessary::slimefray::tsgame {

// The types come from the library's own header; nothing is linked.
using PersonalCallback = TS_PersonalCallback;
using Initialisation = decltype(&::TS_Initialisation);
using NoArguments = decltype(&::TS_Engine);
using DebugInit = decltype(&::TS_DebugInit);
using Registration = decltype(&::TS_Registration);
using EnumPlayers = decltype(&::TS_EnumPlayers);
using GetPlayerName = decltype(&::TS_GetPlayerName);
using GetPlayerID = decltype(&::TS_GetPlayerID);
using GetPlayerData = decltype(&::TS_GetPlayerData);
using UpdatePlayerData = decltype(&::TS_UpdatePlayerData);
using DeletePlayerData = decltype(&::TS_DeletePlayerData);
using StorePlayerInfos = decltype(&::TS_StorePlayerInfosInDatabase);
using Group = decltype(&::TS_CreateGroup);
using GroupMember = decltype(&::TS_AddPlayerInGroup);
using Send = decltype(&::TS_SendMessageToServer);
using SendToOne = decltype(&::TS_SendMessageToOnePlayer);
using SendToGroup = decltype(&::TS_SendMessageToGroup);
using FixMyId = decltype(&::TS_FixMyIdCallback);
using FixNewPlayer = decltype(&::TS_FixNewPlayerCallback);
using FixPlayerLeft = decltype(&::TS_FixPlayerLeftCallback);
using FixNewMaster = decltype(&::TS_FixNewMasterCallback);
using FixDisconnection = decltype(&::TS_FixDisconnectionCallback);
using FixPlayerInfos = decltype(&::TS_FixPlayerInfosCallback);
using FixPersonal = decltype(&::TS_FixPersonalCallback);
using DeletePersonal = decltype(&::TS_DeletePersonalCallback);
using GetServerTime = decltype(&::TS_GetServerTime);
using IsGameAllowed = decltype(&::TS_IsGameAllowed);
using InformFinished = decltype(&::TS_InformInterfaceGameFinished);

// Results shared by the exports.
inline constexpr int32_t kSuccess = TS_SUCCESS;
inline constexpr int32_t kLobbyAlreadyRunning = TS_ERROR_LOBBY_RUNNING;
inline constexpr int32_t kNoLobby = TS_ERROR_NO_LOBBY;

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
    FixPlayerLeft TS_FixPlayerLeftCallback = nullptr;
    FixNewMaster TS_FixNewMasterCallback = nullptr;
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
