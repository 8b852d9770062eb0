// The client library as the lobby sees it: one function pointer per export,
// filled by binding libTSClient.so by name (or, in tests, by fakes).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lobby/client_exports.h"

namespace tessary::lobby {

// Every text the library writes goes into a buffer of this size; the library
// never writes more (longer server texts arrive cut).
inline constexpr std::size_t kTextOutSize = 4096;

inline constexpr char kAnswerSuccess = 47;  // "/": TSSUCCESS
inline constexpr char kAnswerFailure = 48;  // "0": TSFAIL

struct ClientApi {
    int32_t (*TS_ConnectToHost)(const char* host, int32_t port, int32_t kind) = nullptr;
    int32_t (*TS_DisconnectFromHost)() = nullptr;
    int32_t (*TS_GetMessageType)() = nullptr;
    void (*TSRouterSend_Login)(const char* name, const char* password, const char* client,
                               int32_t reason) = nullptr;
    void (*TSRouterSend_CreateAccount)(const char* name, const char* password, const char* f1004,
                                       const char* f1003, const char* country, const char* f1005,
                                       const char* description, int32_t gender, int32_t one,
                                       int32_t photo) = nullptr;
    void (*TSRouterSend_ModifyAccount)(const char* name, const char* password, const char* f1004,
                                       const char* f1003, const char* country, const char* f1005,
                                       const char* description, int32_t gender, int32_t one,
                                       int32_t photo) = nullptr;
    void (*TSRouterSend_JoinArena)(const char* arena) = nullptr;
    void (*TSRouterSend_Photo)(int32_t size, const void* data, const char* type) = nullptr;
    void (*TSArenaSend_Login)(const char* name) = nullptr;
    int32_t (*TSRcv_UrgentMessage)(char* text) = nullptr;
    int32_t (*TSRouterRcv_LoginResult)(char* result, char* text) = nullptr;
    int32_t (*TSRouterRcv_AccountCreationResult)(char* result, char* text) = nullptr;
    int32_t (*TSRouterRcv_ModifyAccountResult)(char* result, char* text) = nullptr;
    int32_t (*TSRouterRcv_JoinArenaResult)(char* result, char* host, int32_t* port,
                                           char* text) = nullptr;
    int32_t (*TSRouterRcv_GetVersion)(char* first, char* second, int32_t* number,
                                      int32_t* mandatory) = nullptr;
    int32_t (*TSRouterRcv_AccountInfo)(char* name, char* f1004, char* f1003, char* country,
                                       char* f1005, char* description, uint8_t* gender,
                                       int32_t* photo) = nullptr;
    int32_t (*TSArenaRcv_LoginResult)(char* result, char* text) = nullptr;
    int32_t (*TSRouter_StopAllPingProcessings)() = nullptr;
    int32_t (*TS_InitializeSharedMemory)(int32_t window) = nullptr;
    int32_t (*TS_IsGameFinished)(char* host, int32_t* port, char* report) = nullptr;
    int32_t (*TS_IsCloseAsked)() = nullptr;
    int32_t (*TS_FreeSharedMemory)() = nullptr;

    // Every export by its place in kClientExportNames, for the windows that
    // type theirs when they are built.
    std::array<void*, kClientExportNames.size()> addresses{};

    // The API over addresses found by binding, in kClientExportNames order.
    static ClientApi fromSlots(std::span<void* const> addresses);
};

}  // namespace tessary::lobby
