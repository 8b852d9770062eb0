// The diagnostics stream: short texts for developers, never shown to users.
#pragma once

#include <functional>
#include <string_view>

namespace tessary::platform {

// Writes `text` exactly as given (no newline added) to the diagnostics stream,
// which is standard output unless a sink is installed.
void diag(std::string_view text);

// Replaces the stream with `sink` (tests capture it this way); an empty
// function restores standard output. Returns the previous sink.
using DiagSink = std::function<void(std::string_view)>;
DiagSink setDiagSink(DiagSink sink);

}  // namespace tessary::platform
