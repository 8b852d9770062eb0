// The Arena exports: requests, answers, notifications and the session list
// with its per-session cursors.
#include "TSClient.h"
#include "answer_reader.h"
#include "library.h"
#include "text_out.h"
#include "value_reader.h"

using namespace tessary::clientlib;
using namespace tessary::protocol;

namespace {

// The Arena answers GETSESSIONINFO (23) with this request code.
constexpr uint8_t kSessionInfoAnswer = 24;

constexpr size_t kSessionPlayers = 8;
constexpr size_t kSessionSpectators = 9;
constexpr size_t kPlayerInfoGames = 8;

void sendToArena(uint8_t type, const ValueList& body) { Library::instance().send(type, kModuleArena, &body); }

int32_t sendEmpty(uint8_t type, uint8_t destination) {
    return Library::instance().send(type, destination) ? 1 : 0;
}

ValueList texts(std::initializer_list<const char*> values) {
    ValueList body;
    for (const char* text : values) body.appendText(textIn(text));
    return body;
}

const ValueList* bodyOf(uint8_t type) {
    const auto& current = Library::instance().current();
    return current.is(type) ? current.body() : nullptr;
}

int32_t plainResult(uint8_t request, char* result, char* error) {
    return readAnswer(Library::instance().current(), request, result, error).outcome != Answer::NotRead ? 1 : 0;
}

int32_t chat(uint8_t type, char* r1, char* r2, int32_t* r3, int32_t* r4) {
    return ValueReader(bodyOf(type)).text(0, r1).text(1, r2).int32(2, r3).int32(3, r4).result();
}

// The session that the last successful GetNextSession returned.
const ValueList* lastSession() {
    const auto& current = Library::instance().current();
    const ValueList* body = bodyOf(SESSIONLIST);
    if (!body || current.entry == 0) return nullptr;
    return body->list(current.entry - 1);
}

// The next text of `member list` of the last session, advancing `cursor`.
int32_t nextMember(size_t memberList, size_t& cursor, char* out) {
    const ValueList* session = lastSession();
    const ValueList* members = session ? session->list(memberList) : nullptr;
    const std::string* name = members ? members->text(cursor) : nullptr;
    if (!name) return 0;
    copyText(*name, out);
    ++cursor;
    return 1;
}

// Photo of the Arena: the owner's name, then the picture.
constexpr size_t kArenaPhotoPicture = 1;

}  // namespace

extern "C" {

// --- requests ---

void TSArenaSend_Login(const char* a1) {
    guardedVoid([&] { sendToArena(LOGINARENA, texts({a1})); });
}

void TSArenaSend_ChatToAll(const char* message, int32_t a2, int32_t a3) {
    guardedVoid([&] {
        ValueList body = texts({message});
        body.appendInteger(a2);
        body.appendInteger(a3);
        sendToArena(CHATALL, body);
    });
}

void TSArenaSend_ChatToPlayer(const char* addressee, const char* message, int32_t a3, int32_t a4) {
    guardedVoid([&] {
        ValueList body;
        body.appendList(texts({addressee}));
        body.appendText(textIn(message));
        body.appendInteger(a3);
        body.appendInteger(a4);
        sendToArena(CHATLIST, body);
    });
}

void TSArenaSend_ChatToSession(const char* message, int32_t a2, int32_t a3) {
    guardedVoid([&] {
        ValueList body = texts({message});
        body.appendInteger(a2);
        body.appendInteger(a3);
        sendToArena(CHATSESSION, body);
    });
}

void TSArenaSend_GetPlayerInfo(const char* player) {
    guardedVoid([&] { sendToArena(GETPLAYERINFO, texts({player})); });
}

void TSArenaSend_CreateSession(const char* a1, const char* a2, const char* a3, int32_t a4, int32_t a5, int32_t a6,
                               const char* a7, const char* a8, int32_t a9) {
    guardedVoid([&] {
        ValueList body = texts({a1, a2, a3});
        body.appendInteger(a4);
        body.appendInteger(a5);
        body.appendInteger(a6);
        body.appendText(textIn(a7));
        body.appendText(textIn(a8));
        body.appendInteger(uint8_t(a9 != 0 ? 1 : 0));
        sendToArena(CREATESESSION, body);
    });
}

void TSArenaSend_GetSessionInfo(const char* session) {
    guardedVoid([&] { sendToArena(GETSESSIONINFO, texts({session})); });
}

void TSArenaSend_JoinSession(const char* a1, const char* a2, const char* a3, int32_t a4) {
    guardedVoid([&] {
        ValueList body = texts({a1, a2, a3});
        body.appendInteger(uint8_t(a4 != 0 ? 1 : 0));
        sendToArena(JOINSESSION, body);
    });
}

int32_t TSArenaSend_LeaveSession(void) {
    return guarded(0, [] { return sendEmpty(LEAVESESSION, kModuleArena); });
}

int32_t TSArenaSend_BeginGame(void) {
    return guarded(0, [] { return sendEmpty(BEGINGAME, kModuleArena); });
}

int32_t TSArenaSend_Ping(void) {
    return guarded(0, [] { return sendEmpty(PING, kModuleArenaW); });
}

// --- answers ---

int32_t TSArenaRcv_LoginResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(LOGINARENA, result, error); });
}

int32_t TSArenaRcv_CreateSessionResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(CREATESESSION, result, error); });
}

int32_t TSArenaRcv_JoinSessionResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(JOINSESSION, result, error); });
}

int32_t TSArenaRcv_BeginGameResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(BEGINGAME, result, error); });
}

int32_t TSArenaRcv_PlayerInfoResult(char* result, char* error, char* r3, char* r4, char* r5, char* r6, char* r7,
                                    char* r8, uint8_t* r9, int32_t* r10) {
    return guarded(0, [&] {
        const Answer answer = readAnswer(Library::instance().current(), GETPLAYERINFO, result, error);
        if (answer.outcome != Answer::Success) return answer.outcome == Answer::Failure ? 1 : 0;
        return ValueReader(answer.data)
            .text(0, r3).text(1, r4).text(2, r5).text(3, r6).text(4, r7).text(5, r8).byte(6, r9).int32(7, r10)
            .result();
    });
}

int32_t TSArenaRcv_SessionInfoResult(char* result, char* error, char* r3, char* r4) {
    return guarded(0, [&] {
        const Answer answer = readAnswer(Library::instance().current(), kSessionInfoAnswer, result, error);
        if (answer.outcome != Answer::Success) return answer.outcome == Answer::Failure ? 1 : 0;
        return ValueReader(answer.data).text(0, r3).text(1, r4).result();
    });
}

int32_t TSArenaRcv_GetNextGame(char* r1, char* r2) {
    return guarded(0, [&] {
        // Any message whose first value is the one-byte code 25: the answer
        // to GETPLAYERINFO.
        auto& current = Library::instance().current();
        const ValueList* body = current.body();
        uint8_t request = 0;
        if (!body || !body->readInteger(0, request) || request != GETPLAYERINFO) return 0;
        const ValueList* data = body->list(1);
        const ValueList* games = data ? data->list(kPlayerInfoGames) : nullptr;
        const ValueList* entry = games ? games->list(current.entry) : nullptr;
        if (!ValueReader(entry).text(0, r1).text(1, r2).ok()) return 0;
        ++current.entry;
        return 1;
    });
}

// --- notifications ---

int32_t TSArenaRcv_PlayerNew(char* r1, int32_t* r2) {
    return guarded(0, [&] { return ValueReader(bodyOf(PLAYERNEW)).text(0, r1).int32(1, r2).result(); });
}

int32_t TSArenaRcv_PlayerRemoved(char* r1) {
    return guarded(0, [&] { return ValueReader(bodyOf(PLAYERREMOVED)).text(0, r1).result(); });
}

int32_t TSArenaRcv_UpdatePlayerInfo(char* r1, int32_t* r2) {
    return guarded(0, [&] { return ValueReader(bodyOf(UPDATEPLAYERINFO)).text(0, r1).int32(1, r2).result(); });
}

int32_t TSArenaRcv_SessionNew(char* r1, char* r2, int32_t* r3, int32_t* r4, int32_t* r5, char* r6) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(SESSIONNEW))
            .text(0, r1).int32(1, r3).int32(2, r4).text(3, r6).int32(4, r5).text(5, r2)
            .result();
    });
}

int32_t TSArenaRcv_SessionRemoved(char* r1) {
    return guarded(0, [&] { return ValueReader(bodyOf(SESSIONREMOVE)).text(0, r1).result(); });
}

int32_t TSArenaRcv_MasterChanged(char* r1, char* r2) {
    return guarded(0, [&] { return ValueReader(bodyOf(MASTERCHANGED)).text(0, r1).text(1, r2).result(); });
}

int32_t TSArenaRcv_SessionState(char* r1, int32_t* r2) {
    return guarded(0, [&] { return ValueReader(bodyOf(UPDATESESSIONSTATE)).text(0, r1).int32(1, r2).result(); });
}

int32_t TSArenaRcv_PlayerJoinSession(char* r1, char* r2, int32_t* r3) {
    return guarded(0, [&] { return ValueReader(bodyOf(JOINNEW)).text(0, r1).text(1, r2).flag(2, r3).result(); });
}

int32_t TSArenaRcv_PlayerLeaveSession(char* r1, char* r2) {
    return guarded(0, [&] { return ValueReader(bodyOf(JOINLEAVE)).text(0, r1).text(1, r2).result(); });
}

int32_t TSArenaRcv_ChatAll(char* r1, char* r2, int32_t* r3, int32_t* r4) {
    return guarded(0, [&] { return chat(CHATALL, r1, r2, r3, r4); });
}

int32_t TSArenaRcv_ChatList(char* r1, char* r2, int32_t* r3, int32_t* r4) {
    return guarded(0, [&] { return chat(CHATLIST, r1, r2, r3, r4); });
}

int32_t TSArenaRcv_ChatSession(char* r1, char* r2, int32_t* r3, int32_t* r4) {
    return guarded(0, [&] { return chat(CHATSESSION, r1, r2, r3, r4); });
}

int32_t TSArenaRcv_Ping(void) {
    return guarded(0, [] { return Library::instance().current().is(PING) ? 1 : 0; });
}

int32_t TSArenaRcv_StartGame(char* r1, int32_t* r2) {
    return guarded(0, [&] { return ValueReader(bodyOf(STARTGAME)).text(0, r1).int32(1, r2).result(); });
}

// --- lists ---

int32_t TSArenaRcv_GetNextPlayer(char* r1, int32_t* r2) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        const ValueList* body = bodyOf(PLAYERLIST);
        if (!ValueReader(body ? body->list(current.entry) : nullptr).text(0, r1).int32(1, r2).ok()) return 0;
        ++current.entry;
        return 1;
    });
}

int32_t TSArenaRcv_GetNextSession(char* r1, char* r2, char* r3, int32_t* r4, int32_t* r5, int32_t* r6, int32_t* r7,
                                  int32_t* r8) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        const ValueList* body = bodyOf(SESSIONLIST);
        const bool read = ValueReader(body ? body->list(current.entry) : nullptr)
                              .text(0, r1).int32(1, r4).int32(2, r6).int32(3, r5).int32(4, r7).text(5, r3)
                              .int32(6, r8).text(7, r2)
                              .ok();
        if (!read) return 0;
        ++current.entry;
        current.player = current.spectator = 0;
        return 1;
    });
}

int32_t TSArenaRcv_GetNextPlayerInSession(char* r1) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        return nextMember(kSessionPlayers, current.player, r1);
    });
}

int32_t TSArenaRcv_GetNextSpectatorInSession(char* r1) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        return nextMember(kSessionSpectators, current.spectator, r1);
    });
}

// --- photos ---

int32_t TSArenaRcv_GetPhotoSize(int32_t* size, char* owner) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        copyInt32(0, size);
        const ValueList* body = bodyOf(PHOTO);
        if (!ValueReader(body).text(0, owner).ok()) return 0;
        const std::string* picture = body->binary(kArenaPhotoPicture);
        if (!picture) return 0;
        copyInt32(int32_t(picture->size()), size);
        current.photoSizeRead = picture->size();
        return 1;
    });
}

int32_t TSArenaRcv_Photo(void* picture) {
    return guarded(0, [&] {
        const auto& current = Library::instance().current();
        const ValueList* body = bodyOf(PHOTO);
        const std::string* bytes = body ? body->binary(kArenaPhotoPicture) : nullptr;
        if (!bytes || !current.photoSizeRead) return 0;
        if (picture) std::memcpy(picture, bytes->data(), std::min(bytes->size(), *current.photoSizeRead));
        return 1;
    });
}

}  // extern "C"
