// What the lobby's create-session window makes of Slimefray's config.tsc must
// be an option line the game reads as meant, and the lobby must be able to
// read the game's session picture.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "lobby/option_controls.h"
#include "desktop/bmp_reader.h"
#include "skin/session_options_layout.h"
#include "slimefray/session_options.h"

namespace {

using namespace tessary;

struct SlimefrayPages {
    skin::SessionOptionsLayout layout =
        skin::loadSessionOptionsLayout(SLIMEFRAY_DATA_DIR "/config.tsc", "SLIMEFRAY");
    lobby::OptionPages pages{layout, lobby::listDirectoriesUnder({SLIMEFRAY_DIST_DIR})};
    lobby::OptionChain& page() { return pages.page(0); }
};

TEST(SlimefrayData, OptionLinesTheGameReads) {
    SlimefrayPages p;
    ASSERT_EQ(p.pages.size(), 1u);
    ASSERT_EQ(p.page().controls().size(), 14u);
    struct Case {
        const char* what;
        void (*edit)(lobby::OptionChain&);
        slimefray::SessionOptions expected;
    } cases[] = {
        {"defaults", [](lobby::OptionChain&) {}, {0, 45, "Cavern", "Arena", 1, 0, 0}},
        {"every field changed",
         [](lobby::OptionChain& c) {
             c.at<lobby::OnOffOption>(1).setOn(true);
             c.at<lobby::SpinOption>(3).setNumber(600);
             c.at<lobby::ListOption>(5).choose(2);
             c.at<lobby::ListOption>(7).choose(1);
             c.at<lobby::ListOption>(9).choose(2);
             c.at<lobby::SpinOption>(11).setNumber(3);
             c.at<lobby::ListOption>(13).choose(1);
         },
         {1, 600, "Meadow", "Crossroads", 2, 3, 1}},
        {"spins clamped to their ranges",
         [](lobby::OptionChain& c) {
             c.at<lobby::SpinOption>(3).setNumber(1);
             c.at<lobby::SpinOption>(11).setNumber(9);
         },
         {0, 10, "Cavern", "Arena", 1, 7, 0}},
    };
    for (const Case& c : cases) {
        SlimefrayPages fresh;
        c.edit(fresh.page());
        const std::string line = fresh.pages.collect();
        ASSERT_NE(line, "ERROR") << c.what;
        EXPECT_TRUE(fresh.pages.accepts(line)) << c.what << ": " << line;
        const slimefray::SessionOptions read = slimefray::parseOptionLine(line);
        EXPECT_EQ(read.optionA, c.expected.optionA) << c.what;
        EXPECT_EQ(read.optionB, c.expected.optionB) << c.what;
        EXPECT_EQ(read.optionC, c.expected.optionC) << c.what;
        EXPECT_EQ(read.mapName, c.expected.mapName) << c.what;
        EXPECT_EQ(read.optionE, c.expected.optionE) << c.what;
        EXPECT_EQ(read.computerPlayers, c.expected.computerPlayers) << c.what;
        EXPECT_EQ(read.computerLevel, c.expected.computerLevel) << c.what;
    }
}

TEST(SlimefrayData, ReceivedLinesAreCheckedAndShown) {
    SlimefrayPages p;
    EXPECT_TRUE(p.pages.accepts("1 120 Lava Duel 0 3 1"));
    EXPECT_FALSE(p.pages.accepts("1 5 Lava Duel 0 0 0")) << "seconds below the minimum";
    EXPECT_FALSE(p.pages.accepts("1 120 Lava Atlantis 0 0 0")) << "a map not installed here";
    EXPECT_FALSE(p.pages.accepts("1 120 Lava Duel 0 8 0")) << "more computer players than seats";
    EXPECT_FALSE(p.pages.accepts("1 120 Lava Duel 0 3")) << "a field short";
    p.pages.setValue("1 120 Lava Duel 0 3 1");
    EXPECT_EQ(p.pages.collect(), "1 120 Lava Duel 0 3 1 ");
    p.pages.setDefault();
    EXPECT_EQ(p.pages.collect(), "0 45 Cavern Arena 1 0 0 ");
}

TEST(SlimefrayData, TheSessionPictureDecodes) {
    std::ifstream in(SLIMEFRAY_DIST_DIR "/session.bmp", std::ios::binary);
    ASSERT_TRUE(in) << "the build writes session.bmp";
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    desktop::DecodedImage image;
    ASSERT_EQ(desktop::decodeBmp(bytes, image), desktop::BmpError::None);
    EXPECT_EQ(image.width, 80);
    EXPECT_EQ(image.height, 60);
}

}  // namespace
