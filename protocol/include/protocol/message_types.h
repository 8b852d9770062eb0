// The structured message types: one list gives each code, the name the
// system prints for it and the way it travels. The enum, the name table and
// the direction table are all generated from it, so a new message is added
// here and nowhere else.
#pragma once

#include <cstdint>

namespace tessary::protocol {

// Which way a message type travels between a lobby or game and the service.
enum class Direction : uint8_t {
    ToService,    // a request of the client library
    FromService,  // sent by a Router or an Arena
    Both,         // sent by both sides (chat, pages, photos, keep-alives, pings)
    Unused,       // named, but no conversation of the libraries carries it
};

// X(code, NAME, direction)
#define TESSARY_MESSAGE_TYPES(X)                  \
    X(1, NEWUSERREQUEST, ToService)               \
    X(4, CONNECTIONREQUEST, ToService)            \
    X(6, PLAYERNEW, FromService)                  \
    X(10, DISCONNECTION, Unused)                  \
    X(11, PLAYERREMOVED, FromService)             \
    X(13, NEWS, FromService)                      \
    X(14, SEARCHPLAYER, ToService)                \
    X(15, REMOVEACCOUNT, Unused)                  \
    X(18, SERVERSLIST, FromService)               \
    X(20, SESSIONLIST, FromService)               \
    X(22, PLAYERLIST, FromService)                \
    X(23, GETSESSIONINFO, ToService)              \
    X(25, GETPLAYERINFO, ToService)               \
    X(26, PLAYERINFO, FromService)                \
    X(27, CHATALL, Both)                          \
    X(28, CHATLIST, Both)                         \
    X(29, CHATSESSION, Both)                      \
    X(31, CHAT, Unused)                           \
    X(33, CREATESESSION, ToService)               \
    X(36, SESSIONNEW, FromService)                \
    X(37, JOINSESSION, ToService)                 \
    X(40, JOINNEW, FromService)                   \
    X(41, LEAVESESSION, ToService)                \
    X(42, JOINLEAVE, FromService)                 \
    X(43, SESSIONREMOVE, FromService)             \
    X(47, TSSUCCESS, FromService)                 \
    X(48, TSFAIL, FromService)                    \
    X(49, BEGINGAME, ToService)                   \
    X(54, UPDATEPLAYERINFO, FromService)          \
    X(57, MASTERCHANGED, FromService)             \
    X(60, UPDATESESSIONSTATE, FromService)        \
    X(61, URGENTMESSAGE, FromService)             \
    X(63, NEWWAITMODULE, Unused)                  \
    X(64, KILLMODULE, Unused)                     \
    X(67, STILLALIVE, Both)                       \
    X(78, ROUTEURLIST, FromService)               \
    X(82, PLAYERKICK, Unused)                     \
    X(83, PLAYERMUTE, Unused)                     \
    X(84, ALLOWGAME, Unused)                      \
    X(85, FORBIDGAME, Unused)                     \
    X(86, GAMELIST, Unused)                       \
    X(87, UPDATEADVERTISMEMENTS, Unused)          \
    X(88, UPDATENEWS, Unused)                     \
    X(89, VERSIONLIST, Unused)                    \
    X(90, PING, Both)                             \
    X(91, UPDATEVERSIONS, Unused)                 \
    X(92, DESTROYSESSION, Unused)                 \
    X(93, UPDATEDISTANTROUTERS, Unused)           \
    X(170, STAT_PLAYER, Unused)                   \
    X(171, STAT_GAME, Unused)                     \
    X(200, ADVERTISEMENT, FromService)            \
    X(201, MODIFYUSER, ToService)                 \
    X(202, STARTGAME, FromService)                \
    X(204, CHANGEVERSION, FromService)            \
    X(205, PAGER, Both)                           \
    X(206, LOGIN, ToService)                      \
    X(207, PHOTO, Both)                           \
    X(208, LOGINARENA, ToService)                 \
    X(220, SQLCREATE, Unused)                     \
    X(221, SQLSELECT, Unused)                     \
    X(222, SQLDELETE, Unused)                     \
    X(223, SQLSET, Unused)

// Structured message type codes.
enum MessageType : uint8_t {
#define TESSARY_MESSAGE_ENUM(code, name, direction) name = code,
    TESSARY_MESSAGE_TYPES(TESSARY_MESSAGE_ENUM)
#undef TESSARY_MESSAGE_ENUM
};

struct MessageTypeInfo {
    uint8_t code;
    const char* name;
    Direction direction;
};

inline constexpr MessageTypeInfo kMessageTypes[] = {
#define TESSARY_MESSAGE_INFO(code, name, direction) {code, #name, Direction::direction},
    TESSARY_MESSAGE_TYPES(TESSARY_MESSAGE_INFO)
#undef TESSARY_MESSAGE_INFO
};

// The entry of a code; nullptr for a code the system does not name.
constexpr const MessageTypeInfo* findMessageType(uint8_t code) {
    for (const MessageTypeInfo& info : kMessageTypes)
        if (info.code == code) return &info;
    return nullptr;
}

// Answer codes: the request code that a TSSUCCESS or TSFAIL carries first
// and that the lobby's poll reports. Every request is answered under its own
// code, except GETSESSIONINFO, whose answer the lobby expects under 24.
inline constexpr uint8_t kSessionInfoAnswer = 24;
constexpr uint8_t answerCodeOf(uint8_t request) {
    return request == GETSESSIONINFO ? kSessionInfoAnswer : request;
}

// Why a LOGIN is sent to the Router (its fourth value).
enum class LoginReason : int32_t {
    Normal = 1,        // the login window: the lists follow
    BackToRouter = 2,  // back from an Arena or a game: the lists follow
    BeforeModify = 4,  // checks the password; the modification follows
    BeforeCreate = 5,  // no account yet; the creation follows
};

}  // namespace tessary::protocol
