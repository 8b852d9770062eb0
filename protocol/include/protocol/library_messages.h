// The game library's own messages: raw messages whose first payload byte is
// one of these types (game messages use 0 .. kMaxGameType), and the sizes of
// their payloads. The game library and the game server both read them here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary::protocol {

// MESSAGE(code, constant): sent by the library to the game server.
// EVENT(code, constant, name): received by the library (some are also sent,
// with another payload); the name is the one the system prints.
#define TESSARY_LIBRARY_MESSAGES(MESSAGE, EVENT)          \
    MESSAGE(237, kProbe) /* both ways: the datagram probe */ \
    MESSAGE(238, kCancelStorage)                          \
    EVENT(239, kPlayerInfos, EVENT_PLAYERINFOS)           \
    EVENT(240, kServerTime, EVENT_SERVERTIME)             \
    EVENT(241, kNewMaster, EVENT_NEWMASTER)               \
    EVENT(242, kPlayerLeft, EVENT_PLAYERLEFT)             \
    EVENT(243, kNewPlayer, EVENT_NEWPLAYER)               \
    MESSAGE(244, kGroupRemovePlayer)                      \
    MESSAGE(245, kGroupAddPlayer)                         \
    MESSAGE(246, kGroupEmpty)                             \
    MESSAGE(247, kGroupDelete)                            \
    MESSAGE(248, kGroupCreate)                            \
    EVENT(249, kOwnId, EVENT_OWNID)                       \
    EVENT(250, kRegister, EVENT_REGISTER)

#define TESSARY_LIBRARY_MESSAGE_ENUM(code, constant) constant = code,
#define TESSARY_LIBRARY_EVENT_ENUM(code, constant, name) constant = code,
enum LibraryMessage : uint8_t {
    TESSARY_LIBRARY_MESSAGES(TESSARY_LIBRARY_MESSAGE_ENUM, TESSARY_LIBRARY_EVENT_ENUM)
};
#undef TESSARY_LIBRARY_EVENT_ENUM

// The same codes under the names printed for them.
#define TESSARY_LIBRARY_EVENT_ENUM(code, constant, name) name = code,
#define TESSARY_LIBRARY_NO_EVENT(code, constant)
enum GameEvent : uint8_t {
    TESSARY_LIBRARY_MESSAGES(TESSARY_LIBRARY_NO_EVENT, TESSARY_LIBRARY_EVENT_ENUM)
};
#undef TESSARY_LIBRARY_EVENT_ENUM
#undef TESSARY_LIBRARY_NO_EVENT
#undef TESSARY_LIBRARY_MESSAGE_ENUM

// Game message types run from 0 to this; the server relays none above it.
inline constexpr uint8_t kMaxGameType = 200;

// Names in EVENT_NEWPLAYER and EVENT_REGISTER: 16 bytes, NUL-padded.
inline constexpr size_t kNameFieldSize = 16;

// Payload sizes after the type byte.
inline constexpr size_t kServerTimeSize = 8;  // seconds, then milliseconds (32 bits each)
inline constexpr size_t kPlayerIdSize = 2;    // EVENT_NEWMASTER, EVENT_PLAYERLEFT, start of EVENT_PLAYERINFOS
inline constexpr size_t kNewPlayerSize = kPlayerIdSize + kNameFieldSize;
inline constexpr size_t kOwnIdSize = 6;  // own id, first-player flag, expected players (16 bits each)

}  // namespace tessary::protocol
