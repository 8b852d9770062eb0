// The lobby must be able to read what poker registers with it: its session
// page and its session picture, read here with the lobby's own readers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "desktop/bmp_reader.h"
#include "lobby/option_controls.h"
#include "skin/session_options_layout.h"

namespace {

using namespace tessary::skin;

TEST(PokerData, TheSessionPageReads) {
    const SessionOptionsLayout layout = loadSessionOptionsLayout(POKER_DATA_DIR "/config.tsc", "POKER");
    EXPECT_EQ(layout.fullName, "Poker (five-card draw)");
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_EQ(layout.pages[0].skippedControls, 0);
    ASSERT_EQ(layout.pages[0].controls.size(), 4u);
    EXPECT_EQ(layout.pages[0].controls[3].text, "This table has no options.");
    EXPECT_EQ(layout.frame.minPlayers, 2);
    EXPECT_EQ(layout.frame.maxPlayers, 4);
    EXPECT_EQ(layout.maxSpectators, 0);
    EXPECT_FALSE(layout.frame.previousButton.has_value());
}

// Poker has no option controls: its option line is empty, and only an empty
// line is one it can show.
TEST(PokerData, TheOptionLineIsEmpty) {
    const SessionOptionsLayout layout = loadSessionOptionsLayout(POKER_DATA_DIR "/config.tsc", "POKER");
    tessary::lobby::OptionPages pages(layout, {});
    EXPECT_EQ(pages.collect(), "");
    EXPECT_TRUE(pages.accepts("  "));
    EXPECT_FALSE(pages.accepts("0 45"));
}

TEST(PokerData, TheSessionPictureDecodes) {
    std::ifstream in(POKER_DIST_DIR "/session.bmp", std::ios::binary);
    ASSERT_TRUE(in) << "the build writes session.bmp";
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    tessary::desktop::DecodedImage image;
    ASSERT_EQ(tessary::desktop::decodeBmp(bytes, image), tessary::desktop::BmpError::None);
    EXPECT_EQ(image.width, 80);
    EXPECT_EQ(image.height, 60);
}

TEST(PokerData, TheGameEntryHasFourLines) {
    std::ifstream in(POKER_DATA_DIR "/game.tsc.entry");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "POKER");
    EXPECT_EQ(lines[2], "poker");
}

}  // namespace
