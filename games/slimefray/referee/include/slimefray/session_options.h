// The session's option line, as the create-session window writes it from
// config.tsc: "%d %s %s %s %d %d %d". The program reads it from its start
// order; the referee from the session the Arena announced.
#pragma once

#include <string>
#include <string_view>

namespace tessary::slimefray {

struct SessionOptions {
    int optionA = 0;      // clock mode
    int optionB = 45;     // seconds per turn
    std::string optionC;  // theme title, at most 24 characters
    std::string mapName;
    int optionE = 1;      // power items
    int computerPlayers = 0;  // seated by the referee in free slots
    int computerLevel = 0;    // 0 greedy, 1 look-ahead
};

// Reads as far as the line matches; fields after the first mismatch keep
// their defaults. optionB is taken only when it is a number above 0.
SessionOptions parseOptionLine(std::string_view line);

}  // namespace tessary::slimefray
