#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/scroll_geometry.h"
#include "controls/session_tiles.h"
#include "controls/text_wrap.h"

namespace tessary::controls {
namespace {

TEST(ScrollGeometry, ThumbAndRange) {
    struct Row {
        int height, minimum, maximum, position;
        int thumbTop, thumbHeight, clampedPosition;
    };
    // Arrows of 16 pixels: the track runs from 20 to height - 20.
    const std::vector<Row> rows = {
        {70, 0, 99, 0, 20, 4, 0},      // a 30-pixel track for 100 steps: the 4-pixel thumb
        {70, 0, 99, 99, 44, 4, 99},    // (30 - 5) / 100 per step
        {140, 0, 9, 5, 69, 9, 5},      // (100 - 1) / 10 = 9.9 per step
        {140, 5, 2, 0, 20, 99, 5},     // maximum raised to minimum; position clamped
        {140, 0, 9, 12, 109, 9, 9},
    };
    for (const Row& row : rows) {
        ScrollGeometry bar(16, row.height, 16, 16);
        bar.setRange({row.minimum, row.maximum, row.position});
        SCOPED_TRACE(row.height * 1000 + row.maximum);
        EXPECT_EQ(bar.thumb().y, row.thumbTop);
        EXPECT_EQ(bar.thumb().height, row.thumbHeight);
        EXPECT_EQ(bar.range().position, row.clampedPosition);
        EXPECT_EQ(bar.thumb().x, 4);
        EXPECT_EQ(bar.thumb().width, 8);
    }
    ScrollGeometry low(16, 20, 16, 16);  // lower than two arrows: half each
    EXPECT_EQ(low.upArrow().height, 10);
    EXPECT_EQ(low.downArrow(), (Box{0, 10, 16, 10}));
}

TEST(ScrollGeometry, PartsAndDragging) {
    ScrollGeometry bar(16, 140, 16, 16);
    bar.setRange({0, 9, 5});
    EXPECT_EQ(bar.partAt(5, 3), ScrollPart::UpArrow);
    EXPECT_EQ(bar.partAt(5, 130), ScrollPart::DownArrow);
    EXPECT_EQ(bar.partAt(5, 40), ScrollPart::PageUp);
    EXPECT_EQ(bar.partAt(5, 72), ScrollPart::Thumb);
    EXPECT_EQ(bar.partAt(5, 100), ScrollPart::PageDown);
    EXPECT_EQ(bar.partAt(20, 72), ScrollPart::None);
    EXPECT_EQ(bar.positionForThumbOffset(0), 0);
    EXPECT_EQ(bar.positionForThumbOffset(20), 2);
    EXPECT_EQ(bar.positionForThumbOffset(500), 9);
    bar.setRange({3, 3, 3});
    EXPECT_TRUE(bar.isEmpty());
    EXPECT_NE(bar.partAt(5, 30), ScrollPart::Thumb);  // nothing to drag
}

TEST(WheelAccumulator, RemaindersCarryOver) {
    WheelAccumulator wheel;
    const std::vector<std::pair<int, int>> rows = {{60, 0}, {60, 1}, {240, 2}, {-100, 0},
                                                   {-30, -1}, {-10, 0}, {130, 0}, {10, 1}};
    for (auto [delta, steps] : rows) EXPECT_EQ(wheel.add(delta), steps) << delta;
}

CharWidths fixedWidths(int width, int lineHeight) {
    CharWidths widths{};
    widths.fill(width);
    widths[0] = lineHeight;
    return widths;
}

std::vector<std::string> wrapped(const std::string& text, int width) {
    std::vector<std::string> lines;
    for (const TextRun& run : wrapText(text, fixedWidths(10, 15), width)) {
        lines.push_back(text.substr(run.start, run.length));
    }
    return lines;
}

TEST(TextWrap, BreaksAtBlanksAndInsideLongWords) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(wrapped("", 50), Lines{""});
    EXPECT_EQ(wrapped("abc de", 60), Lines{"abc de"});
    EXPECT_EQ(wrapped("abc defg", 60), (Lines{"abc", "defg"}));
    EXPECT_EQ(wrapped("abcdefgh", 30), (Lines{"abc", "def", "gh"}));
    EXPECT_EQ(wrapped("ab cdefgh", 30), (Lines{"ab", "cde", "fgh"}));
    EXPECT_EQ(wrapped("one\r\ntwo", 100), (Lines{"one", "two"}));
    EXPECT_EQ(wrapped("x", 0), Lines{"x"});

    const std::string longWord(4000, 'w');
    const auto runs = wrapText(longWord, fixedWidths(10, 15), 460);
    EXPECT_EQ(runs.size(), 4000u / 46 + 1);
}

TEST(TextWrap, LinksAndTheirBoxes) {
    const std::string text = "<Ann> go to WWW.a.org/x now ";
    const auto link = findLink(text);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(text.substr(link->start, link->end - link->start), "WWW.a.org/x");
    EXPECT_EQ(findLink("http://a www.b")->start, 9u);  // "WWW." wins
    EXPECT_FALSE(findLink("no address here").has_value());

    const CharWidths widths = fixedWidths(10, 15);
    const auto runs = wrapText(text, widths, 150);  // "<Ann> go to" | "WWW.a.org/x now"
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(linkBoxes(text, runs, *link, widths, 100),
              (std::vector<Box>{{0, 115, 110, 15}}));
    const auto split = wrapText(text, widths, 80);  // the address itself is cut
    EXPECT_EQ(linkBoxes(text, split, *link, widths, 0).size(), 2u);
}

TEST(SessionTiles, Grid) {
    SessionTiles tiles(64, 48, 7, 15, 467, 140);
    EXPECT_EQ(tiles.tileWidth(), 126);
    EXPECT_EQ(tiles.tileHeight(), 93);
    EXPECT_EQ(tiles.columns(), 3);
    EXPECT_EQ(tiles.visibleRows(), 2);
    EXPECT_EQ(tiles.rowsFor(7), 3);
    EXPECT_EQ(tiles.tile(4, 1), (Box{126, 0, 126, 93}));
    EXPECT_EQ(tiles.picture(tiles.tile(0, 0)), (Box{31, 7, 64, 48}));
    EXPECT_EQ(tiles.tileAt(130, 10, 1, 7), 4);
    EXPECT_EQ(tiles.tileAt(130, 10, 2, 7), -1);
    EXPECT_EQ(tiles.tileAt(400, 10, 0, 7), -1);
    SessionTiles wide(200, 48, 7, 15, 150, 140);  // never fewer than one column
    EXPECT_EQ(wide.columns(), 1);
}

}  // namespace
}  // namespace tessary::controls
