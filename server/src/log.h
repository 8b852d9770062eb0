// One line per connection event and per refused request, on standard error.
// Every line is escaped (texts from the network may hold anything), and the
// lines caused by one client address are folded under a flood.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "server/defaults.h"

namespace tessary::server {

class ClientLink;

// Writes "<UTC time> <role>: <text>\n" as one write. Safe from any thread.
void logLine(std::string_view role, std::string_view text);
// "<link's address, port and id><text>", counted against the link's address.
void logLine(std::string_view role, const ClientLink& link, std::string_view text);
// A line about a client at `address` that has no link (yet).
void logFrom(std::string_view role, std::string_view address, std::string_view text);

// Tests capture the lines; an empty function restores standard error. Either
// starts with no address folded. A test whose many clients all come from
// loopback and that reads their lines lets more of them through.
using LogSink = std::function<void(std::string_view line)>;
void setLogSink(LogSink sink, int linesPerAddress = defaults::kLogLinesPerAddress);

// Control characters, DEL, bytes above 127 and the backslash written as
// escapes (\n, \t, \x1B, \\): a text cannot start a line of its own or
// drive a terminal.
std::string escapeForLog(std::string_view text);

// Lets through the first linesPerWindow (kLinesPerWindow) lines of each address in a window
// of kWindowMs, counts the rest and reports them once the window is over.
class LogFold {
public:
    static constexpr int kLinesPerWindow = defaults::kLogLinesPerAddress;
    static constexpr int64_t kWindowMs = 10'000;

    explicit LogFold(int linesPerWindow = kLinesPerWindow) : linesPerWindow_(linesPerWindow) {}

    struct Summary {
        std::string role;  // of the first line held back
        std::string text;  // "... and 5,000 more from 127.0.0.1 in the last 10 s"
    };

    // True when the line of `role` from `address` is to be written.
    [[nodiscard]] bool admit(std::string_view role, std::string_view address, int64_t nowMs);
    // The summaries of the windows that are over, at most once a second;
    // forgets those addresses.
    std::vector<Summary> closeWindows(int64_t nowMs);

private:
    struct Window {
        int64_t startMs = 0;
        int written = 0;
        int64_t held = 0;
        std::string role;
    };
    int linesPerWindow_;
    std::map<std::string, Window, std::less<>> windows_;
    int64_t lastCloseMs_ = 0;
};

}  // namespace tessary::server
