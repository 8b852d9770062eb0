#include "controls/chat_commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tessary::controls {
namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

struct CommandRule {
    std::string_view word;
    CommandAction action;
    bool needsArgument;
    bool takesName;  // the argument is a player or session name
};

constexpr std::array kRules{
    CommandRule{"NOCOLOR", CommandAction::NoColour, false, false},
    CommandRule{"WHOIS", CommandAction::Whois, true, true},
    CommandRule{"CHAT", CommandAction::PrivateChat, true, true},
    CommandRule{"PAGE", CommandAction::Page, false, true},
    CommandRule{"JOIN", CommandAction::Join, true, true},
    CommandRule{"LEAVE", CommandAction::Leave, false, false},
    CommandRule{"IGNORE", CommandAction::Ignore, false, true},
    CommandRule{"UNIGNORE", CommandAction::Unignore, true, true},
    // Moderators' commands: the service parses them and answers privately.
    CommandRule{"KICK", CommandAction::Moderate, true, false},
    CommandRule{"MUTE", CommandAction::Moderate, true, false},
    CommandRule{"BAN", CommandAction::Moderate, true, false},
    CommandRule{"UNBAN", CommandAction::Moderate, true, false},
};

}  // namespace

ChatCommand parseChatInput(std::string_view input) {
    ChatCommand command;
    if (input.empty()) return command;
    if (input.front() != '/' || upper(input.substr(0, 4)) == "/ME ") {
        command.action = CommandAction::Chat;
        command.argument = std::string(input);
        return command;
    }
    const auto blank = input.find(' ');
    command.word = upper(input.substr(1, blank == std::string_view::npos ? input.npos : blank - 1));
    if (blank != std::string_view::npos) command.argument = trimBlanks(input.substr(blank + 1));

    const auto rule = std::find_if(kRules.begin(), kRules.end(),
                                   [&](const CommandRule& r) { return r.word == command.word; });
    if (rule == kRules.end()) {
        command.action = CommandAction::Unknown;
        return command;
    }
    if (rule->takesName && command.argument.size() > kNameLimit) command.argument.resize(kNameLimit);
    if (rule->needsArgument && command.argument.empty()) {
        command.action = CommandAction::MissingArgument;
    } else if (rule->action == CommandAction::Ignore && command.argument.empty()) {
        command.action = CommandAction::ListIgnored;
    } else if (rule->action == CommandAction::Moderate) {
        command.action = CommandAction::Moderate;
        command.argument = "/" + command.word + " " + command.argument;
    } else {
        command.action = rule->action;
    }
    return command;
}

}  // namespace tessary::controls
