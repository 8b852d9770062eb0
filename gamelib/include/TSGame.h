/* The game library libTSGame.so: how a game program joins the session that
 * the lobby started, talks to the other players through the game server, and
 * reports the end of the game.
 *
 * A game loads the library with dlopen() and binds every function below by
 * name with dlsym(); in C++ `decltype(&TS_Engine)` gives the pointer type.
 * Nothing is linked at build time.
 *
 * Every function returns a signed 32-bit result code (TS_SUCCESS or one of the
 * codes below). The library has no thread: all calls come from one thread, and
 * every callback runs inside TS_Engine() on that thread. The library never
 * hands out memory that the caller must free; data passed in is copied before
 * the call returns, and buffers handed to callbacks live only for the call.
 *
 * Integer arguments are 32-bit; where only the low 8 bits (message types, send
 * modes, group ids) or 16 bits (player ids, data keys) count, it is said.
 *
 * Call TS_Initialisation first. Before it (and after TS_Free) the other
 * functions do nothing: the lobby functions report TS_ERROR_NO_LOBBY (or
 * TS_SUCCESS for the two reports), the rest TS_ERROR_NOT_CONNECTED or the
 * "not found" code of their own.
 */
#ifndef TESSARY_TSGAME_H
#define TESSARY_TSGAME_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TSGAME_BUILDING_LIBRARY)
#define TSGAME_API __attribute__((visibility("default")))
#else
#define TSGAME_API
#endif

/* ---- Result codes ---------------------------------------------------- */

enum TSGameResult {
    TS_SUCCESS = 1,
    TS_NO_START_ORDER = 0,            /* TS_IsGameAllowed: lobby present, no order yet */
    TS_ERROR_NETWORK_LAYER = -1,      /* the network layer cannot be started */
    TS_ERROR_NAME = -2,               /* name unknown, missing or longer than 16 */
    TS_ERROR_PLAYER = -3,             /* no such player; already / not in the group */
    TS_ERROR_BUFFER_TOO_SMALL = -4,
    TS_ERROR_NO_CALLBACK = -5,        /* empty callback, or none fixed */
    TS_ERROR_NOT_CONNECTED = -6,      /* not connected, or the connection failed */
    TS_ERROR_PORT = -7,               /* server port below 1024 (or not a port) */
    TS_ERROR_EVENT_SIZE = -8,         /* a library event of the wrong size (internal) */
    TS_ERROR_MESSAGE_TYPE = -9,       /* type above 200, or no personal callback for it */
    TS_ERROR_ALREADY_CONNECTED = -10,
    TS_ERROR_SEND_MODE = -11,         /* send mode not in 1 to 4 */
    TS_ERROR_NO_DATA_KEY = -12,
    TS_ERROR_CALLBACK_EXISTS = -13,   /* a personal callback is fixed for that type */
    TS_ERROR_ADDRESS = -14,           /* server address neither dotted nor resolvable */
    TS_ERROR_GROUP = -15,             /* group exists (create) or does not (others) */
    TS_ERROR_NO_SERVER_TIME = -16,    /* no server time answer received yet */
    TS_ERROR_ALREADY_PRESENT = -17,   /* this game is already present in the mailbox */
    TS_ERROR_LOBBY_RUNNING = -18,
    TS_ERROR_NO_LOBBY = -19           /* lobby absent, not installed, or not answering */
};

/* ---- Limits and send modes ------------------------------------------- */

/* Each buffer given to TS_IsGameAllowed holds at least this many bytes; the
 * library writes at most 79 characters and the terminating NUL. */
#define TS_GAME_TEXT_OUT_SIZE 80

/* Longest player name accepted by TS_Registration. */
#define TS_MAX_PLAYER_NAME 16

/* Game message types are 0 to TS_MAX_GAME_MESSAGE_TYPE. */
#define TS_MAX_GAME_MESSAGE_TYPE 200

/* Send modes: 1 goes by the ordered stream; 2 to 4 go by the paced relay,
 * where only the newest message of each type waits. */
enum TSGameSendMode {
    TS_MODE_STREAM = 1,
    TS_MODE_RELAY = 2,
    TS_MODE_RELAY_PRIORITY_1 = 3,
    TS_MODE_RELAY_PRIORITY_2 = 4
};

/* ---- Callback types -------------------------------------------------- */

/* The server gave this player its id; `first` and `second` are the two values
 * that come with it (the games read `second` as the session's player count). */
typedef void (*TS_MyIdCallback)(uint16_t ownId, uint16_t first, uint16_t second);
/* A player is (or already was) in the session. `name` is NUL-terminated. */
typedef void (*TS_NewPlayerCallback)(uint16_t playerId, const char* name);
typedef void (*TS_PlayerLeftCallback)(uint16_t playerId);
typedef void (*TS_NewMasterCallback)(uint16_t playerId);
/* Stored player information came back; `data` is NULL when `size` is 0. */
typedef void (*TS_PlayerInfosCallback)(uint16_t playerId, const void* data, int32_t size);
/* The link to the game server was lost. Called once per lost link. */
typedef void (*TS_DisconnectionCallback)(void);
/* A game message arrived: the payload after the type byte and its length. */
typedef void (*TS_PersonalCallback)(uint16_t senderId, const void* data, int32_t size);
/* One player of an enumeration. */
typedef void (*TS_EnumPlayersCallback)(uint16_t playerId, const char* name);

/* ---- Lifecycle ------------------------------------------------------- */

/* Starts the library for `gameName` (at most 128 characters are kept) and
 * announces the game in the hand-off mailbox. `windowHandle` is the game's
 * process id. TS_SUCCESS, TS_ERROR_NETWORK_LAYER, TS_ERROR_ALREADY_PRESENT. */
TSGAME_API int32_t TS_Initialisation(const char* gameName, int32_t windowHandle);

/* Sets the game server without a lobby (tests, development). Always TS_SUCCESS;
 * the address and port are checked by TS_ConnectGame. */
TSGAME_API int32_t TS_DebugInit(const char* serverAddress, int32_t port);

/* Makes sure the lobby runs: starts <Directory>/TSClient from the registry and
 * waits up to about 10 s for it. TS_SUCCESS, TS_ERROR_LOBBY_RUNNING (it was
 * already running), TS_ERROR_NO_LOBBY. Blocks while it waits. */
TSGAME_API int32_t TS_StartTessaryInterface(void);

/* Takes the lobby's start order. `nameOut` receives the name to register with,
 * `extraOut` the session's option text (empty when there is none); each must
 * hold TS_GAME_TEXT_OUT_SIZE bytes, longer texts are cut.
 * TS_SUCCESS, TS_NO_START_ORDER (poll again), TS_ERROR_NO_LOBBY. */
TSGAME_API int32_t TS_IsGameAllowed(char* nameOut, char* extraOut);

/* Connects to the game server (blocking). TS_SUCCESS, TS_ERROR_NOT_CONNECTED,
 * TS_ERROR_PORT, TS_ERROR_ALREADY_CONNECTED, TS_ERROR_ADDRESS. */
TSGAME_API int32_t TS_ConnectGame(void);

/* Closes the link; the player table is emptied. TS_SUCCESS or
 * TS_ERROR_NOT_CONNECTED. The disconnection callback is not called. */
TSGAME_API int32_t TS_DisconnectFromGame(void);

/* Does the library's work: transmits, receives, relays, asks for the server
 * time and calls the callbacks. Call it regularly (every 200 ms or more
 * often). TS_SUCCESS, or TS_ERROR_NOT_CONNECTED when there is no link. */
TSGAME_API int32_t TS_Engine(void);

/* Registers the player under `name` (1 to 16 characters). TS_SUCCESS,
 * TS_ERROR_NAME, TS_ERROR_NOT_CONNECTED. */
TSGAME_API int32_t TS_Registration(const char* name);

/* Leaves the finish report for the lobby (nothing when the game was not
 * started by the lobby). `resultText` follows the session number directly;
 * begin it with "@" to make it a field of its own. Always TS_SUCCESS. */
TSGAME_API int32_t TS_InformInterfaceGameFinished(const char* resultText);

/* Asks the lobby to close (nothing when the game was not started by the
 * lobby). Always TS_SUCCESS. */
TSGAME_API int32_t TS_CloseTessaryInterface(void);

/* Closes everything and withdraws the game from the mailbox. Always
 * TS_SUCCESS. Must not be called from a callback. */
TSGAME_API int32_t TS_Free(void);

/* ---- Messaging ------------------------------------------------------- */
/* `type` 0 to 200, `mode` a TSGameSendMode; `data` may be NULL when `length`
 * is 0. Results: TS_SUCCESS, TS_ERROR_MESSAGE_TYPE, TS_ERROR_SEND_MODE,
 * TS_ERROR_NOT_CONNECTED (checked in that order). */

TSGAME_API int32_t TS_SendMessageToServer(int32_t type, int32_t mode, const void* data, int32_t length);
/* `playerId`: low 16 bits. */
TSGAME_API int32_t TS_SendMessageToOnePlayer(int32_t type, int32_t playerId, int32_t mode,
                                             const void* data, int32_t length);
/* To every other player of the session. */
TSGAME_API int32_t TS_SendMessageToAllPlayers(int32_t type, int32_t mode, const void* data, int32_t length);
/* To every player, the sender included. */
TSGAME_API int32_t TS_SendMessageToAllPlayersWithEcho(int32_t type, int32_t mode, const void* data,
                                                      int32_t length);
/* `groupId`: low 8 bits. */
TSGAME_API int32_t TS_SendMessageToGroup(int32_t type, int32_t groupId, int32_t mode, const void* data,
                                         int32_t length);

/* ---- Groups (group ids: low 8 bits; player ids: low 16 bits) ---------- */

/* TS_SUCCESS, TS_ERROR_NOT_CONNECTED, TS_ERROR_GROUP (exists already). */
TSGAME_API int32_t TS_CreateGroup(int32_t groupId);
/* TS_SUCCESS, TS_ERROR_NOT_CONNECTED, TS_ERROR_GROUP (no such group). */
TSGAME_API int32_t TS_DeleteGroup(int32_t groupId);
TSGAME_API int32_t TS_EmptyGroup(int32_t groupId);
/* Also TS_ERROR_PLAYER (no such player, or already a member) and
 * TS_ERROR_BUFFER_TOO_SMALL (the player's name has 16 or more characters). */
TSGAME_API int32_t TS_AddPlayerInGroup(int32_t groupId, int32_t playerId);
/* Also TS_ERROR_PLAYER (not a member). */
TSGAME_API int32_t TS_RemovePlayerFromGroup(int32_t groupId, int32_t playerId);
/* Calls `callback` once per member in the order they were added.
 * TS_SUCCESS, TS_ERROR_NO_CALLBACK, TS_ERROR_GROUP. */
TSGAME_API int32_t TS_EnumPlayersInGroup(int32_t groupId, TS_EnumPlayersCallback callback);

/* ---- Player table ---------------------------------------------------- */

/* Calls `callback` once per known player, in the order they arrived.
 * TS_SUCCESS or TS_ERROR_NO_CALLBACK. */
TSGAME_API int32_t TS_EnumPlayers(TS_EnumPlayersCallback callback);
/* Copies the player's name and its NUL into `buffer` of `size` bytes.
 * TS_SUCCESS, TS_ERROR_PLAYER, TS_ERROR_BUFFER_TOO_SMALL. */
TSGAME_API int32_t TS_GetPlayerName(int32_t playerId, char* buffer, int32_t size);
/* Exact, case-sensitive name. TS_SUCCESS or TS_ERROR_NAME. */
TSGAME_API int32_t TS_GetPlayerID(const char* name, uint16_t* playerId);
/* Forgets the player locally; nothing is sent. TS_SUCCESS or TS_ERROR_PLAYER. */
TSGAME_API int32_t TS_DeletePlayer(int32_t playerId);

/* ---- Callbacks ------------------------------------------------------- */
/* Each event has one callback; fixing another replaces it. A NULL callback
 * clears the event and returns TS_ERROR_NO_CALLBACK. */

TSGAME_API int32_t TS_FixMyIdCallback(TS_MyIdCallback callback);
TSGAME_API int32_t TS_FixNewPlayerCallback(TS_NewPlayerCallback callback);
TSGAME_API int32_t TS_FixPlayerLeftCallback(TS_PlayerLeftCallback callback);
TSGAME_API int32_t TS_FixNewMasterCallback(TS_NewMasterCallback callback);
TSGAME_API int32_t TS_FixPlayerInfosCallback(TS_PlayerInfosCallback callback);
TSGAME_API int32_t TS_FixDisconnectionCallback(TS_DisconnectionCallback callback);
/* Receives the game messages of `type` (low 8 bits, 0 to 200). TS_SUCCESS,
 * TS_ERROR_NO_CALLBACK, TS_ERROR_MESSAGE_TYPE, TS_ERROR_CALLBACK_EXISTS (the
 * first one stays). */
TSGAME_API int32_t TS_FixPersonalCallback(TS_PersonalCallback callback, int32_t type);
/* TS_SUCCESS, or TS_ERROR_MESSAGE_TYPE when none is fixed for `type`. */
TSGAME_API int32_t TS_DeletePersonalCallback(int32_t type);

/* ---- Player data (local to this process; keys: low 16 bits) ----------- */

/* In: *size is the buffer's size; out: the item's size. TS_SUCCESS,
 * TS_ERROR_PLAYER, TS_ERROR_BUFFER_TOO_SMALL (*size unchanged),
 * TS_ERROR_NO_DATA_KEY (*size set to 0). An item stored with no bytes reads
 * back with *size 0 and the buffer untouched. */
TSGAME_API int32_t TS_GetPlayerData(int32_t playerId, int32_t key, void* buffer, int32_t* size);
/* Creates or replaces the item. TS_SUCCESS or TS_ERROR_PLAYER. */
TSGAME_API int32_t TS_UpdatePlayerData(int32_t playerId, int32_t key, const void* data, int32_t size);
/* TS_SUCCESS, TS_ERROR_PLAYER, TS_ERROR_NO_DATA_KEY. */
TSGAME_API int32_t TS_DeletePlayerData(int32_t playerId, int32_t key);

/* ---- Database storage ------------------------------------------------ */

/* Asks the server to keep `data` for the player; it comes back through the
 * player-infos callback. TS_SUCCESS or TS_ERROR_NOT_CONNECTED. */
TSGAME_API int32_t TS_StorePlayerInfosInDatabase(int32_t playerId, const void* data, int32_t length);
TSGAME_API int32_t TS_CancelPlayerInfosStorageInDatabase(void);

/* ---- Server time ----------------------------------------------------- */

/* While on, TS_Engine asks the server for its time every 30 s. TS_SUCCESS. */
TSGAME_API int32_t TS_StartServerSynchronization(void);
TSGAME_API int32_t TS_StopServerSynchronization(void);
/* The server's clock now, estimated from the last answer. TS_SUCCESS, or
 * TS_ERROR_NO_SERVER_TIME (outputs untouched) before the first answer. */
TSGAME_API int32_t TS_GetServerTime(uint32_t* seconds, int32_t* milliseconds);

#ifdef __cplusplus
}
#endif

#endif /* TESSARY_TSGAME_H */
