// Texts that come from a server and end up on the screen. The client library
// cuts every text at 4,095 characters; a window still must not grow to the
// size of a hostile text nor show control characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessary::lobby {

struct TextBounds {
    std::size_t maxLines;
    std::size_t maxLineLength;  // characters per line; longer lines end in "..."
};

inline constexpr TextBounds kMessageBoxBounds{20, 120};
inline constexpr TextBounds kTitleBounds{1, 60};

// `raw` (Windows-1252) made fit to show: control characters other than line
// breaks become blanks, "\r\n" and "\r" become "\n" (only when more than one
// line is allowed), and it is cut to the bounds. A cut text ends in "...".
std::string boundedServerText(std::string_view raw, TextBounds bounds);

// The text of a NUL-terminated buffer of `capacity` bytes written by the
// library, never reading past the buffer even when the NUL is missing.
std::string textFromBuffer(const char* buffer, std::size_t capacity);

}  // namespace tessary::lobby
