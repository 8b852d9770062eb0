#include "controls/text_wrap.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace tessary::controls {
namespace {

int charWidth(const CharWidths& widths, char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0 ? 0 : widths[byte];
}

std::size_t findUpper(std::string_view text, std::string_view upperNeedle) {
    auto it = std::search(text.begin(), text.end(), upperNeedle.begin(), upperNeedle.end(),
                          [](char a, char b) {
                              return std::toupper(static_cast<unsigned char>(a)) == b;
                          });
    return it == text.end() ? std::string_view::npos
                            : static_cast<std::size_t>(it - text.begin());
}

}  // namespace

int textWidth(std::string_view text, const CharWidths& widths) {
    int width = 0;
    for (char c : text) width += charWidth(widths, c);
    return width;
}

std::vector<TextRun> wrapText(std::string_view text, const CharWidths& widths, int width) {
    std::vector<TextRun> runs;
    const std::size_t n = text.size();
    std::size_t lineStart = 0;
    std::size_t lastBlank = std::string_view::npos;
    int x = 0;
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            std::size_t end = i;
            if (end > lineStart && text[end - 1] == '\r') --end;
            runs.push_back({lineStart, end - lineStart});
            lineStart = ++i;
            lastBlank = std::string_view::npos;
            x = 0;
            continue;
        }
        const int w = charWidth(widths, c);
        if (c == ' ') {  // blanks hang past the edge; they only mark a break
            lastBlank = i;
            x += w;
            ++i;
            continue;
        }
        if (x + w > width && i > lineStart) {
            if (lastBlank != std::string_view::npos) {
                runs.push_back({lineStart, lastBlank - lineStart});
                lineStart = lastBlank + 1;
                lastBlank = std::string_view::npos;
                // What followed the blank fitted on the old line, so it is
                // shorter than a line: re-measuring it keeps this linear.
                x = textWidth(text.substr(lineStart, i - lineStart), widths);
                continue;
            }
            runs.push_back({lineStart, i - lineStart});
            lineStart = i;
            x = 0;
            continue;
        }
        x += w;
        ++i;
    }
    if (lineStart < n || runs.empty() || text.back() == '\n') {
        runs.push_back({lineStart, n - lineStart});
    }
    return runs;
}

std::optional<LinkSpan> findLink(std::string_view text) {
    std::size_t start = findUpper(text, "WWW.");
    if (start == std::string_view::npos) start = findUpper(text, "HTTP://");
    if (start == std::string_view::npos) return std::nullopt;
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    return LinkSpan{start, end};
}

std::vector<Box> linkBoxes(std::string_view text, const std::vector<TextRun>& runs, LinkSpan link,
                           const CharWidths& widths, int top) {
    std::vector<Box> boxes;
    const int lineHeight = widths[0];
    int y = top;
    for (const TextRun& run : runs) {
        const std::size_t from = std::max(run.start, link.start);
        const std::size_t to = std::min(run.start + run.length, link.end);
        if (from < to) {
            const int x = textWidth(text.substr(run.start, from - run.start), widths);
            boxes.push_back({x, y, textWidth(text.substr(from, to - from), widths), lineHeight});
        }
        y += lineHeight;
    }
    return boxes;
}

}  // namespace tessary::controls
