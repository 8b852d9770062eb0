#include "moderation.h"

#include <charconv>
#include <ctime>

#include "text_util.h"

namespace tessary::server {

namespace {

constexpr int64_t kMaxDurationSeconds = int64_t(10) * 365 * 24 * 3600;
constexpr int kMaxAuditShown = 1000;

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Splits off the next word, or a double-quoted text; empty when none is left.
std::optional<std::string> nextWord(std::string_view& rest) {
    rest = trim(rest);
    if (rest.empty()) return std::nullopt;
    if (rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        if (close == std::string_view::npos) return std::nullopt;
        std::string word(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        return word;
    }
    const size_t end = std::min(rest.find_first_of(" \t"), rest.size());
    std::string word(rest.substr(0, end));
    rest.remove_prefix(end);
    return word;
}

// A bare number is in `unit` seconds; 0 is for good.
std::optional<int64_t> parseDuration(std::string_view text, int64_t unit) {
    if (lower(text) == "forever") return 0;
    int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || number <= 0 || number > kMaxDurationSeconds) return std::nullopt;
    const std::string_view suffix = text.substr(size_t(end - text.data()));
    if (suffix == "s") unit = 1;
    else if (suffix == "m") unit = 60;
    else if (suffix == "h") unit = 3600;
    else if (suffix == "d") unit = 24 * 3600;
    else if (!suffix.empty()) return std::nullopt;
    if (number > kMaxDurationSeconds / unit) return std::nullopt;
    return number * unit;
}

std::string durationText(int64_t seconds) {
    if (seconds == 0) return "for good";
    for (auto [unit, letter] : {std::pair<int64_t, char>{24 * 3600, 'd'}, {3600, 'h'}, {60, 'm'}})
        if (seconds % unit == 0) return "for " + std::to_string(seconds / unit) + letter;
    return "for " + std::to_string(seconds) + "s";
}

const char* roleName(Role role) {
    switch (role) {
        case Role::Moderator: return "moderator";
        case Role::Administrator: return "administrator";
        case Role::Player: break;
    }
    return "player";
}

bool isAddress(std::string_view text) {
    if (text.empty() || text.size() > 45) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' || c == ':'))
            return false;
    return true;
}

}  // namespace

std::string sanitiseText(std::string_view text, size_t limit) {
    std::string out;
    for (unsigned char c : text) {
        const bool blank = c < 32 || c == 127 || c == ' ';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : char(c);
    }
    out = std::string(trim(out));
    if (out.size() > limit) out = std::string(trim(std::string_view(out).substr(0, limit)));
    return out;
}

std::variant<ModerationCommand, std::string> parseModerationCommand(std::string_view line) {
    std::string_view rest = trim(line);
    if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    const auto verbWord = nextWord(rest);
    if (!verbWord) return std::string("no command given");
    const std::string verb = lower(*verbWord);
    static const std::pair<const char*, ModerationVerb> kVerbs[] = {
        {"kick", ModerationVerb::Kick},       {"mute", ModerationVerb::Mute},
        {"unmute", ModerationVerb::Unmute},   {"ban", ModerationVerb::Ban},
        {"ban-address", ModerationVerb::BanAddress}, {"unban", ModerationVerb::Unban},
        {"unban-address", ModerationVerb::UnbanAddress}, {"list", ModerationVerb::List},
        {"audit", ModerationVerb::Audit},     {"role", ModerationVerb::SetRole}};
    ModerationCommand command;
    bool known = false;
    for (const auto& [word, v] : kVerbs)
        if (verb == word) command.verb = v, known = true;
    if (!known) return "unknown command " + sanitiseText(verb, 32);

    const ModerationVerb v = command.verb;
    if (v == ModerationVerb::List) return command;
    if (v == ModerationVerb::Audit) {
        if (auto count = nextWord(rest)) {
            int n = 0;
            const auto [end, error] = std::from_chars(count->data(), count->data() + count->size(), n);
            if (error != std::errc() || end != count->data() + count->size() || n < 1 || n > kMaxAuditShown)
                return std::string("audit takes a count from 1 to 1000");
            command.count = n;
        }
        return command;
    }
    const auto target = nextWord(rest);
    if (!target) return std::string("please name the player or address");
    const bool byAddress = v == ModerationVerb::BanAddress || v == ModerationVerb::UnbanAddress;
    if (byAddress ? !isAddress(*target) : checkPlayerName(*target) != NameCheck::Ok)
        return byAddress ? std::string("not an address: ") + sanitiseText(*target, 45)
                         : std::string("not a player name: ") + sanitiseText(*target, kMaxNameLength);
    command.target = *target;
    if (v == ModerationVerb::SetRole) {
        const auto role = nextWord(rest);
        const std::string name = role ? lower(*role) : "";
        if (name == "player") command.role = Role::Player;
        else if (name == "moderator") command.role = Role::Moderator;
        else if (name == "administrator") command.role = Role::Administrator;
        else return std::string("the role is player, moderator or administrator");
        return command;
    }
    if (v == ModerationVerb::Mute || v == ModerationVerb::Ban || v == ModerationVerb::BanAddress) {
        const auto duration = nextWord(rest);
        const int64_t unit = v == ModerationVerb::Mute ? 60 : 24 * 3600;
        const auto seconds = duration ? parseDuration(*duration, unit) : std::nullopt;
        if (!seconds)
            return std::string("please give a duration: a number (") + (unit == 60 ? "minutes" : "days") +
                   "), or with s, m, h, d, or forever";
        command.seconds = *seconds;
    }
    command.reason = sanitiseText(rest, kMaxReasonLength);
    return command;
}

std::string formatEnd(int64_t until) {
    if (until == 0) return "for good";
    const std::time_t t = static_cast<std::time_t>(until);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return std::string("until ") + text;
}

std::string banText(const Sanction& ban) {
    std::string text = ban.kind == SanctionKind::AddressBan ? "Your address is banned " : "You are banned ";
    text += formatEnd(ban.until);
    text += ban.reason.empty() ? "." : ": " + ban.reason;
    return text;
}

std::optional<Sanction> banOf(Storage& storage, std::string_view name, std::string_view address, int64_t now) {
    if (!name.empty())
        if (auto ban = storage.findSanction(SanctionKind::AccountBan, name, now)) return ban;
    if (!address.empty()) return storage.findSanction(SanctionKind::AddressBan, address, now);
    return std::nullopt;
}

ModerationResult moderate(Storage& storage, EventBus& bus, const Actor& actor, const ModerationCommand& command,
                          int64_t now) {
    using V = ModerationVerb;
    const V v = command.verb;
    const std::string who = actor.isOperator ? "operator" : actor.name;
    auto audit = [&](const std::string& what, const std::string& why) {
        storage.addAudit({now, who, what, command.target, why});
    };
    auto refused = [&](const std::string& text) {
        audit("refused command", text);
        return ModerationResult{false, {text}};
    };

    if (!actor.isOperator) {
        const bool lobbyVerb = v == V::Kick || v == V::Mute || v == V::Unmute || v == V::Ban || v == V::Unban;
        if (actor.role == Role::Player || (actor.fromLobby && !lobbyVerb) ||
            (v == V::SetRole && actor.role != Role::Administrator))
            return refused("not allowed");
        // Moderators do not act on their peers or on administrators.
        if (!command.target.empty() && v != V::BanAddress && v != V::UnbanAddress &&
            storage.role(command.target) >= actor.role)
            return refused("not allowed on " + command.target);
    }

    const int64_t until = command.seconds == 0 ? 0 : now + command.seconds;
    const std::string reason = command.reason;
    switch (v) {
        case V::Kick: {
            const std::string text = "You were removed from the arena by " + who + (reason.empty() ? "." : ": " + reason);
            bus.publish(KickEvent{command.target, "", text});
            audit("kick", reason);
            return {true, {"kicked " + command.target}};
        }
        case V::Mute:
            storage.addSanction({SanctionKind::Mute, command.target, reason, who, now, until});
            audit("mute " + durationText(command.seconds), reason);
            return {true, {"muted " + command.target + " " + formatEnd(until)}};
        case V::Ban:
        case V::BanAddress: {
            const bool byAddress = v == V::BanAddress;
            if (!byAddress && !storage.findAccount(command.target))
                return {false, {"there is no account called " + command.target}};
            const Sanction ban{byAddress ? SanctionKind::AddressBan : SanctionKind::AccountBan, command.target,
                               reason, who, now, until};
            storage.addSanction(ban);
            audit(std::string(byAddress ? "ban address " : "ban ") + durationText(command.seconds), reason);
            // Whoever is in an arena under the ban leaves now.
            bus.publish(KickEvent{byAddress ? "" : command.target, byAddress ? command.target : "", banText(ban)});
            return {true, {"banned " + command.target + " " + formatEnd(until)}};
        }
        case V::Unmute:
        case V::Unban:
        case V::UnbanAddress: {
            const SanctionKind kind = v == V::Unmute ? SanctionKind::Mute
                                      : v == V::Unban ? SanctionKind::AccountBan
                                                      : SanctionKind::AddressBan;
            if (!storage.liftSanction(kind, command.target, now))
                return {false, {command.target + (v == V::Unmute ? " is not muted" : " is not banned")}};
            audit(v == V::Unmute ? "unmute" : v == V::Unban ? "unban" : "unban address", reason);
            return {true, {(v == V::Unmute ? "unmuted " : "lifted the ban on ") + command.target}};
        }
        case V::SetRole:
            if (!storage.setRole(command.target, command.role))
                return {false, {"there is no account called " + command.target}};
            audit(std::string("role ") + roleName(command.role), reason);
            return {true, {command.target + " is now " + roleName(command.role)}};
        case V::List: {
            static const char* kKinds[] = {"ban", "ban address", "mute"};
            ModerationResult result{true, {}};
            for (const Sanction& s : storage.sanctions(now))
                result.lines.push_back(std::string(kKinds[int(s.kind)]) + "  " + s.target + "  " + formatEnd(s.until) +
                                       "  by " + s.by + (s.reason.empty() ? "" : "  (" + s.reason + ")"));
            if (result.lines.empty()) result.lines.push_back("no bans or mutes in force");
            return result;
        }
        case V::Audit: {
            ModerationResult result{true, {}};
            for (const AuditEntry& e : storage.auditTrail(command.count)) {
                std::string when = formatEnd(e.at).substr(6);
                result.lines.push_back(when + "  " + e.who + "  " + e.what + "  " + e.whom +
                                       (e.why.empty() ? "" : "  (" + e.why + ")"));
            }
            if (result.lines.empty()) result.lines.push_back("the audit trail is empty");
            return result;
        }
    }
    return {false, {"unknown command"}};
}

}  // namespace tessary::server
