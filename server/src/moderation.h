// Moderation: one parser and one executor for the commands of the operator's
// control socket and of the moderators' lobby chat ("/KICK name reason" sent
// as private chat to kServiceName). Bans and mutes live in Storage; kicks
// travel as a KickEvent to the Arena that holds the player.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "server/events.h"
#include "server/storage.h"

namespace tessary::server {

// The reserved name moderators' commands are addressed to; no account can
// take it (any case).
inline constexpr const char* kServiceName = "TessaryService";
inline constexpr size_t kMaxReasonLength = 200;
// Chat colour of the service's own lines (grey, 0x00BBGGRR).
inline constexpr int32_t kServiceChatColour = 0x808080;

// Control characters become blanks, runs of blanks one, the ends trimmed,
// and the text is cut to `limit` bytes.
std::string sanitiseText(std::string_view text, size_t limit);

enum class ModerationVerb { Kick, Mute, Unmute, Ban, BanAddress, Unban, UnbanAddress, List, Audit, SetRole };

struct ModerationCommand {
    ModerationVerb verb = ModerationVerb::List;
    std::string target;    // account name or address
    int64_t seconds = 0;   // mute and ban: 0 is for good
    std::string reason;
    Role role = Role::Player;
    int count = 20;        // audit: entries shown
};

// Parses one command line: "kick NAME [REASON]", "mute NAME DURATION [REASON]",
// "unmute NAME", "ban NAME DURATION [REASON]", "ban-address ADDRESS DURATION
// [REASON]", "unban NAME", "unban-address ADDRESS", "list", "audit [N]",
// "role NAME player|moderator|administrator". The verb's case and a leading
// '/' do not matter; a name with blanks goes in double quotes. DURATION is a
// number with s, m, h or d, or "forever"; a bare number counts minutes for
// a mute and days for a ban. Returns the problem as text otherwise.
std::variant<ModerationCommand, std::string> parseModerationCommand(std::string_view line);

// Who gives a command: the operator on the control socket, or a player.
struct Actor {
    std::string name;
    Role role = Role::Player;
    bool isOperator = false;
    bool fromLobby = false;  // the lobby may only kick, mute, unmute, ban, unban
};

struct ModerationResult {
    bool ok = false;
    std::vector<std::string> lines;  // what to tell the actor
};

// Checks the actor's right, acts, and writes the audit entry (a refusal for
// lack of right is audited too).
ModerationResult moderate(Storage& storage, EventBus& bus, const Actor& actor, const ModerationCommand& command,
                          int64_t now);

// The account or address ban in force for a login, if any.
std::optional<Sanction> banOf(Storage& storage, std::string_view name, std::string_view address, int64_t now);
// What a banned player is told: the reason and the end.
std::string banText(const Sanction& ban);
// "2026-12-08 11:53 UTC", or "for good" for 0.
std::string formatEnd(int64_t until);

}  // namespace tessary::server
