// The Arena exports: requests, answers, notifications and the session list
// with its per-session cursors.
#include "TSClient.h"
#include "answer_reader.h"
#include "library.h"
#include "protocol/message_fields.h"
#include "text_out.h"
#include "value_reader.h"

using namespace tessary::clientlib;
using namespace tessary::protocol;

namespace {

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

int32_t chat(uint8_t type, char* sender, char* message, int32_t* colour, int32_t* font) {
    using F = ChatLineBody;
    return ValueReader(bodyOf(type))
        .text(F::Sender, sender)
        .text(F::Text, message)
        .int32(F::Colour, colour)
        .int32(F::Font, font)
        .result();
}

// A chat request to everyone or to the own session.
ValueList chatRequest(const char* message, int32_t colour, int32_t font) {
    using F = ChatRequestBody;
    return BodyWriter<F>()
        .text(F::Text, textIn(message))
        .integer(F::Colour, colour)
        .integer(F::Font, font)
        .take();
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

void TSArenaSend_Login(const char* userName) {
    guardedVoid([&] { sendToArena(LOGINARENA, texts({userName})); });
}

void TSArenaSend_ChatToAll(const char* message, int32_t colour, int32_t font) {
    guardedVoid([&] { sendToArena(CHATALL, chatRequest(message, colour, font)); });
}

void TSArenaSend_ChatToPlayer(const char* addressee, const char* message, int32_t colour,
                              int32_t font) {
    guardedVoid([&] {
        using F = PrivateChatRequestBody;
        sendToArena(CHATLIST, BodyWriter<F>()
                                  .list(F::Addressees, texts({addressee}))
                                  .text(F::Text, textIn(message))
                                  .integer(F::Colour, colour)
                                  .integer(F::Font, font)
                                  .take());
    });
}

void TSArenaSend_ChatToSession(const char* message, int32_t colour, int32_t font) {
    guardedVoid([&] { sendToArena(CHATSESSION, chatRequest(message, colour, font)); });
}

void TSArenaSend_GetPlayerInfo(const char* player) {
    guardedVoid([&] { sendToArena(GETPLAYERINFO, texts({player})); });
}

void TSArenaSend_CreateSession(const char* sessionName, const char* gameName,
                               const char* gameVersion, int32_t zero, int32_t maxPlayers,
                               int32_t maxSpectators, const char* options, const char* password,
                               int32_t spectator) {
    guardedVoid([&] {
        using F = CreateSessionBody;
        sendToArena(CREATESESSION, BodyWriter<F>()
                                       .text(F::Name, textIn(sessionName))
                                       .text(F::Game, textIn(gameName))
                                       .text(F::Version, textIn(gameVersion))
                                       .integer(F::Flags, zero)
                                       .integer(F::MaxPlayers, maxPlayers)
                                       .integer(F::MaxSpectators, maxSpectators)
                                       .text(F::Options, textIn(options))
                                       .text(F::Password, textIn(password))
                                       .integer(F::AsSpectator, uint8_t(spectator != 0 ? 1 : 0))
                                       .take());
    });
}

void TSArenaSend_GetSessionInfo(const char* session) {
    guardedVoid([&] { sendToArena(GETSESSIONINFO, texts({session})); });
}

void TSArenaSend_JoinSession(const char* sessionName, const char* password, const char* gameVersion,
                             int32_t spectator) {
    guardedVoid([&] {
        ValueList body = texts({sessionName, password, gameVersion});
        body.appendInteger(uint8_t(spectator != 0 ? 1 : 0));
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

int32_t TSArenaRcv_PlayerInfoResult(char* result, char* error, char* userName, char* email,
                                    char* realName, char* country, char* homePage,
                                    char* description, uint8_t* gender, int32_t* photoNumber) {
    return guarded(0, [&] {
        const Answer answer = readAnswer(Library::instance().current(), GETPLAYERINFO, result, error);
        if (answer.outcome != Answer::Success) return answer.outcome == Answer::Failure ? 1 : 0;
        return readPlayerCard(answer.data, userName, email, realName, country, homePage, description, gender,
                              photoNumber);
    });
}

int32_t TSArenaRcv_SessionInfoResult(char* result, char* error, char* sessionName, char* options) {
    return guarded(0, [&] {
        const Answer answer = readAnswer(Library::instance().current(), kSessionInfoAnswer, result, error);
        if (answer.outcome != Answer::Success) return answer.outcome == Answer::Failure ? 1 : 0;
        return ValueReader(answer.data).text(0, sessionName).text(1, options).result();
    });
}

int32_t TSArenaRcv_GetNextGame(char* gameName, char* statistics) {
    return guarded(0, [&] {
        // Any message whose first value is the one-byte code 25: the answer
        // to GETPLAYERINFO.
        auto& current = Library::instance().current();
        const ValueList* body = current.body();
        uint8_t request = 0;
        if (!body || !body->readInteger(0, request) || request != GETPLAYERINFO) return 0;
        const ValueList* data = body->list(1);
        const ValueList* games = data ? data->list(PlayerCard::Games) : nullptr;
        const ValueList* entry = games ? games->list(current.entry) : nullptr;
        if (!ValueReader(entry).text(0, gameName).text(1, statistics).ok()) return 0;
        ++current.entry;
        return 1;
    });
}

// --- notifications ---

int32_t TSArenaRcv_PlayerNew(char* playerName, int32_t* pingClass) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(PLAYERNEW)).text(0, playerName).int32(1, pingClass).result();
    });
}

int32_t TSArenaRcv_PlayerRemoved(char* playerName) {
    return guarded(0,
                   [&] { return ValueReader(bodyOf(PLAYERREMOVED)).text(0, playerName).result(); });
}

int32_t TSArenaRcv_UpdatePlayerInfo(char* playerName, int32_t* pingClass) {
    return guarded(0, [&] {
        using F = UpdatePlayerInfoBody;
        return ValueReader(bodyOf(UPDATEPLAYERINFO)).text(F::Name, playerName).int32(F::PingClass, pingClass).result();
    });
}

int32_t TSArenaRcv_SessionNew(char* sessionName, char* gameName, int32_t* maxPlayers,
                              int32_t* maxSpectators, int32_t* state, char* master) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(SESSIONNEW))
            .text(SessionNewBody::Name, sessionName)
            .int32(SessionNewBody::MaxPlayers, maxPlayers)
            .int32(SessionNewBody::MaxSpectators, maxSpectators)
            .text(SessionNewBody::Master, master)
            .int32(SessionNewBody::State, state)
            .text(SessionNewBody::Game, gameName)
            .result();
    });
}

int32_t TSArenaRcv_SessionRemoved(char* sessionName) {
    return guarded(
        0, [&] { return ValueReader(bodyOf(SESSIONREMOVE)).text(0, sessionName).result(); });
}

int32_t TSArenaRcv_MasterChanged(char* sessionName, char* master) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(MASTERCHANGED)).text(0, sessionName).text(1, master).result();
    });
}

int32_t TSArenaRcv_SessionState(char* sessionName, int32_t* state) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(UPDATESESSIONSTATE))
            .text(0, sessionName)
            .int32(1, state)
            .result();
    });
}

int32_t TSArenaRcv_PlayerJoinSession(char* playerName, char* sessionName, int32_t* spectator) {
    return guarded(0, [&] {
        using F = JoinNewBody;
        return ValueReader(bodyOf(JOINNEW))
            .text(F::Player, playerName)
            .text(F::Session, sessionName)
            .flag(F::AsSpectator, spectator)
            .result();
    });
}

int32_t TSArenaRcv_PlayerLeaveSession(char* playerName, char* sessionName) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(JOINLEAVE)).text(0, playerName).text(1, sessionName).result();
    });
}

int32_t TSArenaRcv_ChatAll(char* sender, char* message, int32_t* colour, int32_t* font) {
    return guarded(0, [&] { return chat(CHATALL, sender, message, colour, font); });
}

int32_t TSArenaRcv_ChatList(char* sender, char* message, int32_t* colour, int32_t* font) {
    return guarded(0, [&] { return chat(CHATLIST, sender, message, colour, font); });
}

int32_t TSArenaRcv_ChatSession(char* sender, char* message, int32_t* colour, int32_t* font) {
    return guarded(0, [&] { return chat(CHATSESSION, sender, message, colour, font); });
}

int32_t TSArenaRcv_Ping(void) {
    return guarded(0, [] { return Library::instance().current().is(PING) ? 1 : 0; });
}

int32_t TSArenaRcv_StartGame(char* gameServerAddress, int32_t* gameServerPort) {
    return guarded(0, [&] {
        return ValueReader(bodyOf(STARTGAME))
            .text(0, gameServerAddress)
            .int32(1, gameServerPort)
            .result();
    });
}

// --- lists ---

int32_t TSArenaRcv_GetNextPlayer(char* playerName, int32_t* pingClass) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        const ValueList* body = bodyOf(PLAYERLIST);
        using F = PlayerListEntry;
        if (!ValueReader(body ? body->list(current.entry) : nullptr)
                 .text(F::Name, playerName)
                 .int32(F::PingClass, pingClass)
                 .ok())
            return 0;
        ++current.entry;
        return 1;
    });
}

int32_t TSArenaRcv_GetNextSession(char* sessionName, char* gameName, char* master,
                                  int32_t* maxPlayers, int32_t* players, int32_t* maxSpectators,
                                  int32_t* spectators, int32_t* state) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        const ValueList* body = bodyOf(SESSIONLIST);
        const bool read = ValueReader(body ? body->list(current.entry) : nullptr)
                              .text(SessionListEntry::Name, sessionName)
                              .int32(SessionListEntry::MaxPlayers, maxPlayers)
                              .int32(SessionListEntry::MaxSpectators, maxSpectators)
                              .int32(SessionListEntry::Players, players)
                              .int32(SessionListEntry::Spectators, spectators)
                              .text(SessionListEntry::Master, master)
                              .int32(SessionListEntry::State, state)
                              .text(SessionListEntry::Game, gameName)
                              .ok();
        if (!read) return 0;
        ++current.entry;
        current.player = current.spectator = 0;
        return 1;
    });
}

int32_t TSArenaRcv_GetNextPlayerInSession(char* playerName) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        return nextMember(SessionListEntry::PlayerNames, current.player, playerName);
    });
}

int32_t TSArenaRcv_GetNextSpectatorInSession(char* playerName) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        return nextMember(SessionListEntry::SpectatorNames, current.spectator, playerName);
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
