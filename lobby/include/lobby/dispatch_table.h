// What the lobby does with each result of the library's poll: the message
// type (or, for an answer, the code of the request answered) selects the
// window that handles it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tessary::lobby {

enum class Route {
    ConnectionLost,
    AccountCreationAnswer,
    JoinArenaAnswer,
    AccountInfo,  // account window while modifying; otherwise kept for the info panel
    UrgentMessage,
    ModifyAccountAnswer,
    VersionCheck,
    RouterLoginAnswer,
    ArenaLoginAnswer,
    Deferred,  // belongs to a window the lobby does not have yet; read nothing
};

struct DispatchEntry {
    int32_t type;
    std::string_view name;
    Route route;
    std::string_view handledBy;
};

inline constexpr int32_t kConnectionLost = -1;

inline constexpr std::array kDispatchTable = {
    DispatchEntry{kConnectionLost, "connection lost", Route::ConnectionLost, "main window"},
    DispatchEntry{1, "NEWUSERREQUEST", Route::AccountCreationAnswer, "account window"},
    DispatchEntry{4, "CONNECTIONREQUEST", Route::JoinArenaAnswer, "main window"},
    DispatchEntry{6, "PLAYERNEW", Route::Deferred, "player list"},
    DispatchEntry{11, "PLAYERREMOVED", Route::Deferred, "player list"},
    DispatchEntry{13, "NEWS", Route::Deferred, "news panel"},
    DispatchEntry{14, "SEARCHPLAYER", Route::Deferred, "player search window"},
    DispatchEntry{18, "SERVERSLIST", Route::Deferred, "arena list"},
    DispatchEntry{20, "SESSIONLIST", Route::Deferred, "session panel"},
    DispatchEntry{22, "PLAYERLIST", Route::Deferred, "player list"},
    DispatchEntry{24, "GETSESSIONINFO", Route::Deferred, "session panel"},
    DispatchEntry{25, "GETPLAYERINFO", Route::Deferred, "player information window"},
    DispatchEntry{26, "PLAYERINFO", Route::AccountInfo, "account window / information panel"},
    DispatchEntry{27, "CHATALL", Route::Deferred, "chat box"},
    DispatchEntry{28, "CHATLIST", Route::Deferred, "chat box"},
    DispatchEntry{29, "CHATSESSION", Route::Deferred, "chat box"},
    DispatchEntry{33, "CREATESESSION", Route::Deferred, "session panel"},
    DispatchEntry{36, "SESSIONNEW", Route::Deferred, "session panel"},
    DispatchEntry{37, "JOINSESSION", Route::Deferred, "session panel"},
    DispatchEntry{40, "JOINNEW", Route::Deferred, "session panel"},
    DispatchEntry{42, "JOINLEAVE", Route::Deferred, "session panel"},
    DispatchEntry{43, "SESSIONREMOVE", Route::Deferred, "session panel"},
    DispatchEntry{49, "BEGINGAME", Route::Deferred, "session panel"},
    DispatchEntry{54, "UPDATEPLAYERINFO", Route::Deferred, "player list"},
    DispatchEntry{57, "MASTERCHANGED", Route::Deferred, "session panel"},
    DispatchEntry{60, "UPDATESESSIONSTATE", Route::Deferred, "session panel"},
    DispatchEntry{61, "URGENTMESSAGE", Route::UrgentMessage, "main window"},
    DispatchEntry{78, "ROUTEURLIST", Route::Deferred, "arena list panel"},
    DispatchEntry{200, "ADVERTISEMENT", Route::Deferred, "advertisement area"},
    DispatchEntry{201, "MODIFYUSER", Route::ModifyAccountAnswer, "account window"},
    DispatchEntry{202, "STARTGAME", Route::Deferred, "game start"},
    DispatchEntry{204, "CHANGEVERSION", Route::VersionCheck, "main window"},
    DispatchEntry{205, "PAGER", Route::Deferred, "received-page window"},
    DispatchEntry{206, "LOGIN", Route::RouterLoginAnswer, "login window"},
    DispatchEntry{207, "PHOTO", Route::Deferred, "photo store"},
    DispatchEntry{208, "LOGINARENA", Route::ArenaLoginAnswer, "main window"},
};

// The entry for a poll result; nullptr for a type the lobby ignores.
constexpr const DispatchEntry* findDispatch(int32_t type) {
    for (const auto& entry : kDispatchTable) {
        if (entry.type == type) return &entry;
    }
    return nullptr;
}

}  // namespace tessary::lobby
