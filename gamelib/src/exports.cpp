// The C exports of libTSGame.so. Each one checks its arguments, forwards to
// the game session or the mailbox, and never lets an exception out.
#include <cstring>
#include <exception>
#include <string>

#include "TSGame.h"
#include "game_library.h"
#include "outgoing.h"
#include "platform/c_boundary.h"
#include "start_order.h"

using namespace tessary;
using namespace tessary::gamelib;

namespace {

GameLibrary& library() {
    static GameLibrary instance;
    return instance;
}

GameSession* session() { return library().session.get(); }

using tessary::platform::guarded;

// Runs `body` with the session, or returns `withoutSession`.
template <class Body>
int32_t withSession(int32_t withoutSession, Body&& body) noexcept {
    return guarded(TS_ERROR_NOT_CONNECTED, [&]() -> int32_t {
        GameSession* s = session();
        return s ? body(*s) : withoutSession;
    });
}

void freeEverything() {
    GameLibrary& lib = library();
    lib.session.reset();
    if (lib.mailbox) lib.mailbox->close();
    lib.mailbox.reset();
    lib.freeRequested = false;
}

int32_t sendGame(uint8_t kind, int32_t type, int32_t mode, std::span<const uint8_t> addressing, const void* data,
                 int32_t length) {
    return withSession(TS_ERROR_NOT_CONNECTED, [&](GameSession& s) -> int32_t {
        return s.sendGameMessage(kind, type, mode, addressing, callerBytes(data, length));
    });
}

}  // namespace

extern "C" {

// ---- Lifecycle ----

TSGAME_API int32_t TS_Initialisation(const char* gameName, int32_t windowHandle) {
    return guarded(TS_ERROR_NETWORK_LAYER, [&]() -> int32_t {
        GameLibrary& lib = library();
        if (lib.dispatching) return TS_ERROR_NETWORK_LAYER;  // not from inside a callback
        freeEverything();
        lib.session = std::make_unique<GameSession>();
        lib.mailbox = std::make_unique<LobbyMailbox>();
        const std::string name = gameName ? std::string(gameName, strnlen(gameName, 128)) : std::string();
        if (lib.mailbox->open(name, uint32_t(windowHandle)) == LobbyMailbox::OpenResult::AlreadyPresent)
            return TS_ERROR_ALREADY_PRESENT;
        lib.resetTarget();
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_DebugInit(const char* serverAddress, int32_t port) {
    return guarded(TS_SUCCESS, [&]() -> int32_t {
        GameLibrary& lib = library();
        lib.serverAddress = serverAddress ? serverAddress : "";
        lib.serverPort = port;
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_StartTessaryInterface(void) {
    return guarded(TS_ERROR_NO_LOBBY, [&]() -> int32_t {
        GameLibrary& lib = library();
        if (!lib.session || !lib.mailbox) return TS_ERROR_NO_LOBBY;
        switch (lib.mailbox->startLobby()) {
            case LobbyMailbox::StartResult::Started: return TS_SUCCESS;
            case LobbyMailbox::StartResult::AlreadyRunning: return TS_ERROR_LOBBY_RUNNING;
            case LobbyMailbox::StartResult::Failed: break;
        }
        return TS_ERROR_NO_LOBBY;
    });
}

TSGAME_API int32_t TS_IsGameAllowed(char* nameOut, char* extraOut) {
    return guarded(TS_ERROR_NO_LOBBY, [&]() -> int32_t {
        GameLibrary& lib = library();
        if (!lib.session || !lib.mailbox || !lib.mailbox->lobbyPresent()) return TS_ERROR_NO_LOBBY;
        const auto text = lib.mailbox->takeStartOrder();
        if (!text) return TS_NO_START_ORDER;
        const StartOrder order = parseStartOrder(*text);
        copyBounded(order.name, nameOut, TS_GAME_TEXT_OUT_SIZE);
        copyBounded(order.extra, extraOut, TS_GAME_TEXT_OUT_SIZE);
        lib.reportName = order.reportName;
        lib.sessionNumber = order.session;
        if (order.serverAddress) lib.serverAddress = *order.serverAddress;
        if (order.serverPort) lib.serverPort = *order.serverPort;
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_ConnectGame(void) {
    return withSession(TS_ERROR_NOT_CONNECTED, [](GameSession& s) -> int32_t {
        return s.connect(library().serverAddress, library().serverPort);
    });
}

TSGAME_API int32_t TS_DisconnectFromGame(void) {
    return withSession(TS_ERROR_NOT_CONNECTED, [](GameSession& s) -> int32_t { return s.disconnect(); });
}

TSGAME_API int32_t TS_Engine(void) {
    return withSession(TS_ERROR_NOT_CONNECTED, [](GameSession& s) -> int32_t {
        GameLibrary& lib = library();
        if (lib.dispatching) return TS_SUCCESS;  // called again from a callback: nothing to add
        lib.dispatching = true;
        int32_t result = TS_ERROR_NOT_CONNECTED;
        try {
            result = s.engine();
        } catch (...) {
            lib.dispatching = false;
            throw;
        }
        lib.dispatching = false;
        if (lib.freeRequested) freeEverything();
        return result;
    });
}

TSGAME_API int32_t TS_Registration(const char* name) {
    return withSession(TS_ERROR_NOT_CONNECTED, [&](GameSession& s) -> int32_t { return s.registerPlayer(name); });
}

TSGAME_API int32_t TS_InformInterfaceGameFinished(const char* resultText) {
    return guarded(TS_SUCCESS, [&]() -> int32_t {
        GameLibrary& lib = library();
        if (lib.sessionNumber == 0 || !lib.mailbox) return TS_SUCCESS;
        lib.mailbox->postFinishReport(formatFinishReport(lib.reportName, lib.sessionNumber, resultText ? resultText : ""));
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_CloseTessaryInterface(void) {
    return guarded(TS_SUCCESS, [&]() -> int32_t {
        GameLibrary& lib = library();
        if (lib.sessionNumber == 0 || !lib.mailbox) return TS_SUCCESS;
        lib.mailbox->postCloseRequest();
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_Free(void) {
    return guarded(TS_SUCCESS, [&]() -> int32_t {
        GameLibrary& lib = library();
        if (lib.dispatching) {
            // The session is still on the stack: end its link now so that no
            // further callback runs, and destroy it when TS_Engine returns.
            lib.freeRequested = true;
            if (lib.session) (void)lib.session->disconnect();
        } else
            freeEverything();
        return TS_SUCCESS;
    });
}

// ---- Messaging ----

TSGAME_API int32_t TS_SendMessageToServer(int32_t type, int32_t mode, const void* data, int32_t length) {
    return sendGame(protocol::SENDTOSERVER, type, mode, {}, data, length);
}

TSGAME_API int32_t TS_SendMessageToOnePlayer(int32_t type, int32_t playerId, int32_t mode, const void* data,
                                             int32_t length) {
    const uint8_t target[] = {uint8_t(playerId), uint8_t(playerId >> 8)};
    return sendGame(protocol::SENDTOPLAYER, type, mode, target, data, length);
}

TSGAME_API int32_t TS_SendMessageToAllPlayers(int32_t type, int32_t mode, const void* data, int32_t length) {
    return sendGame(protocol::SENDTOOTHERPLAYERS, type, mode, {}, data, length);
}

TSGAME_API int32_t TS_SendMessageToAllPlayersWithEcho(int32_t type, int32_t mode, const void* data, int32_t length) {
    return sendGame(protocol::SENDTOALLPLAYERS, type, mode, {}, data, length);
}

TSGAME_API int32_t TS_SendMessageToGroup(int32_t type, int32_t groupId, int32_t mode, const void* data,
                                         int32_t length) {
    const uint8_t group[] = {uint8_t(groupId)};
    return sendGame(protocol::SENDTOPLAYERGROUP, type, mode, group, data, length);
}

// ---- Groups ----

TSGAME_API int32_t TS_CreateGroup(int32_t groupId) {
    return withSession(TS_ERROR_NOT_CONNECTED, [&](GameSession& s) -> int32_t { return s.createGroup(uint8_t(groupId)); });
}

TSGAME_API int32_t TS_DeleteGroup(int32_t groupId) {
    return withSession(TS_ERROR_NOT_CONNECTED, [&](GameSession& s) -> int32_t { return s.deleteGroup(uint8_t(groupId)); });
}

TSGAME_API int32_t TS_EmptyGroup(int32_t groupId) {
    return withSession(TS_ERROR_NOT_CONNECTED, [&](GameSession& s) -> int32_t { return s.emptyGroup(uint8_t(groupId)); });
}

TSGAME_API int32_t TS_AddPlayerInGroup(int32_t groupId, int32_t playerId) {
    return withSession(TS_ERROR_NOT_CONNECTED,
                       [&](GameSession& s) -> int32_t { return s.addPlayerToGroup(uint8_t(groupId), uint16_t(playerId)); });
}

TSGAME_API int32_t TS_RemovePlayerFromGroup(int32_t groupId, int32_t playerId) {
    return withSession(TS_ERROR_NOT_CONNECTED,
                       [&](GameSession& s) -> int32_t { return s.removePlayerFromGroup(uint8_t(groupId), uint16_t(playerId)); });
}

TSGAME_API int32_t TS_EnumPlayersInGroup(int32_t groupId, TS_EnumPlayersCallback callback) {
    return withSession(TS_ERROR_GROUP, [&](GameSession& s) -> int32_t {
        const Group* group = s.state().groups.find(uint8_t(groupId));
        if (!group) return TS_ERROR_GROUP;
        if (!callback) return TS_ERROR_NO_CALLBACK;
        // A copy: the callback may change the group.
        const auto members = group->members;
        for (const GroupMember& m : members) callback(m.id, m.name.c_str());
        return TS_SUCCESS;
    });
}

// ---- Player table ----

TSGAME_API int32_t TS_EnumPlayers(TS_EnumPlayersCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK, [&](GameSession& s) -> int32_t {
        if (!callback) return TS_ERROR_NO_CALLBACK;
        struct Entry {
            uint16_t id;
            std::string name;
        };
        std::vector<Entry> entries;  // a copy: the callback may change the table
        for (const Player& p : s.state().players.players()) entries.push_back({p.id, p.name});
        for (const Entry& e : entries) callback(e.id, e.name.c_str());
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_GetPlayerName(int32_t playerId, char* buffer, int32_t size) {
    return withSession(TS_ERROR_PLAYER,
                       [&](GameSession& s) -> int32_t { return s.state().players.copyName(uint16_t(playerId), buffer, size); });
}

TSGAME_API int32_t TS_GetPlayerID(const char* name, uint16_t* playerId) {
    return withSession(TS_ERROR_NAME, [&](GameSession& s) -> int32_t {
        const Player* player = name ? s.state().players.findByName(name) : nullptr;
        if (!player) return TS_ERROR_NAME;
        if (playerId) *playerId = player->id;
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_DeletePlayer(int32_t playerId) {
    return withSession(TS_ERROR_PLAYER, [&](GameSession& s) -> int32_t {
        return s.state().players.remove(uint16_t(playerId)) ? TS_SUCCESS : TS_ERROR_PLAYER;
    });
}

// ---- Callbacks ----

TSGAME_API int32_t TS_FixMyIdCallback(TS_MyIdCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK, [&](GameSession& s) -> int32_t { return fixCallback(s.state().events.myId, callback); });
}

TSGAME_API int32_t TS_FixNewPlayerCallback(TS_NewPlayerCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK,
                       [&](GameSession& s) -> int32_t { return fixCallback(s.state().events.newPlayer, callback); });
}

TSGAME_API int32_t TS_FixPlayerLeftCallback(TS_PlayerLeftCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK,
                       [&](GameSession& s) -> int32_t { return fixCallback(s.state().events.playerLeft, callback); });
}

TSGAME_API int32_t TS_FixNewMasterCallback(TS_NewMasterCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK,
                       [&](GameSession& s) -> int32_t { return fixCallback(s.state().events.newMaster, callback); });
}

TSGAME_API int32_t TS_FixPlayerInfosCallback(TS_PlayerInfosCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK,
                       [&](GameSession& s) -> int32_t { return fixCallback(s.state().events.playerInfos, callback); });
}

TSGAME_API int32_t TS_FixDisconnectionCallback(TS_DisconnectionCallback callback) {
    return withSession(TS_ERROR_NO_CALLBACK,
                       [&](GameSession& s) -> int32_t { return fixCallback(s.state().events.disconnection, callback); });
}

TSGAME_API int32_t TS_FixPersonalCallback(TS_PersonalCallback callback, int32_t type) {
    return withSession(TS_ERROR_NO_CALLBACK, [&](GameSession& s) -> int32_t { return s.state().personal.fix(callback, type); });
}

TSGAME_API int32_t TS_DeletePersonalCallback(int32_t type) {
    return withSession(TS_ERROR_MESSAGE_TYPE, [&](GameSession& s) -> int32_t { return s.state().personal.remove(type); });
}

// ---- Player data ----

TSGAME_API int32_t TS_GetPlayerData(int32_t playerId, int32_t key, void* buffer, int32_t* size) {
    return withSession(TS_ERROR_PLAYER, [&](GameSession& s) -> int32_t {
        return s.state().players.readData(uint16_t(playerId), uint16_t(key), buffer, size);
    });
}

TSGAME_API int32_t TS_UpdatePlayerData(int32_t playerId, int32_t key, const void* data, int32_t size) {
    return withSession(TS_ERROR_PLAYER, [&](GameSession& s) -> int32_t {
        return s.state().players.updateData(uint16_t(playerId), uint16_t(key), data, size);
    });
}

TSGAME_API int32_t TS_DeletePlayerData(int32_t playerId, int32_t key) {
    return withSession(TS_ERROR_PLAYER,
                       [&](GameSession& s) -> int32_t { return s.state().players.deleteData(uint16_t(playerId), uint16_t(key)); });
}

// ---- Database storage ----

TSGAME_API int32_t TS_StorePlayerInfosInDatabase(int32_t playerId, const void* data, int32_t length) {
    return withSession(TS_ERROR_NOT_CONNECTED, [&](GameSession& s) -> int32_t {
        return s.storePlayerInfos(uint16_t(playerId), callerBytes(data, length));
    });
}

TSGAME_API int32_t TS_CancelPlayerInfosStorageInDatabase(void) {
    return withSession(TS_ERROR_NOT_CONNECTED, [](GameSession& s) -> int32_t { return s.cancelPlayerInfosStorage(); });
}

// ---- Server time ----

TSGAME_API int32_t TS_StartServerSynchronization(void) {
    return withSession(TS_ERROR_NOT_CONNECTED, [](GameSession& s) -> int32_t {
        s.state().serverClock.setSynchronization(true);
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_StopServerSynchronization(void) {
    return withSession(TS_ERROR_NOT_CONNECTED, [](GameSession& s) -> int32_t {
        s.state().serverClock.setSynchronization(false);
        return TS_SUCCESS;
    });
}

TSGAME_API int32_t TS_GetServerTime(uint32_t* seconds, int32_t* milliseconds) {
    return withSession(TS_ERROR_NO_SERVER_TIME, [&](GameSession& s) -> int32_t { return s.serverTime(seconds, milliseconds); });
}

}  // extern "C"
