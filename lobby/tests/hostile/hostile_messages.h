// What a hostile Router or Arena sends the lobby: for every poll result of
// the lobby's dispatch table, well-framed messages built from a well-shaped
// body by breaking it in every way the wire allows (values missing, of the
// wrong kind or size, extreme numbers, texts with control characters and path
// separators, 2 MB texts, lists of up to 100,000 entries). A type without a
// known shape gets the generic bodies, so a type added to the table is covered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/codec.h"

namespace tessary::lobby::testing {

struct HostileMessage {
    protocol::ServiceMessage message;
    std::string label;  // for failure reports: type and variant
};

struct HostileSet {
    // Messages after which the lobby stays where it is (a box may open).
    std::vector<HostileMessage> content;
    // Answers that move the lobby elsewhere (login, arena login, joining an
    // arena, account answers): sent last.
    std::vector<HostileMessage> flowChanging;
};

// Every message for `types` (poll results; answers are sent both as
// TSSUCCESS and TSFAIL of that request code) from module `source`.
HostileSet hostileMessages(const std::vector<int32_t>& types, uint8_t source);

// The dispatch table's poll results (without the connection loss).
std::vector<int32_t> lobbyMessageTypes();

// `count` CHATALL lines as fast as they come.
std::vector<protocol::ServiceMessage> chatFlood(int count, uint8_t source);

// The hostile texts, for checks on what the lobby shows.
const std::vector<std::string>& hostileTexts();

}  // namespace tessary::lobby::testing
