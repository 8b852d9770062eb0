// Word wrapping and link finding for chat text, from a font's table of
// character widths (Windows-1252 bytes), so measuring never asks the toolkit.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "controls/scroll_geometry.h"

namespace tessary::controls {

// Widths of the 256 bytes; slot 0 is the line height (as FontTable keeps it).
using CharWidths = std::array<int, 256>;

// One laid-out line: text.substr(start, length).
struct TextRun {
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

[[nodiscard]] int textWidth(std::string_view text, const CharWidths& widths);

// Breaks `text` into lines no wider than `width`: at the last blank before
// the right edge (the blank itself is dropped), at "\n", and inside a word
// that is wider than a whole line, so a long run of letters cannot overflow.
// Linear in the text's length; an empty text gives one empty line.
[[nodiscard]] std::vector<TextRun> wrapText(std::string_view text, const CharWidths& widths,
                                            int width);

// A link inside a chat line: from the first "WWW." (any case) or, when there
// is none, the first "HTTP://", up to the next blank or the text's end.
struct LinkSpan {
    std::size_t start = 0;
    std::size_t end = 0;
    friend bool operator==(const LinkSpan&, const LinkSpan&) = default;
};
[[nodiscard]] std::optional<LinkSpan> findLink(std::string_view text);

// The boxes the link covers on each wrapped line (one per line it touches),
// for lines `lineHeight` apart starting at `top`.
[[nodiscard]] std::vector<Box> linkBoxes(std::string_view text, const std::vector<TextRun>& runs,
                                         LinkSpan link, const CharWidths& widths, int top);

}  // namespace tessary::controls
