// One line per connection event and per refused request, on standard error.
#pragma once

#include <functional>
#include <string_view>

namespace tessary::server {

// Writes "<UTC time> <role>: <text>\n" as one write. Safe from any thread.
void logLine(std::string_view role, std::string_view text);

// Tests capture the lines; an empty function restores standard error.
using LogSink = std::function<void(std::string_view line)>;
void setLogSink(LogSink sink);

}  // namespace tessary::server
