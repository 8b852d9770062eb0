// The poll results of TS_GetMessageType the lobby knows (the message type, or
// for an answer the code of the request answered), and which controller owns
// each. Controllers register handlers for their types with the Dispatcher;
// the owner column is the home a type's handler belongs in.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "protocol/message_types.h"

namespace tessary::lobby {

inline constexpr int32_t kConnectionLost = -1;

struct MessageTypeEntry {
    int32_t type;
    std::string_view name;
    std::string_view owner;
};

inline constexpr std::array kMessageTypes = {
    MessageTypeEntry{kConnectionLost, "connection lost", "connection"},
    MessageTypeEntry{1, "NEWUSERREQUEST", "account"},
    MessageTypeEntry{4, "CONNECTIONREQUEST", "connection"},
    MessageTypeEntry{6, "PLAYERNEW", "players"},
    MessageTypeEntry{11, "PLAYERREMOVED", "players"},
    MessageTypeEntry{13, "NEWS", "news"},
    MessageTypeEntry{14, "SEARCHPLAYER", "pages"},
    MessageTypeEntry{18, "SERVERSLIST", "arena list"},
    MessageTypeEntry{20, "SESSIONLIST", "sessions"},
    MessageTypeEntry{22, "PLAYERLIST", "players"},
    MessageTypeEntry{protocol::kSessionInfoAnswer, "GETSESSIONINFO", "sessions"},
    MessageTypeEntry{25, "GETPLAYERINFO", "player info"},
    MessageTypeEntry{26, "PLAYERINFO", "account"},  // and the own information panel
    MessageTypeEntry{27, "CHATALL", "chat"},
    MessageTypeEntry{28, "CHATLIST", "chat"},
    MessageTypeEntry{29, "CHATSESSION", "chat"},
    MessageTypeEntry{33, "CREATESESSION", "sessions"},
    MessageTypeEntry{36, "SESSIONNEW", "sessions"},
    MessageTypeEntry{37, "JOINSESSION", "sessions"},
    MessageTypeEntry{40, "JOINNEW", "sessions"},
    MessageTypeEntry{42, "JOINLEAVE", "sessions"},
    MessageTypeEntry{43, "SESSIONREMOVE", "sessions"},
    MessageTypeEntry{49, "BEGINGAME", "sessions"},
    MessageTypeEntry{54, "UPDATEPLAYERINFO", "players"},
    MessageTypeEntry{57, "MASTERCHANGED", "sessions"},
    MessageTypeEntry{60, "UPDATESESSIONSTATE", "sessions"},
    MessageTypeEntry{61, "URGENTMESSAGE", "connection"},
    MessageTypeEntry{78, "ROUTEURLIST", "arena list"},
    MessageTypeEntry{200, "ADVERTISEMENT", "news"},
    MessageTypeEntry{201, "MODIFYUSER", "account"},
    MessageTypeEntry{202, "STARTGAME", "sessions"},
    MessageTypeEntry{204, "CHANGEVERSION", "connection"},
    MessageTypeEntry{205, "PAGER", "pages"},
    MessageTypeEntry{206, "LOGIN", "account"},
    MessageTypeEntry{207, "PHOTO", "player info"},
    MessageTypeEntry{208, "LOGINARENA", "connection"},
};

// The entry for a poll result; nullptr for a type the lobby does not know.
constexpr const MessageTypeEntry* findMessageType(int32_t type) {
    for (const auto& entry : kMessageTypes) {
        if (entry.type == type) return &entry;
    }
    return nullptr;
}

}  // namespace tessary::lobby
