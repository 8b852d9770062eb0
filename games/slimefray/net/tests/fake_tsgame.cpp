// A stand-in for the game library with the forty exports: enough behaviour to
// check that the game binds every name and that the callbacks it fixes reach
// the right handler. TS_Engine delivers the own id, then one message of each
// fixed personal type whose body is that type's number.
#include <cstdint>
#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
using PersonalCallback = void (*)(uint16_t, const void*, int32_t);
using MyIdCallback = void (*)(uint16_t, uint16_t, uint16_t);
PersonalCallback personal[256] = {};
MyIdCallback myId = nullptr;
int32_t lastSentType = -1;
int32_t lastSentLength = -1;
int32_t lastSentMode = -1;
}  // namespace

FAKE_EXPORT int32_t TS_Initialisation(const char*, int32_t) { return 1; }
FAKE_EXPORT int32_t TS_ConnectGame() { return 1; }
FAKE_EXPORT int32_t TS_DisconnectFromGame() { return 1; }
FAKE_EXPORT int32_t TS_Engine() {
    if (myId) myId(5, 1, 3);
    for (int type = 0; type < 256; ++type) {
        uint8_t body = uint8_t(type);
        if (personal[type]) personal[type](9, &body, 1);
    }
    return 1;
}
FAKE_EXPORT int32_t TS_Free() { return 1; }
FAKE_EXPORT int32_t TS_DebugInit(const char*, uint32_t) { return 1; }
FAKE_EXPORT int32_t TS_Registration(const char*) { return 1; }
FAKE_EXPORT int32_t TS_EnumPlayers(void (*)(uint16_t, const char*)) { return 1; }
FAKE_EXPORT int32_t TS_GetPlayerName(int32_t id, char* buffer, int32_t size) {
    if (size < 8) return -4;
    std::strcpy(buffer, id == 9 ? "nine" : "other");
    return 1;
}
FAKE_EXPORT int32_t TS_GetPlayerID(const char*, uint16_t*) { return -2; }
FAKE_EXPORT int32_t TS_GetPlayerData(int32_t, int32_t, void*, int32_t*) { return -3; }
FAKE_EXPORT int32_t TS_UpdatePlayerData(int32_t, int32_t, const void*, int32_t) { return -3; }
FAKE_EXPORT int32_t TS_DeletePlayerData(int32_t, int32_t) { return -3; }
FAKE_EXPORT int32_t TS_StorePlayerInfosInDatabase(int32_t, const void*, int32_t) { return -6; }
FAKE_EXPORT int32_t TS_CancelPlayerInfosStorageInDatabase() { return -6; }
FAKE_EXPORT int32_t TS_CreateGroup(int32_t) { return -6; }
FAKE_EXPORT int32_t TS_DeleteGroup(int32_t) { return -6; }
FAKE_EXPORT int32_t TS_AddPlayerInGroup(int32_t, int32_t) { return -6; }
FAKE_EXPORT int32_t TS_RemovePlayerFromGroup(int32_t, int32_t) { return -6; }
FAKE_EXPORT int32_t TS_EmptyGroup(int32_t) { return -6; }
FAKE_EXPORT int32_t TS_SendMessageToServer(int32_t type, int32_t mode, const void*, int32_t length) {
    lastSentType = type, lastSentMode = mode, lastSentLength = length;
    return 1;
}
FAKE_EXPORT int32_t TS_SendMessageToOnePlayer(int32_t, int32_t, int32_t, const void*, int32_t) { return 1; }
FAKE_EXPORT int32_t TS_SendMessageToAllPlayers(int32_t, int32_t, const void*, int32_t) { return 1; }
FAKE_EXPORT int32_t TS_SendMessageToAllPlayersWithEcho(int32_t type, int32_t mode, const void*, int32_t length) {
    lastSentType = 1000 + type, lastSentMode = mode, lastSentLength = length;
    return 1;
}
FAKE_EXPORT int32_t TS_SendMessageToGroup(int32_t, int32_t, int32_t, const void*, int32_t) { return 1; }
FAKE_EXPORT int32_t TS_FixMyIdCallback(MyIdCallback callback) {
    myId = callback;
    return 1;
}
FAKE_EXPORT int32_t TS_FixNewPlayerCallback(void (*)(uint16_t, const char*)) { return 1; }
FAKE_EXPORT int32_t TS_FixPlayerLeftCallback(void (*)(uint16_t)) { return 1; }
FAKE_EXPORT int32_t TS_FixNewMasterCallback(void (*)(uint16_t)) { return 1; }
FAKE_EXPORT int32_t TS_FixDisconnectionCallback(void (*)()) { return 1; }
FAKE_EXPORT int32_t TS_FixPlayerInfosCallback(void (*)(uint16_t, const void*, int32_t)) { return 1; }
FAKE_EXPORT int32_t TS_FixPersonalCallback(PersonalCallback callback, int32_t type) {
    if (!callback) return -5;
    if ((type & 0xFF) > 200) return -9;
    personal[type & 0xFF] = callback;
    return 1;
}
FAKE_EXPORT int32_t TS_DeletePersonalCallback(int32_t) { return 1; }
FAKE_EXPORT int32_t TS_StartServerSynchronization() { return 1; }
FAKE_EXPORT int32_t TS_StopServerSynchronization() { return 1; }
#ifndef FAKE_WITHOUT_SERVER_TIME
FAKE_EXPORT int32_t TS_GetServerTime(uint32_t*, int32_t*) { return -16; }
#endif
FAKE_EXPORT int32_t TS_StartTessaryInterface() { return -18; }
FAKE_EXPORT int32_t TS_CloseTessaryInterface() { return 1; }
FAKE_EXPORT int32_t TS_IsGameAllowed(char* name, char* extra) {
    std::strcpy(name, "bob");
    std::strcpy(extra, "0 45 Meadow Arena 1");
    return 1;
}
FAKE_EXPORT int32_t TS_InformInterfaceGameFinished(const char*) { return 1; }

FAKE_EXPORT int32_t fake_last_sent(int32_t* mode, int32_t* length) {
    *mode = lastSentMode;
    *length = lastSentLength;
    return lastSentType;
}
