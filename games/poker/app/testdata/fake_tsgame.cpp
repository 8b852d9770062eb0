// A stand-in libTSGame.so for the binding tests: every export answers 1.
// Built once whole and once without TS_Engine.
#include <cstdint>

#define EXPORT extern "C" __attribute__((visibility("default"))) int32_t

EXPORT TS_Initialisation(const char*, int32_t) { return 1; }
EXPORT TS_ConnectGame() { return 1; }
EXPORT TS_DisconnectFromGame() { return 1; }
#ifndef LEAVE_OUT_ENGINE
EXPORT TS_Engine() { return 1; }
#endif
EXPORT TS_Free() { return 1; }
EXPORT TS_DebugInit(const char*, int32_t) { return 1; }
EXPORT TS_Registration(const char*) { return 1; }
EXPORT TS_EnumPlayers(void*) { return 1; }
EXPORT TS_GetPlayerName(int32_t, char*, int32_t) { return 1; }
EXPORT TS_GetPlayerID(const char*, uint16_t*) { return 1; }
EXPORT TS_GetPlayerData(int32_t, int32_t, void*, int32_t*) { return 1; }
EXPORT TS_UpdatePlayerData(int32_t, int32_t, const void*, int32_t) { return 1; }
EXPORT TS_DeletePlayerData(int32_t, int32_t) { return 1; }
EXPORT TS_StorePlayerInfosInDatabase(int32_t, const void*, int32_t) { return 1; }
EXPORT TS_CancelPlayerInfosStorageInDatabase() { return 1; }
EXPORT TS_CreateGroup(int32_t) { return 1; }
EXPORT TS_DeleteGroup(int32_t) { return 1; }
EXPORT TS_AddPlayerInGroup(int32_t, int32_t) { return 1; }
EXPORT TS_RemovePlayerFromGroup(int32_t, int32_t) { return 1; }
EXPORT TS_EmptyGroup(int32_t) { return 1; }
EXPORT TS_SendMessageToServer(int32_t, int32_t, const void*, int32_t) { return 1; }
EXPORT TS_SendMessageToOnePlayer(int32_t, int32_t, int32_t, const void*, int32_t) { return 1; }
EXPORT TS_SendMessageToAllPlayers(int32_t, int32_t, const void*, int32_t) { return 1; }
EXPORT TS_SendMessageToAllPlayersWithEcho(int32_t, int32_t, const void*, int32_t) { return 1; }
EXPORT TS_SendMessageToGroup(int32_t, int32_t, int32_t, const void*, int32_t) { return 1; }
EXPORT TS_FixMyIdCallback(void*) { return 1; }
EXPORT TS_FixNewPlayerCallback(void*) { return 1; }
EXPORT TS_FixPlayerLeftCallback(void*) { return 1; }
EXPORT TS_FixNewMasterCallback(void*) { return 1; }
EXPORT TS_FixDisconnectionCallback(void*) { return 1; }
EXPORT TS_FixPlayerInfosCallback(void*) { return 1; }
EXPORT TS_FixPersonalCallback(void*, int32_t) { return 1; }
EXPORT TS_DeletePersonalCallback(int32_t) { return 1; }
EXPORT TS_StartServerSynchronization() { return 1; }
EXPORT TS_StopServerSynchronization() { return 1; }
EXPORT TS_GetServerTime(uint32_t*, int32_t*) { return 1; }
EXPORT TS_StartTessaryInterface() { return -18; }
EXPORT TS_CloseTessaryInterface() { return 1; }
EXPORT TS_IsGameAllowed(char*, char*) { return 0; }
EXPORT TS_InformInterfaceGameFinished(const char*) { return 1; }
