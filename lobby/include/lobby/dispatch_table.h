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

// A type the lobby reads: its poll result and name come from protocol.
constexpr MessageTypeEntry known(protocol::MessageType type, std::string_view owner) {
    return {protocol::answerCodeOf(type), protocol::findMessageType(type)->name, owner};
}

inline constexpr std::array kMessageTypes = {
    MessageTypeEntry{kConnectionLost, "connection lost", "connection"},
    known(protocol::NEWUSERREQUEST, "account"),
    known(protocol::CONNECTIONREQUEST, "connection"),
    known(protocol::PLAYERNEW, "players"),
    known(protocol::PLAYERREMOVED, "players"),
    known(protocol::NEWS, "news"),
    known(protocol::SEARCHPLAYER, "pages"),
    known(protocol::SERVERSLIST, "arena list"),
    known(protocol::SESSIONLIST, "sessions"),
    known(protocol::PLAYERLIST, "players"),
    known(protocol::GETSESSIONINFO, "sessions"),
    known(protocol::GETPLAYERINFO, "player info"),
    known(protocol::PLAYERINFO, "account"),  // and the own information panel
    known(protocol::CHATALL, "chat"),
    known(protocol::CHATLIST, "chat"),
    known(protocol::CHATSESSION, "chat"),
    known(protocol::CREATESESSION, "sessions"),
    known(protocol::SESSIONNEW, "sessions"),
    known(protocol::JOINSESSION, "sessions"),
    known(protocol::JOINNEW, "sessions"),
    known(protocol::JOINLEAVE, "sessions"),
    known(protocol::SESSIONREMOVE, "sessions"),
    known(protocol::BEGINGAME, "sessions"),
    known(protocol::UPDATEPLAYERINFO, "players"),
    known(protocol::MASTERCHANGED, "sessions"),
    known(protocol::UPDATESESSIONSTATE, "sessions"),
    known(protocol::URGENTMESSAGE, "connection"),
    known(protocol::ROUTEURLIST, "arena list"),
    known(protocol::ADVERTISEMENT, "news"),
    known(protocol::MODIFYUSER, "account"),
    known(protocol::STARTGAME, "sessions"),
    known(protocol::CHANGEVERSION, "connection"),
    known(protocol::PAGER, "pages"),
    known(protocol::LOGIN, "account"),
    known(protocol::PHOTO, "player info"),
    known(protocol::LOGINARENA, "connection"),
};

// The entry for a poll result; nullptr for a type the lobby does not know.
constexpr const MessageTypeEntry* findMessageType(int32_t type) {
    for (const auto& entry : kMessageTypes) {
        if (entry.type == type) return &entry;
    }
    return nullptr;
}

}  // namespace tessary::lobby
