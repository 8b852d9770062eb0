// The Router exports: requests, answers and the Router's lists. Pages and
// urgent messages come from either server.
#include "TSClient.h"
#include "answer_reader.h"
#include "library.h"
#include "text_out.h"
#include "value_reader.h"

using namespace tessary::clientlib;
using namespace tessary::protocol;

namespace {

void sendToRouter(uint8_t type, const ValueList& body) { Library::instance().send(type, kModuleRouter, &body); }

ValueList accountBody(const char* a1, const char* a2, const char* a3, const char* a4, const char* a5, const char* a6,
                      const char* a7, int32_t a8, int32_t a9, int32_t a10) {
    ValueList body;
    for (const char* text : {a1, a2, a3, a4, a5, a6, a7}) body.appendText(textIn(text));
    body.appendInteger(uint8_t(a8));
    body.appendInteger(a9);
    body.appendInteger(a10);
    return body;
}

// A result export without extra values.
int32_t plainResult(uint8_t request, char* result, char* error) {
    return readAnswer(Library::instance().current(), request, result, error).outcome != Answer::NotRead ? 1 : 0;
}

// The list at the entry cursor of `list`; advances the cursor when `read`
// succeeds on it.
template <class Read>
int32_t readNextEntry(const ValueList* list, Read&& read) {
    auto& current = Library::instance().current();
    const ValueList* entry = list ? list->list(current.entry) : nullptr;
    if (!entry || !read(ValueReader(entry))) return 0;
    ++current.entry;
    return 1;
}

const ValueList* bodyOf(uint8_t type) {
    const auto& current = Library::instance().current();
    return current.is(type) ? current.body() : nullptr;
}

}  // namespace

extern "C" {

// --- requests ---

void TSSend_PagePlayer(int32_t count, const char* const* addressees, const char* message) {
    guardedVoid([&] {
        ValueList names;
        for (int32_t i = 0; addressees && i < count; ++i) names.appendText(textIn(addressees[i]));
        using F = PageRequestBody;
        sendToRouter(PAGER, BodyWriter<F>().list(F::Addressees, std::move(names)).text(F::Text, textIn(message)).take());
    });
}

void TSRouterSend_Login(const char* userName, const char* password, const char* clientText,
                        int32_t reason) {
    guardedVoid([&] {
        ValueList body;
        body.appendText(textIn(userName));
        body.appendText(textIn(password));
        body.appendText(textIn(clientText));
        body.appendInteger(reason);
        sendToRouter(LOGIN, body);
    });
}

void TSRouterSend_CreateAccount(const char* userName, const char* password, const char* email,
                                const char* realName, const char* country, const char* homePage,
                                const char* description, int32_t gender, int32_t one,
                                int32_t photoNumber) {
    guardedVoid([&] {
        sendToRouter(NEWUSERREQUEST, accountBody(userName, password, email, realName, country,
                                                 homePage, description, gender, one, photoNumber));
    });
}

void TSRouterSend_ModifyAccount(const char* userName, const char* password, const char* email,
                                const char* realName, const char* country, const char* homePage,
                                const char* description, int32_t gender, int32_t one,
                                int32_t photoNumber) {
    guardedVoid([&] {
        sendToRouter(MODIFYUSER, accountBody(userName, password, email, realName, country, homePage,
                                             description, gender, one, photoNumber));
    });
}

void TSRouterSend_JoinArena(const char* arena) {
    guardedVoid([&] {
        ValueList body;
        body.appendText(textIn(arena));
        sendToRouter(CONNECTIONREQUEST, body);
    });
}

void TSRouterSend_Photo(int32_t size, const void* data, const char* fileType) {
    guardedVoid([&] {
        ValueList body;
        body.appendBinary(data, data && size > 0 ? size_t(size) : 0);
        body.appendText(textIn(fileType));
        sendToRouter(PHOTO, body);
    });
}

void TSRouterSend_SearchPlayer(const char* player) {
    guardedVoid([&] {
        ValueList body;
        body.appendText(textIn(player));
        sendToRouter(SEARCHPLAYER, body);
    });
}

// --- answers ---

int32_t TSRouterRcv_LoginResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(LOGIN, result, error); });
}

int32_t TSRouterRcv_AccountCreationResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(NEWUSERREQUEST, result, error); });
}

int32_t TSRouterRcv_ModifyAccountResult(char* result, char* error) {
    return guarded(0, [&] { return plainResult(MODIFYUSER, result, error); });
}

int32_t TSRouterRcv_JoinArenaResult(char* result, char* address, int32_t* port, char* error) {
    return guarded(0, [&] {
        const Answer answer = readAnswer(Library::instance().current(), CONNECTIONREQUEST, result, error);
        if (answer.outcome != Answer::Success) return answer.outcome == Answer::Failure ? 1 : 0;
        return ValueReader(answer.data).text(0, address).int32(1, port).result();
    });
}

int32_t TSRouterRcv_SearchPlayerResult(char* result, char* error, char* playerName,
                                       char* arenaName) {
    return guarded(0, [&] {
        const Answer answer = readAnswer(Library::instance().current(), SEARCHPLAYER, result, error);
        if (answer.outcome != Answer::Success) return answer.outcome == Answer::Failure ? 1 : 0;
        return ValueReader(answer.data).text(0, playerName).text(1, arenaName).result();
    });
}

// --- Router messages ---

int32_t TSRouterRcv_GetNextRouter(char* name, char* host, int32_t* port) {
    return guarded(0, [&] {
        return readNextEntry(bodyOf(ROUTEURLIST), [&](ValueReader entry) {
            using F = RouterListEntry;
            return entry.text(F::Name, name).text(F::Host, host).int32(F::Port, port).ok();
        });
    });
}

int32_t TSRouterRcv_GetNextArena(char* name, char* host, int32_t* players, int32_t* maxPing) {
    return guarded(0, [&] {
        return readNextEntry(bodyOf(SERVERSLIST), [&](ValueReader entry) {
            using F = ArenaListEntry;
            return entry.text(F::Name, name)
                .int32(F::Players, players)
                .text(F::Host, host)
                .int32(F::MaxPing, maxPing)
                .ok();
        });
    });
}

int32_t TSRouterRcv_GetNextNews(char* line) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        const ValueList* body = bodyOf(NEWS);
        const std::string* news = body ? body->text(current.entry) : nullptr;
        if (!news) return 0;
        copyText(*news, line);
        ++current.entry;
        return 1;
    });
}

int32_t TSRouterRcv_GetNextAdvertisement(char* ftpHost, char* ftpUser, char* ftpPassword,
                                         char* directory, char* pictureName, char* link,
                                         int32_t* displayMilliseconds) {
    return guarded(0, [&] {
        const ValueList* body = bodyOf(ADVERTISEMENT);
        if (!ValueReader(body).text(0, ftpHost).text(1, ftpUser).text(2, ftpPassword).ok())
            return 0;
        return readNextEntry(body->list(3), [&](ValueReader entry) {
            return entry.int32(0, displayMilliseconds)
                .text(1, pictureName)
                .text(2, directory)
                .text(3, link)
                .ok();
        });
    });
}

int32_t TSRouterRcv_GetVersion(char* updateHost, char* updatePath, int32_t* versionNumber,
                               int32_t* mandatory) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        int32_t first = -1;
        ValueReader body(bodyOf(CHANGEVERSION));
        if (!body.int32(0, &first).ok()) return 0;
        copyInt32(first == 0 ? 1 : 0, mandatory);
        if (!body.text(1, updateHost).text(2, updatePath).int32(3, versionNumber).ok()) return 0;
        ++current.entry;
        return 1;
    });
}

int32_t TSRouterRcv_AccountInfo(char* userName, char* email, char* realName, char* country,
                                char* homePage, char* description, uint8_t* gender,
                                int32_t* photoNumber) {
    return guarded(0, [&] {
        return readPlayerCard(bodyOf(PLAYERINFO), userName, email, realName, country, homePage, description,
                              gender, photoNumber);
    });
}

int32_t TSRouterRcv_GetNextGame(char* gameName, char* statistics) {
    return guarded(0, [&] {
        const ValueList* body = bodyOf(PLAYERINFO);
        return readNextEntry(body ? body->list(PlayerCard::Games) : nullptr, [&](ValueReader entry) {
            return entry.text(0, gameName).text(1, statistics).ok();
        });
    });
}

int32_t TSRouterRcv_GetPhotoSize(int32_t* size) {
    return guarded(0, [&] {
        auto& current = Library::instance().current();
        copyInt32(0, size);
        const ValueList* body = bodyOf(PHOTO);
        const std::string* picture = body ? body->binary(0) : nullptr;
        if (!picture) return 0;
        copyInt32(int32_t(picture->size()), size);
        current.photoSizeRead = picture->size();
        return 1;
    });
}

int32_t TSRouterRcv_Photo(void* picture) {
    return guarded(0, [&] {
        const auto& current = Library::instance().current();
        const ValueList* body = bodyOf(PHOTO);
        const std::string* bytes = body ? body->binary(0) : nullptr;
        // Without a size read first there is no known room in the caller's buffer.
        if (!bytes || !current.photoSizeRead) return 0;
        if (picture) std::memcpy(picture, bytes->data(), std::min(bytes->size(), *current.photoSizeRead));
        return 1;
    });
}

// --- from either server ---

int32_t TSRcv_Page(char* sender, char* message) {
    using F = PageBody;
    return guarded(0, [&] { return ValueReader(bodyOf(PAGER)).text(F::Sender, sender).text(F::Text, message).result(); });
}

int32_t TSRcv_UrgentMessage(char* text) {
    return guarded(0, [&] { return ValueReader(bodyOf(URGENTMESSAGE)).text(0, text).result(); });
}

}  // extern "C"
