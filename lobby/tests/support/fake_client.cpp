#include "fake_client.h"

#include <algorithm>

namespace tessary::lobby::testing {
namespace {

FakeClient state;

void copyOut(char* out, const std::string& text) {
    const auto n = std::min(text.size(), kTextOutSize - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

int32_t readAnswer(const Answer& answer, char* result, char* text) {
    if (!answer.read) return 0;
    *result = answer.result;
    if (answer.result == kAnswerFailure) copyOut(text, answer.text);
    return 1;
}

SentAccount account(const char* a1, const char* a2, const char* a3, const char* a4, const char* a5,
                    const char* a6, const char* a7, int32_t gender, int32_t one, int32_t photo) {
    return {{a1, a2, a3, a4, a5, a6, a7}, gender, one, photo};
}

std::size_t sessionCursor = 0, playerCursor = 0, spectatorCursor = 0;

void addSessionFunctions(ClientApi& api) {
    sessionCursor = playerCursor = spectatorCursor = 0;
    api.TSArenaRcv_GetNextSession = [](char* n, char* g, char* m, int32_t* mp, int32_t* p, int32_t* ms,
                                       int32_t* s, int32_t* st) {
        if (sessionCursor >= state.sessionList.size()) return 0;
        const auto& e = state.sessionList[sessionCursor++];
        copyOut(n, e.name), copyOut(g, e.game), copyOut(m, e.master);
        *mp = e.maxPlayers, *p = e.players, *ms = e.maxSpectators, *s = e.spectators, *st = e.state;
        playerCursor = spectatorCursor = 0;
        return 1;
    };
    api.TSArenaRcv_GetNextPlayerInSession = [](char* n) {
        const auto& names = state.sessionList[sessionCursor - 1].playerNames;
        if (playerCursor >= names.size()) return 0;
        return copyOut(n, names[playerCursor++]), 1;
    };
    api.TSArenaRcv_GetNextSpectatorInSession = [](char* n) {
        const auto& names = state.sessionList[sessionCursor - 1].spectatorNames;
        if (spectatorCursor >= names.size()) return 0;
        return copyOut(n, names[spectatorCursor++]), 1;
    };
    api.TSArenaRcv_SessionNew = [](char* n, char* g, int32_t* mp, int32_t* ms, int32_t* st, char* m) {
        const auto& e = state.sessionNew;
        copyOut(n, e.name), copyOut(g, e.game), copyOut(m, e.master);
        *mp = e.maxPlayers, *ms = e.maxSpectators, *st = e.state;
        return 1;
    };
    api.TSArenaRcv_SessionRemoved = [](char* n) { return copyOut(n, state.sessionName), 1; };
    api.TSArenaRcv_SessionState = [](char* n, int32_t* st) {
        copyOut(n, state.sessionName);
        return *st = state.sessionState, 1;
    };
    api.TSArenaRcv_MasterChanged = [](char* n, char* m) {
        copyOut(n, state.sessionName), copyOut(m, state.otherName);
        return 1;
    };
    api.TSArenaRcv_PlayerJoinSession = [](char* p, char* n, int32_t* spectator) {
        copyOut(p, state.otherName), copyOut(n, state.sessionName);
        return *spectator = state.joinedAsSpectator, 1;
    };
    api.TSArenaRcv_PlayerLeaveSession = [](char* p, char* n) {
        copyOut(p, state.otherName), copyOut(n, state.sessionName);
        return 1;
    };
    api.TSArenaRcv_SessionInfoResult = [](char* r, char* t, char* n, char* o) {
        copyOut(n, state.sessionName), copyOut(o, state.infoOptions);
        return readAnswer(state.sessionInfo, r, t);
    };
    api.TSArenaRcv_CreateSessionResult = [](char* r, char* t) { return readAnswer(state.createSession, r, t); };
    api.TSArenaRcv_JoinSessionResult = [](char* r, char* t) { return readAnswer(state.joinSession, r, t); };
    api.TSArenaRcv_BeginGameResult = [](char* r, char* t) { return readAnswer(state.beginGame, r, t); };
    api.TSArenaRcv_StartGame = [](char* a, int32_t* port) {
        copyOut(a, state.startAddress);
        return *port = state.startPort, 1;
    };
    api.TSArenaSend_CreateSession = [](const char* n, const char* g, const char* v, int32_t, int32_t p, int32_t s,
                                       const char* o, const char* pw, int32_t spectator) {
        state.created.push_back({n, g, v, p, s, o, pw, spectator});
    };
    api.TSArenaSend_GetSessionInfo = [](const char* n) { state.infoRequests.push_back(n); };
    api.TSArenaSend_JoinSession = [](const char* n, const char* pw, const char* v, int32_t spectator) {
        state.sessionJoins.push_back({n, pw, v, spectator});
    };
    api.TSArenaSend_LeaveSession = [] { return ++state.leaves, 1; };
    api.TSArenaSend_BeginGame = [] { return ++state.begins, 1; };
    api.TS_GetStartedGame = [](char* g) {
        std::memset(g, 0, TS_STARTED_GAME_SIZE);
        std::memcpy(g, state.startedGame.data(), std::min<std::size_t>(state.startedGame.size(), 127));
        return state.startedGame.empty() ? 0 : 1;
    };
    api.TS_StartGame = [](const char* u, const char* g, const char* o, const char* l, const char* h, int32_t ap,
                          const char* sa, int32_t sp) {
        state.starts.push_back({u, g, o, l, h, ap, sa, sp});
        return state.startResult;
    };
}

int32_t chatIn(char* sender, char* text, int32_t* colour, int32_t* font) {
    copyOut(sender, state.chatIn.sender);
    copyOut(text, state.chatIn.text);
    *colour = state.chatIn.colour;
    *font = state.chatIn.font;
    return 1;
}

void addChatFunctions(ClientApi& api) {
    api.TSArenaSend_ChatToAll = [](const char* t, int32_t c, int32_t f) { state.chatsSent.push_back({"*all", t, c, f}); };
    api.TSArenaSend_ChatToSession = [](const char* t, int32_t c, int32_t f) {
        state.chatsSent.push_back({"*session", t, c, f});
    };
    api.TSArenaSend_ChatToPlayer = [](const char* n, const char* t, int32_t c, int32_t f) {
        state.chatsSent.push_back({n, t, c, f});
    };
    api.TSArenaRcv_ChatAll = chatIn;
    api.TSArenaRcv_ChatList = chatIn;
    api.TSArenaRcv_ChatSession = chatIn;
    api.TSArenaRcv_GetNextPlayer = [](char* n, int32_t* ping) {
        if (state.players.empty()) return 0;
        copyOut(n, state.players.front().name);
        *ping = state.players.front().ping;
        state.players.pop_front();
        return 1;
    };
    const auto playerIn = [](char* n, int32_t* ping) {
        copyOut(n, state.playerIn.name);
        *ping = state.playerIn.ping;
        return 1;
    };
    api.TSArenaRcv_PlayerNew = playerIn;
    api.TSArenaRcv_UpdatePlayerInfo = playerIn;
    api.TSArenaRcv_PlayerRemoved = [](char* n) { return copyOut(n, state.playerIn.name), 1; };
}

}  // namespace

FakeClient& fake() { return state; }
void resetFake() { state = FakeClient{}; }

ClientApi fakeApi() {
    ClientApi api;
    api.TS_ConnectToHost = [](const char* host, int32_t port, int32_t kind) {
        state.connects.push_back({host, port, kind});
        return state.connectResult;
    };
    api.TS_DisconnectFromHost = [] { return ++state.disconnects, 1; };
    api.TS_GetMessageType = [] {
        ++state.polls;
        if (state.messages.empty()) return state.pollWhenEmpty;
        const auto type = state.messages.front();
        state.messages.pop_front();
        return type;
    };
    api.TSRouterSend_Login = [](const char* n, const char* p, const char* c, int32_t r) {
        state.logins.push_back({n, p, c, r});
    };
    api.TSRouterSend_CreateAccount = [](const char* a1, const char* a2, const char* a3,
                                        const char* a4, const char* a5, const char* a6,
                                        const char* a7, int32_t g, int32_t one, int32_t photo) {
        state.creations.push_back(account(a1, a2, a3, a4, a5, a6, a7, g, one, photo));
    };
    api.TSRouterSend_ModifyAccount = [](const char* a1, const char* a2, const char* a3,
                                        const char* a4, const char* a5, const char* a6,
                                        const char* a7, int32_t g, int32_t one, int32_t photo) {
        state.modifications.push_back(account(a1, a2, a3, a4, a5, a6, a7, g, one, photo));
    };
    api.TSRouterSend_JoinArena = [](const char* arena) { state.joins.push_back(arena); };
    api.TSRouterSend_Photo = [](int32_t size, const void*, const char* type) {
        state.photos.push_back({size, type});
    };
    api.TSArenaSend_Login = [](const char* name) { state.arenaLogins.push_back(name); };
    api.TSRcv_UrgentMessage = [](char* text) { return copyOut(text, state.urgent), 1; };
    api.TSRouterRcv_LoginResult = [](char* r, char* t) { return readAnswer(state.login, r, t); };
    api.TSRouterRcv_AccountCreationResult = [](char* r, char* t) {
        return readAnswer(state.creation, r, t);
    };
    api.TSRouterRcv_ModifyAccountResult = [](char* r, char* t) {
        return readAnswer(state.modification, r, t);
    };
    api.TSRouterRcv_JoinArenaResult = [](char* r, char* host, int32_t* port, char* t) {
        if (state.join.read && state.join.result == kAnswerSuccess) {
            copyOut(host, state.joinHost);
            *port = state.joinPort;
        }
        return readAnswer(state.join, r, t);
    };
    api.TSRouterRcv_GetNextNews = [](char* line) {
        if (state.newsRead >= state.news.size()) return 0;
        return copyOut(line, state.news[state.newsRead++]), 1;
    };
    api.TSRouterRcv_GetNextAdvertisement = [](char* host, char* user, char* password, char* directory,
                                              char* name, char* link, int32_t* ms) {
        if (state.adsRead >= state.ads.size()) return 0;
        const auto& ad = state.ads[state.adsRead++];
        copyOut(host, ad.host), copyOut(user, ad.user), copyOut(password, ad.password);
        copyOut(directory, ad.directory), copyOut(name, ad.fileName), copyOut(link, ad.link);
        *ms = ad.displayMilliseconds;
        return 1;
    };
    api.TSRouterRcv_GetVersion = [](char* a, char* b, int32_t* n, int32_t* mandatory) {
        copyOut(a, state.versionFirst);
        copyOut(b, state.versionSecond);
        *n = state.versionNumber;
        *mandatory = state.versionMandatory;
        return 1;
    };
    api.TSRouterRcv_AccountInfo = [](char* n, char* f4, char* f3, char* c, char* f5, char* d,
                                     uint8_t* gender, int32_t* photo) {
        char* outs[] = {n, f4, f3, c, f5, d};
        for (int i = 0; i < 6; ++i) copyOut(outs[i], state.accountInfo[i]);
        *gender = state.accountGender;
        *photo = state.accountPhoto;
        state.gameRead = 0;
        return 1;
    };
    api.TSArenaRcv_LoginResult = [](char* r, char* t) { return readAnswer(state.arenaLogin, r, t); };
    api.TSRouter_StopAllPingProcessings = [] { return state.pinged.clear(), 1; };
    api.TSRouter_AddArenaPingProcessing = [](const char* name, const char*) {
        return state.pinged.push_back(name), 1;
    };
    api.TSRouter_GetArenaPing = [](const char* name, int32_t* ms) {
        const auto found = state.pings.find(name);
        if (found == state.pings.end()) return 0;
        return *ms = found->second, 1;
    };
    api.TSRouterRcv_GetNextRouter = [](char* name, char* host, int32_t* port) {
        if (state.routers.empty()) return 0;
        const auto r = state.routers.front();
        state.routers.pop_front();
        copyOut(name, r.name), copyOut(host, r.host), *port = r.port;
        return 1;
    };
    api.TSRouterRcv_GetNextArena = [](char* name, char* host, int32_t* count, int32_t* maxPing) {
        if (state.arenas.empty()) return 0;
        const auto a = state.arenas.front();
        state.arenas.pop_front();
        copyOut(name, a.name), copyOut(host, a.host), *count = a.count, *maxPing = a.port;
        return 1;
    };
    api.TS_InitializeSharedMemory = [](int32_t) { return state.initialiseResult; };
    api.TS_IsGameFinished = [](char* host, int32_t* port, char*) {
        if (state.gameFinished == 0) return 0;
        copyOut(host, state.finishedHost);
        *port = state.finishedPort;
        state.gameFinished = 0;
        return 1;
    };
    api.TS_IsCloseAsked = [] { return state.closeAsked; };
    api.TS_FreeSharedMemory = [] { return ++state.freed, 1; };
    addSessionFunctions(api);
    api.TSSend_PagePlayer = [](int32_t count, const char* const* names, const char* message) {
        state.pages.push_back({{names, names + count}, message});
    };
    api.TSRcv_Page = [](char* sender, char* message) {
        copyOut(sender, state.pageSender), copyOut(message, state.pageText);
        return 1;
    };
    api.TSRouterSend_SearchPlayer = [](const char* name) { state.searches.push_back(name); };
    api.TSRouterRcv_SearchPlayerResult = [](char* r, char* t, char* player, char* arena) {
        copyOut(player, state.foundPlayer), copyOut(arena, state.foundArena);
        return readAnswer(state.searchAnswer, r, t);
    };
    api.TSArenaSend_GetPlayerInfo = [](const char* name) { state.infoAsks.push_back(name); };
    api.TSArenaRcv_PlayerInfoResult = [](char* r, char* t, char* n, char* f4, char* f3, char* c,
                                         char* f5, char* d, uint8_t* gender, int32_t* photo) {
        char* outs[] = {n, f4, f3, c, f5, d};
        for (int i = 0; i < 6; ++i) copyOut(outs[i], state.playerCard[i]);
        *gender = 0;
        *photo = 2;
        state.gameRead = 0;
        return readAnswer(state.playerInfo, r, t);
    };
    const auto nextGame = [](char* game, char* statistics) {
        if (state.gameRead >= state.games.size()) return 0;
        copyOut(game, state.games[state.gameRead].first);
        copyOut(statistics, state.games[state.gameRead++].second);
        return 1;
    };
    api.TSRouterRcv_GetNextGame = nextGame;
    api.TSArenaRcv_GetNextGame = nextGame;
    api.TSRouterRcv_GetPhotoSize = [](int32_t* size) {
        return *size = static_cast<int32_t>(state.photo.size()), 1;
    };
    api.TSArenaRcv_GetPhotoSize = [](int32_t* size, char* owner) {
        copyOut(owner, state.photoOwner);
        return *size = static_cast<int32_t>(state.photo.size()), 1;
    };
    const auto photo = [](void* out) {
        return std::memcpy(out, state.photo.data(), state.photo.size()), 1;
    };
    api.TSRouterRcv_Photo = photo;
    api.TSArenaRcv_Photo = photo;
    addChatFunctions(api);
    return api;
}

}  // namespace tessary::lobby::testing
