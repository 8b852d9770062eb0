#include "lobby/option_controls.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../support/every_option_kind.h"

namespace tessary::lobby {
namespace {

struct Pages {
    skin::SessionOptionsLayout layout;
    std::unique_ptr<OptionPages> pages;
    explicit Pages(const char* text) {
        skin::SkinFile file;
        file.openBytes(text, "config.tsc", false);
        layout = skin::readSessionOptionsLayout(file, "TEST");
        auto lister = [](std::string_view dir, std::string_view ext) {
            return dir == "maps" && ext == "map" ? std::vector<std::string>{"Arena", "Duel"}
                                                 : std::vector<std::string>{};
        };
        pages = std::make_unique<OptionPages>(layout, lister);
    }
    OptionChain& page(std::size_t i) { return pages->page(i); }
};

// Default line: LIST's first item, EDIT empty fails the first page.
TEST(OptionControls, WriteValueOfEveryKind) {
    Pages p(testing::kEveryOptionKind);
    EXPECT_EQ(p.pages->collectPage(0), "ERROR") << "an empty EDIT has no value";
    EXPECT_EQ(p.pages->collect(), "ERROR");
    EXPECT_EQ(p.pages->collectPage(1), "2 Arena 1 3 last ") << "numeric LISTDEFAULT writes its index";

    p.page(0).at<EditOption>(2).setText("ab cd");
    p.page(0).at<ListOption>(1).choose(2);
    p.page(0).at<SpinOption>(4).setNumber(99);
    p.page(0).at<BitListOption>(6).choose(1);
    EXPECT_EQ(p.pages->collectPage(0), "Very|large ab|cd Joe|Bloggs 8 1 blue ");

    auto& box = p.page(1).at<CheckBoxOption>(3);
    box.check(2);
    EXPECT_EQ(p.pages->collectPage(1), "2 Arena 2 0 2 deep last ") << "only the checked box's controls";
    p.page(1).at<ListOption>(2).choose(-1);
    EXPECT_EQ(p.pages->collectPage(1), "ERROR") << "a list with nothing chosen";
}

TEST(OptionControls, CheckValueTable) {
    Pages p(testing::kEveryOptionKind);
    struct Case {
        const char* line;
        bool accepted;
    } cases[] = {
        {"Small x Joe 5 0 red  0 Duel 1 7 last", true},
        {"Small x Joe 5 0 red 7 Duel 1 7 last", true},  // numeric list: any token
        {"Very|large x Joe 2 1 blue 0 Arena 2 1 2 deep last", true},
        {"Very|large x Joe 2 1 blue 0 Arena 2 1 1 last", true},  // nested box 1 holds nothing
        {"Medium x Joe 5 0 red 0 Duel 1 7 last", false},         // not an item
        {"Small x Joe 9 0 red 0 Duel 1 7 last", false},          // spin above its maximum
        {"Small x Joe 1 0 red 0 Duel 1 7 last", false},          // spin below its minimum
        {"Small x Joe 5 0 green 0 Duel 1 7 last", false},        // not a bitlist value
        {"Small x Joe 5 0 red 0 Nowhere 1 7 last", false},       // no such file
        {"Small x Joe 5 0 red 0 Duel 3 7 last", false},          // box 3 of 2
        {"Small x Joe 5 0 red 0 Duel 2 0 3 deep last", false},   // nested box out of range
        {"Small x Joe 5 0 red 0 Duel 1 10 last", false},         // nested spin out of range
        {"Small x Joe 5 0 red 0 Duel 1 7", false},               // a token short
        {"Small x Joe 5 0 red 0 Duel 1 7 last extra", false},    // not used up
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(p.pages->accepts(c.line), c.accepted) << c.line;
}

TEST(OptionControls, SetValueFillsReadOnlyAndSetDefaultRestores) {
    Pages p(testing::kEveryOptionKind);
    const std::string line = "Huge x|y Joe 3 0 blue 0 Duel 2 1 2 deeper last";
    p.pages->setValue(line);

    auto& list = p.page(0).at<ListOption>(1);
    EXPECT_EQ(list.value(), "Huge") << "a missing item is appended";
    EXPECT_EQ(list.items().size(), 4u);
    EXPECT_EQ(p.page(0).at<EditOption>(2).text(), "x y");
    EXPECT_EQ(p.page(0).at<SpinOption>(4).number(), 3);
    EXPECT_FALSE(p.page(0).at<OnOffOption>(5).on());
    EXPECT_EQ(p.page(0).at<BitListOption>(6).value(), "blue");
    auto& box = p.page(1).at<CheckBoxOption>(3);
    EXPECT_EQ(box.checked(), 2);
    EXPECT_FALSE(box.box(1).first()->visible());
    EXPECT_TRUE(box.box(2).first()->visible());
    EXPECT_EQ(box.box(2).at<CheckBoxOption>(1).box(2).at<EditOption>(0).text(), "deeper");
    for (std::size_t i = 0; i < 2; ++i) {
        for (const auto& control : p.page(i).controls()) EXPECT_FALSE(control->enabled());
    }
    EXPECT_FALSE(box.box(2).at<CheckBoxOption>(1).box(2).first()->enabled());

    // What was filled reads back as the same line.
    std::string written = p.pages->collect();
    EXPECT_EQ(written, line + " ");

    p.pages->setDefault();
    EXPECT_EQ(list.items().size(), 3u) << "the appended item goes again";
    EXPECT_EQ(list.value(), "Small");
    EXPECT_EQ(p.page(0).at<EditOption>(2).text(), "");
    EXPECT_EQ(p.page(0).at<EditOption>(3).text(), "Joe Bloggs");
    EXPECT_EQ(p.page(0).at<SpinOption>(4).number(), 5) << "an initial value out of range is the middle";
    EXPECT_TRUE(p.page(0).at<OnOffOption>(5).on());
    EXPECT_EQ(p.page(0).at<BitListOption>(6).value(), "red");
    EXPECT_EQ(box.checked(), 1);
    EXPECT_TRUE(box.box(1).first()->visible());
    EXPECT_FALSE(box.box(2).first()->visible());
    EXPECT_EQ(box.box(2).at<CheckBoxOption>(1).box(2).at<EditOption>(0).text(), "deep");
    for (const auto& control : p.page(0).controls()) EXPECT_TRUE(control->enabled());
    EXPECT_TRUE(box.box(2).at<CheckBoxOption>(1).box(2).first()->enabled());
}

// Found by fuzzing: a SPIN whose maximum lies below its minimum wrote a
// default its own check refused. Its one value is the minimum.
TEST(OptionControls, ASpinWithItsLimitsSwappedAllowsItsMinimumAlone) {
    Pages p("[PAGE_INFO]\n1\n1\nSPIN 0 0 10 10 1000 6 45\n[BUTTON]\n"
            "0 0 1 1 0 0 1 1 2 4 0 0 1 1 0 0 1 1 0 0 1 1 0 0 1 1\n");
    EXPECT_EQ(p.pages->collect(), "1000 ");
    EXPECT_TRUE(p.pages->accepts("1000"));
    EXPECT_FALSE(p.pages->accepts("503"));
    EXPECT_FALSE(p.pages->accepts("6"));
}

TEST(OptionControls, ShowPageHidesTheOthersAndKeepsUncheckedBoxesHidden) {
    Pages p(testing::kEveryOptionKind);
    p.pages->showPage(1);
    for (const auto& control : p.page(0).controls()) EXPECT_FALSE(control->visible());
    auto& box = p.page(1).at<CheckBoxOption>(3);
    EXPECT_TRUE(box.visible());
    EXPECT_TRUE(box.box(1).first()->visible());
    EXPECT_FALSE(box.box(2).first()->visible());
    p.pages->showPage(0);
    EXPECT_FALSE(box.box(1).first()->visible()) << "a hidden page hides its boxes too";
}

TEST(OptionControls, DirectoryListerStaysInsideItsRoots) {
    const auto root = std::filesystem::temp_directory_path() / ("tessary-dirlist-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "a" / "maps");
    std::filesystem::create_directories(root / "b" / "maps");
    for (const char* name : {"a/maps/Duel.map", "b/maps/Arena.map", "b/maps/Duel.map", "b/maps/notes.txt"}) {
        std::ofstream(root / name) << "x";
    }
    DirectoryLister lister = listDirectoriesUnder({root / "a", root / "b", root / "missing"});
    EXPECT_EQ(lister("maps", "map"), (std::vector<std::string>{"Arena", "Duel"}));
    EXPECT_TRUE(lister("../a/maps", "map").empty());
    EXPECT_TRUE(lister((root / "a" / "maps").string(), "map").empty());
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace tessary::lobby

namespace tessary::lobby {
namespace {

// The chat room's page: captions only, so its option line is empty.
TEST(OptionControls, TheChatRoomPage) {
    const auto layout = skin::loadSessionOptionsLayout(TESSARY_SOURCE_DIR "/games/chat/data/config.tsc", "CHAT");
    OptionPages pages(layout, {});
    EXPECT_EQ(layout.fullName, "Chat room");
    EXPECT_EQ(layout.frame.maxPlayers, 50);
    EXPECT_EQ(pages.collect(), "");
    EXPECT_TRUE(pages.accepts(""));
}

}  // namespace
}  // namespace tessary::lobby
