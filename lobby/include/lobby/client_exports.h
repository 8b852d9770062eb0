// The 73 functions the lobby takes from libTSClient.so, in the order they are
// looked up. X(name) is expanded once per export.
#pragma once

#include <array>
#include <string_view>

#define TS_CLIENT_EXPORTS(X)                 \
    X(TS_ConnectToHost)                      \
    X(TS_DisconnectFromHost)                 \
    X(TS_GetMessageType)                     \
    X(TSSend_PagePlayer)                     \
    X(TSRouterSend_Login)                    \
    X(TSRouterSend_CreateAccount)            \
    X(TSRouterSend_ModifyAccount)            \
    X(TSRouterSend_JoinArena)                \
    X(TSRouterSend_Photo)                    \
    X(TSRouterSend_SearchPlayer)             \
    X(TSArenaSend_Login)                     \
    X(TSArenaSend_ChatToAll)                 \
    X(TSArenaSend_ChatToPlayer)              \
    X(TSArenaSend_ChatToSession)             \
    X(TSArenaSend_GetPlayerInfo)             \
    X(TSArenaSend_CreateSession)             \
    X(TSArenaSend_GetSessionInfo)            \
    X(TSArenaSend_JoinSession)               \
    X(TSArenaSend_LeaveSession)              \
    X(TSArenaSend_BeginGame)                 \
    X(TSArenaSend_Ping)                      \
    X(TSRcv_Page)                            \
    X(TSRcv_UrgentMessage)                   \
    X(TSRouterRcv_LoginResult)               \
    X(TSRouterRcv_AccountCreationResult)     \
    X(TSRouterRcv_ModifyAccountResult)       \
    X(TSRouterRcv_JoinArenaResult)           \
    X(TSRouterRcv_GetNextRouter)             \
    X(TSRouterRcv_GetNextArena)              \
    X(TSRouterRcv_GetNextAdvertisement)      \
    X(TSRouterRcv_GetNextNews)               \
    X(TSRouterRcv_GetVersion)                \
    X(TSRouterRcv_AccountInfo)               \
    X(TSRouterRcv_GetNextGame)               \
    X(TSRouterRcv_GetPhotoSize)              \
    X(TSRouterRcv_Photo)                     \
    X(TSRouterRcv_SearchPlayerResult)        \
    X(TSArenaRcv_LoginResult)                \
    X(TSArenaRcv_CreateSessionResult)        \
    X(TSArenaRcv_JoinSessionResult)          \
    X(TSArenaRcv_BeginGameResult)            \
    X(TSArenaRcv_PlayerInfoResult)           \
    X(TSArenaRcv_GetNextGame)                \
    X(TSArenaRcv_SessionInfoResult)          \
    X(TSArenaRcv_SessionNew)                 \
    X(TSArenaRcv_SessionRemoved)             \
    X(TSArenaRcv_MasterChanged)              \
    X(TSArenaRcv_SessionState)               \
    X(TSArenaRcv_PlayerNew)                  \
    X(TSArenaRcv_PlayerRemoved)              \
    X(TSArenaRcv_PlayerJoinSession)          \
    X(TSArenaRcv_PlayerLeaveSession)         \
    X(TSArenaRcv_UpdatePlayerInfo)           \
    X(TSArenaRcv_ChatAll)                    \
    X(TSArenaRcv_ChatList)                   \
    X(TSArenaRcv_ChatSession)                \
    X(TSArenaRcv_Ping)                       \
    X(TSArenaRcv_GetNextPlayer)              \
    X(TSArenaRcv_GetNextSession)             \
    X(TSArenaRcv_GetNextPlayerInSession)     \
    X(TSArenaRcv_GetNextSpectatorInSession)  \
    X(TSArenaRcv_GetPhotoSize)               \
    X(TSArenaRcv_Photo)                      \
    X(TSArenaRcv_StartGame)                  \
    X(TSRouter_AddArenaPingProcessing)       \
    X(TSRouter_StopAllPingProcessings)       \
    X(TSRouter_GetArenaPing)                 \
    X(TS_InitializeSharedMemory)             \
    X(TS_GetStartedGame)                     \
    X(TS_StartGame)                          \
    X(TS_IsGameFinished)                     \
    X(TS_IsCloseAsked)                       \
    X(TS_FreeSharedMemory)

namespace tessary::lobby {

#define TS_EXPORT_NAME(name) std::string_view{#name},
inline constexpr std::array kClientExportNames = {TS_CLIENT_EXPORTS(TS_EXPORT_NAME)};
#undef TS_EXPORT_NAME

static_assert(kClientExportNames.size() == 73);

}  // namespace tessary::lobby
