/* libTSClient.so: the lobby's side of the Tessary service.
 *
 * The lobby loads this library at run time and looks its 73 functions up by
 * name. Every function is plain C: integers are 32-bit, outputs go to
 * buffers the caller owns, and the library never hands out memory to free.
 *
 * Conventions:
 *  - Sending functions only queue a request; the next TS_GetMessageType
 *    transmits it. They address the Router (TSRouterSend_), the Arena
 *    (TSArenaSend_) or whichever server is connected (TSSend_).
 *  - Reading functions read the current message, the one the last
 *    TS_GetMessageType handed out. They return 1 when every value was read
 *    and 0 when the message is missing, of another type, or lacks a value
 *    (outputs before the missing value may be written already). "GetNext"
 *    readers walk a list: each success moves to the next entry.
 *  - Every text output is a buffer of TS_TEXT_OUT_SIZE bytes; longer server
 *    texts are cut to TS_TEXT_OUT_SIZE - 1 characters and a NUL. Exceptions:
 *    TS_GetStartedGame (128 bytes) and the photo readers (the size that the
 *    matching GetPhotoSize reported).
 *  - A "result" output is one byte: the type of the answer, 47 (success,
 *    the character '/') or 48 (failure, '0'); an "error" output receives the
 *    server's failure text.
 *  - A null output pointer is skipped.
 */
#ifndef TESSARY_TSCLIENT_H
#define TESSARY_TSCLIENT_H

#include <stdint.h>

#if defined(TS_BUILDING_CLIENT_LIBRARY)
#define TS_CLIENT_EXPORT __attribute__((visibility("default")))
#else
#define TS_CLIENT_EXPORT
#endif

#define TS_TEXT_OUT_SIZE 4096
#define TS_STARTED_GAME_SIZE 128

#ifdef __cplusplus
extern "C" {
#endif

/* --- Connection and poll --- */

/* Connects to a Router (destination 1) or an Arena (3); drops any previous
 * connection and its unsent requests. 1 connected, 0 failed. */
TS_CLIENT_EXPORT int32_t TS_ConnectToHost(const char* host, int32_t port, int32_t destination);
/* Closes the connection and stops every arena ping. Always 1. */
TS_CLIENT_EXPORT int32_t TS_DisconnectFromHost(void);
/* Runs one network cycle and hands out the next message: -1 no connection or
 * connection lost, 0 nothing new, else the message type (for an answer: the
 * code of the request answered). */
TS_CLIENT_EXPORT int32_t TS_GetMessageType(void);

/* --- Requests to the Router (and pages to either server) --- */

TS_CLIENT_EXPORT void TSSend_PagePlayer(int32_t count, const char* const* addressees, const char* message);
TS_CLIENT_EXPORT void TSRouterSend_Login(const char* a1, const char* a2, const char* a3, int32_t a4);
TS_CLIENT_EXPORT void TSRouterSend_CreateAccount(const char* a1, const char* a2, const char* a3, const char* a4,
                                                 const char* a5, const char* a6, const char* a7, int32_t a8,
                                                 int32_t a9, int32_t a10);
TS_CLIENT_EXPORT void TSRouterSend_ModifyAccount(const char* a1, const char* a2, const char* a3, const char* a4,
                                                 const char* a5, const char* a6, const char* a7, int32_t a8,
                                                 int32_t a9, int32_t a10);
TS_CLIENT_EXPORT void TSRouterSend_JoinArena(const char* arena);
/* A negative size or a null data pointer sends an empty picture. */
TS_CLIENT_EXPORT void TSRouterSend_Photo(int32_t size, const void* data, const char* a3);
TS_CLIENT_EXPORT void TSRouterSend_SearchPlayer(const char* player);

/* --- Requests to the Arena --- */

TS_CLIENT_EXPORT void TSArenaSend_Login(const char* a1);
TS_CLIENT_EXPORT void TSArenaSend_ChatToAll(const char* message, int32_t a2, int32_t a3);
TS_CLIENT_EXPORT void TSArenaSend_ChatToPlayer(const char* addressee, const char* message, int32_t a3, int32_t a4);
TS_CLIENT_EXPORT void TSArenaSend_ChatToSession(const char* message, int32_t a2, int32_t a3);
TS_CLIENT_EXPORT void TSArenaSend_GetPlayerInfo(const char* player);
TS_CLIENT_EXPORT void TSArenaSend_CreateSession(const char* a1, const char* a2, const char* a3, int32_t a4, int32_t a5,
                                                int32_t a6, const char* a7, const char* a8, int32_t a9);
TS_CLIENT_EXPORT void TSArenaSend_GetSessionInfo(const char* session);
TS_CLIENT_EXPORT void TSArenaSend_JoinSession(const char* a1, const char* a2, const char* a3, int32_t a4);
/* 1 queued, 0 no connection object. */
TS_CLIENT_EXPORT int32_t TSArenaSend_LeaveSession(void);
TS_CLIENT_EXPORT int32_t TSArenaSend_BeginGame(void);
TS_CLIENT_EXPORT int32_t TSArenaSend_Ping(void);

/* --- Messages from either server --- */

TS_CLIENT_EXPORT int32_t TSRcv_Page(char* sender, char* message);
TS_CLIENT_EXPORT int32_t TSRcv_UrgentMessage(char* text);

/* --- Router answers and messages --- */

TS_CLIENT_EXPORT int32_t TSRouterRcv_LoginResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSRouterRcv_AccountCreationResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSRouterRcv_ModifyAccountResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSRouterRcv_JoinArenaResult(char* result, char* address, int32_t* port, char* error);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextRouter(char* r1, char* r2, int32_t* r3);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextArena(char* r1, char* r2, int32_t* r3, int32_t* r4);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextAdvertisement(char* r1, char* r2, char* r3, char* r4, char* r5, char* r6,
                                                          int32_t* r7);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextNews(char* r1);
/* r4 <- 1 when the update is mandatory (first value 0), else 0. */
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetVersion(char* r1, char* r2, int32_t* r3, int32_t* r4);
TS_CLIENT_EXPORT int32_t TSRouterRcv_AccountInfo(char* r1, char* r2, char* r3, char* r4, char* r5, char* r6,
                                                 uint8_t* r7, int32_t* r8);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextGame(char* r1, char* r2);
/* Size in bytes of the current photo; the photo reader copies at most that. */
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetPhotoSize(int32_t* size);
TS_CLIENT_EXPORT int32_t TSRouterRcv_Photo(void* picture);
TS_CLIENT_EXPORT int32_t TSRouterRcv_SearchPlayerResult(char* result, char* error, char* r3, char* r4);

/* --- Arena answers and messages --- */

TS_CLIENT_EXPORT int32_t TSArenaRcv_LoginResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_CreateSessionResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_JoinSessionResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_BeginGameResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerInfoResult(char* result, char* error, char* r3, char* r4, char* r5, char* r6,
                                                     char* r7, char* r8, uint8_t* r9, int32_t* r10);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextGame(char* r1, char* r2);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionInfoResult(char* result, char* error, char* r3, char* r4);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionNew(char* r1, char* r2, int32_t* r3, int32_t* r4, int32_t* r5, char* r6);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionRemoved(char* r1);
TS_CLIENT_EXPORT int32_t TSArenaRcv_MasterChanged(char* r1, char* r2);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionState(char* r1, int32_t* r2);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerNew(char* r1, int32_t* r2);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerRemoved(char* r1);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerJoinSession(char* r1, char* r2, int32_t* r3);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerLeaveSession(char* r1, char* r2);
TS_CLIENT_EXPORT int32_t TSArenaRcv_UpdatePlayerInfo(char* r1, int32_t* r2);
TS_CLIENT_EXPORT int32_t TSArenaRcv_ChatAll(char* r1, char* r2, int32_t* r3, int32_t* r4);
TS_CLIENT_EXPORT int32_t TSArenaRcv_ChatList(char* r1, char* r2, int32_t* r3, int32_t* r4);
TS_CLIENT_EXPORT int32_t TSArenaRcv_ChatSession(char* r1, char* r2, int32_t* r3, int32_t* r4);
TS_CLIENT_EXPORT int32_t TSArenaRcv_Ping(void);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextPlayer(char* r1, int32_t* r2);
/* Moves to the next session; its players and spectators are then listed
 * from their start by the two readers below. */
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextSession(char* r1, char* r2, char* r3, int32_t* r4, int32_t* r5,
                                                   int32_t* r6, int32_t* r7, int32_t* r8);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextPlayerInSession(char* r1);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextSpectatorInSession(char* r1);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetPhotoSize(int32_t* size, char* owner);
TS_CLIENT_EXPORT int32_t TSArenaRcv_Photo(void* picture);
TS_CLIENT_EXPORT int32_t TSArenaRcv_StartGame(char* r1, int32_t* r2);

/* --- Arena pings --- */

/* 1 added, 0 an arena of that name is measured already. */
TS_CLIENT_EXPORT int32_t TSRouter_AddArenaPingProcessing(const char* name, const char* host);
/* Always 1. */
TS_CLIENT_EXPORT int32_t TSRouter_StopAllPingProcessings(void);
/* 0 unknown arena; 1 and the mean round-trip time in ms (-1 none measured yet). */
TS_CLIENT_EXPORT int32_t TSRouter_GetArenaPing(const char* name, int32_t* milliseconds);

/* --- Game hand-off --- */

/* window: the lobby's process id. 0 when already done, the mailbox is not
 * available, or another lobby runs. */
TS_CLIENT_EXPORT int32_t TS_InitializeSharedMemory(int32_t window);
/* game: TS_STARTED_GAME_SIZE bytes. */
TS_CLIENT_EXPORT int32_t TS_GetStartedGame(char* game);
/* launchLine: program path, "|", arguments separated by blanks. 1 when the
 * game is present; 0 when it could not be started or did not appear in 30 s. */
TS_CLIENT_EXPORT int32_t TS_StartGame(const char* name, const char* game, const char* extra, const char* launchLine,
                                      const char* reportName, int32_t session, const char* serverAddress,
                                      int32_t serverPort);
/* r1, r3: at least 1,024 bytes each. */
TS_CLIENT_EXPORT int32_t TS_IsGameFinished(char* r1, int32_t* r2, char* r3);
TS_CLIENT_EXPORT int32_t TS_IsCloseAsked(void);
TS_CLIENT_EXPORT int32_t TS_FreeSharedMemory(void);

#ifdef __cplusplus
}
#endif

#endif /* TESSARY_TSCLIENT_H */
