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
    return api;
}

}  // namespace tessary::lobby::testing
