// What a line typed into the chat input asks for: nothing, chat (actions
// written "/me ..." included) or a slash command with its argument.
#pragma once

#include <string>
#include <string_view>

namespace tessary::controls {

enum class CommandAction {
    Chat,             // send `argument` as chat
    Nothing,          // an empty input
    NoColour,         // toggle the colour-off switch
    Whois,            // ask for the player information of `argument`
    PrivateChat,      // open the private tab of `argument`
    Page,             // open the page window to `argument` (may be empty)
    Join,             // join the session `argument`
    Leave,            // leave the current session
    Ignore,           // add `argument` to the ignore list
    Unignore,         // take `argument` off the ignore list
    ListIgnored,      // show the ignore list
    Moderate,         // "/KICK", "/MUTE", "/BAN", "/UNBAN": `argument` is the whole
                      // line, for the service to read
    MissingArgument,  // grey text 22 with `word`
    Unknown,          // grey text 23 with `word`
};

struct ChatCommand {
    CommandAction action = CommandAction::Nothing;
    std::string word;      // the command word in upper case ("WHOIS")
    std::string argument;  // blanks trimmed; names cut to kNameLimit
};

inline constexpr std::size_t kNameLimit = 15;

// Input starting with "/" is a command unless it starts with "/me " (any
// case); the command word runs to the first blank, the argument is the rest.
[[nodiscard]] ChatCommand parseChatInput(std::string_view input);

}  // namespace tessary::controls
