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
TS_CLIENT_EXPORT void TSRouterSend_Login(const char* userName, const char* password, const char* clientText,
                                           int32_t reason);
TS_CLIENT_EXPORT void TSRouterSend_CreateAccount(const char* userName, const char* password, const char* email,
                                                 const char* realName, const char* country, const char* homePage,
                                                 const char* description, int32_t gender, int32_t one,
                                                 int32_t photoNumber);
TS_CLIENT_EXPORT void TSRouterSend_ModifyAccount(const char* userName, const char* password, const char* email,
                                                 const char* realName, const char* country, const char* homePage,
                                                 const char* description, int32_t gender, int32_t one,
                                                 int32_t photoNumber);
TS_CLIENT_EXPORT void TSRouterSend_JoinArena(const char* arena);
/* A negative size or a null data pointer sends an empty picture. */
TS_CLIENT_EXPORT void TSRouterSend_Photo(int32_t size, const void* data, const char* fileType);
TS_CLIENT_EXPORT void TSRouterSend_SearchPlayer(const char* player);

/* --- Requests to the Arena --- */

TS_CLIENT_EXPORT void TSArenaSend_Login(const char* userName);
TS_CLIENT_EXPORT void TSArenaSend_ChatToAll(const char* message, int32_t colour, int32_t font);
TS_CLIENT_EXPORT void TSArenaSend_ChatToPlayer(const char* addressee, const char* message, int32_t colour,
                                               int32_t font);
TS_CLIENT_EXPORT void TSArenaSend_ChatToSession(const char* message, int32_t colour, int32_t font);
TS_CLIENT_EXPORT void TSArenaSend_GetPlayerInfo(const char* player);
TS_CLIENT_EXPORT void TSArenaSend_CreateSession(const char* sessionName, const char* gameName, const char* gameVersion,
                                                int32_t zero, int32_t maxPlayers, int32_t maxSpectators,
                                                const char* options, const char* password, int32_t spectator);
TS_CLIENT_EXPORT void TSArenaSend_GetSessionInfo(const char* session);
TS_CLIENT_EXPORT void TSArenaSend_JoinSession(const char* sessionName, const char* password, const char* gameVersion,
                                              int32_t spectator);
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
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextRouter(char* name, char* host, int32_t* port);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextArena(char* name, char* host, int32_t* players, int32_t* maxPing);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextAdvertisement(char* ftpHost, char* ftpUser, char* ftpPassword,
                                                          char* directory, char* pictureName, char* link,
                                                          int32_t* displayMilliseconds);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextNews(char* line);
/* mandatory <- 1 when the update must be taken (first value 0), else 0. */
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetVersion(char* updateHost, char* updatePath, int32_t* versionNumber,
                                                int32_t* mandatory);
TS_CLIENT_EXPORT int32_t TSRouterRcv_AccountInfo(char* userName, char* email, char* realName, char* country,
                                                 char* homePage, char* description, uint8_t* gender,
                                                 int32_t* photoNumber);
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetNextGame(char* gameName, char* statistics);
/* Size in bytes of the current photo; the photo reader copies at most that. */
TS_CLIENT_EXPORT int32_t TSRouterRcv_GetPhotoSize(int32_t* size);
TS_CLIENT_EXPORT int32_t TSRouterRcv_Photo(void* picture);
TS_CLIENT_EXPORT int32_t TSRouterRcv_SearchPlayerResult(char* result, char* error, char* playerName, char* arenaName);

/* --- Arena answers and messages --- */

TS_CLIENT_EXPORT int32_t TSArenaRcv_LoginResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_CreateSessionResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_JoinSessionResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_BeginGameResult(char* result, char* error);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerInfoResult(char* result, char* error, char* userName, char* email,
                                                     char* realName, char* country, char* homePage,
                                                     char* description, uint8_t* gender, int32_t* photoNumber);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextGame(char* gameName, char* statistics);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionInfoResult(char* result, char* error, char* sessionName, char* options);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionNew(char* sessionName, char* gameName, int32_t* maxPlayers,
                                               int32_t* maxSpectators, int32_t* state, char* master);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionRemoved(char* sessionName);
TS_CLIENT_EXPORT int32_t TSArenaRcv_MasterChanged(char* sessionName, char* master);
TS_CLIENT_EXPORT int32_t TSArenaRcv_SessionState(char* sessionName, int32_t* state);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerNew(char* playerName, int32_t* pingClass);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerRemoved(char* playerName);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerJoinSession(char* playerName, char* sessionName, int32_t* spectator);
TS_CLIENT_EXPORT int32_t TSArenaRcv_PlayerLeaveSession(char* playerName, char* sessionName);
TS_CLIENT_EXPORT int32_t TSArenaRcv_UpdatePlayerInfo(char* playerName, int32_t* pingClass);
TS_CLIENT_EXPORT int32_t TSArenaRcv_ChatAll(char* sender, char* message, int32_t* colour, int32_t* font);
TS_CLIENT_EXPORT int32_t TSArenaRcv_ChatList(char* sender, char* message, int32_t* colour, int32_t* font);
TS_CLIENT_EXPORT int32_t TSArenaRcv_ChatSession(char* sender, char* message, int32_t* colour, int32_t* font);
TS_CLIENT_EXPORT int32_t TSArenaRcv_Ping(void);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextPlayer(char* playerName, int32_t* pingClass);
/* Moves to the next session; its players and spectators are then listed
 * from their start by the two readers below. */
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextSession(char* sessionName, char* gameName, char* master,
                                                   int32_t* maxPlayers, int32_t* players, int32_t* maxSpectators,
                                                   int32_t* spectators, int32_t* state);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextPlayerInSession(char* playerName);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetNextSpectatorInSession(char* playerName);
TS_CLIENT_EXPORT int32_t TSArenaRcv_GetPhotoSize(int32_t* size, char* owner);
TS_CLIENT_EXPORT int32_t TSArenaRcv_Photo(void* picture);
TS_CLIENT_EXPORT int32_t TSArenaRcv_StartGame(char* gameServerAddress, int32_t* gameServerPort);

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
TS_CLIENT_EXPORT int32_t TS_StartGame(const char* userName, const char* gameName, const char* extra,
                                      const char* launchLine, const char* reportName, int32_t session,
                                      const char* serverAddress, int32_t serverPort);
/* The finish report: the arena host and port the game was given back, then
 * the rest of the report. arenaHost, rest: at least 1,024 bytes each. */
TS_CLIENT_EXPORT int32_t TS_IsGameFinished(char* arenaHost, int32_t* arenaPort, char* rest);
TS_CLIENT_EXPORT int32_t TS_IsCloseAsked(void);
TS_CLIENT_EXPORT int32_t TS_FreeSharedMemory(void);

#ifdef __cplusplus
}
#endif

#endif /* TESSARY_TSCLIENT_H */
