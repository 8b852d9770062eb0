// Where each value sits in a message body. Bodies are positional lists; the
// service's writers, the client library's readers and the tests all name a
// position from here, so the two ends cannot drift apart. A new field is
// added here first.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/codec.h"

namespace tessary::protocol {

// One entry of SESSIONLIST (a list per session).
struct SessionListEntry {
    enum Field : size_t {
        Name,            // text
        MaxPlayers,      // 4 bytes
        MaxSpectators,   // 4 bytes
        Players,         // 4 bytes: how many
        Spectators,      // 4 bytes: how many
        Master,          // text
        State,           // 4 bytes: session state bits
        Game,            // text
        PlayerNames,     // list of texts, in join order
        SpectatorNames,  // list of texts
        Count
    };
};

// SESSIONNEW: a session was created.
struct SessionNewBody {
    enum Field : size_t { Name, MaxPlayers, MaxSpectators, Master, State, Game, Count };
};

// CREATESESSION: the request.
struct CreateSessionBody {
    enum Field : size_t {
        Name,           // text
        Game,           // text
        Version,        // text
        Flags,          // 4 bytes
        MaxPlayers,     // 4 bytes
        MaxSpectators,  // 4 bytes
        Options,        // text: the game's option line
        Password,       // text, empty for an open session
        AsSpectator,    // 1 byte
        Count
    };
};

// The player card: PLAYERINFO, and the data of the answer to GETPLAYERINFO.
struct PlayerCard {
    enum Field : size_t {
        Name,
        Email,
        RealName,
        Country,
        HomePage,
        Description,  // texts up to here
        Gender,       // 1 byte
        PhotoNumber,  // 4 bytes
        Games,        // list of [game, statistics] lists
        Count
    };
};

// One entry of PLAYERLIST (a list per player in the Arena).
struct PlayerListEntry {
    enum Field : size_t { Name, PingClass /* 4 bytes */, Count };
};

// PAGER as sent to the Router or an Arena, and as delivered to the addressee.
struct PageRequestBody {
    enum Field : size_t { Addressees /* list of texts */, Text, Count };
};
struct PageBody {
    enum Field : size_t { Sender, Text, Count };
};

// UPDATEPLAYERINFO: a player's ping class changed.
struct UpdatePlayerInfoBody {
    enum Field : size_t { Name, PingClass /* 4 bytes */, Count };
};

// JOINNEW: a player took a seat or a spectator's place.
struct JoinNewBody {
    enum Field : size_t { Player, Session, AsSpectator /* 1 byte */, Count };
};

// A chat line as the service hands it on (CHATALL, CHATLIST, CHATSESSION).
struct ChatLineBody {
    enum Field : size_t { Sender, Text, Colour /* 4 bytes */, Font /* 4 bytes */, Count };
};

// A chat request to everyone (CHATALL) or to the own session (CHATSESSION).
struct ChatRequestBody {
    enum Field : size_t { Text, Colour /* 4 bytes */, Font /* 4 bytes */, Count };
};

// A private chat request (CHATLIST): the addressees come first.
struct PrivateChatRequestBody {
    enum Field : size_t { Addressees /* list of texts */, Text, Colour, Font, Count };
};

// One entry of ROUTEURLIST: a Router the lobby may log in to.
struct RouterListEntry {
    enum Field : size_t { Name, Host, Port /* 4 bytes */, Count };
};

// One entry of SERVERSLIST: an Arena.
struct ArenaListEntry {
    enum Field : size_t { Name, Players /* 4 bytes */, Host, MaxPing /* 4 bytes */, Count };
};

// NEWS has no fields: its body is the list of lines, one text each.

// Builds a body by field position: every field must be set once before
// take(), whatever the order of the calls.
template <class Body>
class BodyWriter {
public:
    using Field = typename Body::Field;

    BodyWriter& text(Field field, std::string_view value) { return set(field).appendText(value), *this; }
    template <class Int>
    BodyWriter& integer(Field field, Int value) {
        return set(field).template appendInteger<Int>(value), *this;
    }
    BodyWriter& list(Field field, ValueList value) { return set(field).appendList(std::move(value)), *this; }

    // The body; throws when a field was left out.
    ValueList take() {
        ValueList body;
        body.reserve(Body::Count);
        for (ValueList& slot : slots_) {
            if (slot.size() != 1) throw std::logic_error("a message field was not written");
            body.appendValue(slot[0].kind) = slot[0];
        }
        return body;
    }

private:
    ValueList& set(Field field) {
        ValueList& slot = slots_.at(size_t(field));
        if (!slot.empty()) throw std::logic_error("a message field was written twice");
        return slot;
    }

    std::vector<ValueList> slots_ = std::vector<ValueList>(size_t(Body::Count));
};

}  // namespace tessary::protocol
