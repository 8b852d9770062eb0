#include "skin/session_options_layout.h"

#include <gtest/gtest.h>

#include "skin/country_list.h"
#include "skin/scramble.h"
#include "skin/skin_error.h"
#include "test_files.h"

namespace tessary::skin {
namespace {

SessionOptionsLayout parse(std::string text, std::string_view gameName = "POKER") {
    SkinFile file;
    file.openBytes(std::move(text), "config.tsc", false);
    return readSessionOptionsLayout(file, gameName);
}

int fatalTextOfParse(std::string text) {
    try {
        (void)parse(std::move(text));
    } catch (const SkinFatalError& error) {
        return error.textNumber();
    }
    return 0;
}

constexpr const char* kFullLayout = R"(; a game's session options
[IGNOREINFO]
[FULLNAME]
Name = Five Card Draw
[SPECTATOR] 300 40 360 60 0 4
[TEXTCOLOR] 10 20 30
[PAGE_INFO]
2
; page 1
6
TEXT 10 10 100 25 Blinds|and|antes
LIST 10 30 100 45 3 Low Medium High|stakes
EDIT 10 50 100 65
SPIN 10 70 100 85 2 8 4
ONOFF 10 90 30 110 1
BITLIST 10 120 80 170 2 red red.bmp blue blue.bmp
; page 2
5
DIRLIST 10 10 200 25 maps map
LISTDEFAULT 10 30 100 45 2 Fast Slow 1 1
EDITDEFAULT 10 50 100 65 Welcome!
TEXTRGB 10 70 100 85 Warning 255 0 0
CHECKBOX 10 90 30 105 2 2
1 SPIN 40 90 80 105 1 9 3
30 110 50 125 2
EDIT 40 110 80 125
CHECKBOX 40 130 60 145 1 1 1 TEXT 70 130 120 145 inner
[BUTTON]
100 10 200 25
100 30 140 45 2 4
400 5 420 25
300 300 380 330
200 300 280 330
100 300 180 330
20 300 60 330
60 300 100 330
)";

TEST(SessionOptionsLayoutTest, ReadsEveryControlKind) {
    SessionOptionsLayout layout = parse(kFullLayout);
    EXPECT_TRUE(layout.ignoreInfo);
    EXPECT_EQ(layout.fullName, "Five Card Draw");
    EXPECT_EQ(layout.spectatorField, (SkinRect{300, 40, 360, 60}));
    EXPECT_EQ(layout.minSpectators, 0);
    EXPECT_EQ(layout.maxSpectators, 4);
    EXPECT_EQ(layout.textColor, (RgbColor{10, 20, 30}));
    ASSERT_EQ(layout.pages.size(), 2u);

    const auto& first = layout.pages[0].controls;
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(first[0].kind, OptionKind::Text);
    EXPECT_EQ(first[0].rect, (SkinRect{10, 10, 100, 25}));
    EXPECT_EQ(first[0].text, "Blinds and antes");
    EXPECT_EQ(first[1].kind, OptionKind::List);
    EXPECT_EQ(first[1].items, (std::vector<std::string>{"Low", "Medium", "High stakes"}));
    EXPECT_EQ(first[2].kind, OptionKind::Edit);
    EXPECT_EQ(first[3].kind, OptionKind::Spin);
    EXPECT_EQ(first[3].minimum, 2);
    EXPECT_EQ(first[3].maximum, 8);
    EXPECT_EQ(first[3].initial, 4);
    EXPECT_EQ(first[4].kind, OptionKind::OnOff);
    EXPECT_EQ(first[4].initial, 1);
    EXPECT_EQ(first[5].kind, OptionKind::BitList);
    ASSERT_EQ(first[5].pictures.size(), 2u);
    EXPECT_EQ(first[5].pictures[1].value, "blue");
    EXPECT_EQ(first[5].pictures[1].picture, "blue.bmp");

    const auto& second = layout.pages[1].controls;
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[0].kind, OptionKind::DirList);
    EXPECT_EQ(second[0].directory, "maps");
    EXPECT_EQ(second[0].extension, "map");
    EXPECT_EQ(second[1].kind, OptionKind::ListDefault);
    EXPECT_EQ(second[1].items, (std::vector<std::string>{"Fast", "Slow"}));
    EXPECT_EQ(second[1].defaultItem, 1);
    EXPECT_TRUE(second[1].valueIsIndex);
    EXPECT_EQ(second[2].kind, OptionKind::EditDefault);
    EXPECT_EQ(second[2].text, "Welcome!");
    EXPECT_EQ(second[3].kind, OptionKind::TextRgb);
    EXPECT_EQ(second[3].color, (RgbColor{255, 0, 0}));

    const OptionControlLayout& box = second[4];
    EXPECT_EQ(box.kind, OptionKind::CheckBox);
    EXPECT_EQ(box.checkedBox, 2);
    ASSERT_EQ(box.boxes.size(), 2u);
    EXPECT_EQ(box.boxes[0].rect, box.rect);  // box 1 uses the control's rectangle
    ASSERT_EQ(box.boxes[0].controls.size(), 1u);
    EXPECT_EQ(box.boxes[0].controls[0].kind, OptionKind::Spin);
    EXPECT_EQ(box.boxes[1].rect, (SkinRect{30, 110, 50, 125}));
    ASSERT_EQ(box.boxes[1].controls.size(), 2u);
    const OptionControlLayout& inner = box.boxes[1].controls[1];
    EXPECT_EQ(inner.kind, OptionKind::CheckBox);
    ASSERT_EQ(inner.boxes.size(), 1u);  // n = 1: no further rectangles
    ASSERT_EQ(inner.boxes[0].controls.size(), 1u);
    EXPECT_EQ(inner.boxes[0].controls[0].text, "inner");

    const SessionWindowFrame& frame = layout.frame;
    EXPECT_EQ(frame.nameField, (SkinRect{100, 10, 200, 25}));
    EXPECT_EQ(frame.playersField, (SkinRect{100, 30, 140, 45}));
    EXPECT_EQ(frame.minPlayers, 2);
    EXPECT_EQ(frame.maxPlayers, 4);
    EXPECT_EQ(frame.exitButton, (SkinRect{400, 5, 420, 25}));
    EXPECT_EQ(frame.privateButton, (SkinRect{100, 300, 180, 330}));
    ASSERT_TRUE(frame.previousButton.has_value());
    EXPECT_EQ(*frame.nextButton, (SkinRect{60, 300, 100, 330}));
}

TEST(SessionOptionsLayoutTest, OptionalSectionsTakeTheirDefaults) {
    SessionOptionsLayout layout = parse(
        "[PAGE_INFO] 1 0\n"
        "[BUTTON] 1 1 2 2 3 3 4 4 1 8 5 5 6 6 7 7 8 8 9 9 10 10 11 11 12 12\n");
    EXPECT_FALSE(layout.ignoreInfo);
    EXPECT_EQ(layout.fullName, "POKER");
    EXPECT_EQ(layout.spectatorField, SkinRect{});
    EXPECT_EQ(layout.maxSpectators, 0);
    EXPECT_EQ(layout.textColor, (RgbColor{255, 168, 0}));
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_TRUE(layout.pages[0].controls.empty());
    // One page: no previous and next rectangles are read.
    EXPECT_FALSE(layout.frame.previousButton.has_value());
    EXPECT_EQ(layout.frame.maxPlayers, 8);
}

TEST(SessionOptionsLayoutTest, UnknownKeywordCountsAsASkippedControl) {
    SessionOptionsLayout layout = parse(
        "[PAGE_INFO] 1 3\n"
        "EDIT 1 2 3 4\n"
        "SLIDER\n"
        "ONOFF 5 6 7 8 0\n"
        "[BUTTON] 1 1 2 2 3 3 4 4 1 8 5 5 6 6 7 7 8 8 9 9 10 10 11 11 12 12\n");
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_EQ(layout.pages[0].skippedControls, 1);
    ASSERT_EQ(layout.pages[0].controls.size(), 2u);
    EXPECT_EQ(layout.pages[0].controls[1].kind, OptionKind::OnOff);
}

TEST(SessionOptionsLayoutTest, BrokenLayoutsAreFatal) {
    const std::string buttons =
        "[BUTTON] 1 1 2 2 3 3 4 4 1 8 5 5 6 6 7 7 8 8 9 9 10 10 11 11 12 12\n";
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"no PAGE_INFO", buttons},
        {"no BUTTON", "[PAGE_INFO] 1 0\n"},
        {"two pages without previous and next", "[PAGE_INFO] 2 0 0\n" + buttons},
        {"negative spin minimum", "[PAGE_INFO] 1 1 SPIN 1 2 3 4 -1 5 2\n" + buttons},
        {"list shorter than its count", "[PAGE_INFO] 1 1 LIST 1 2 3 4 9 a b"},
        {"spectator section cut short", "[SPECTATOR] 1 2 3\n[PAGE_INFO] 1 0\n" + buttons},
        {"nesting too deep", "[PAGE_INFO] 1 1 " +
                                 [] {
                                     std::string nested;
                                     for (int i = 0; i <= kMaxOptionNesting + 1; ++i)
                                         nested += "CHECKBOX 1 1 2 2 1 1 1 ";
                                     return nested;
                                 }()},
    };
    for (const Case& c : cases) EXPECT_EQ(fatalTextOfParse(c.text), kTextBrokenFile) << c.name;
}

TEST(SessionOptionsLayoutTest, KeywordsAreCaseSensitive) {
    EXPECT_EQ(optionKindFromKeyword("LIST"), OptionKind::List);
    EXPECT_EQ(optionKindFromKeyword("list"), OptionKind::Unknown);
    EXPECT_EQ(optionKindFromKeyword("TEXTRGB"), OptionKind::TextRgb);
    EXPECT_EQ(static_cast<int>(optionKindFromKeyword("TEXTRGB")), 10);
}

TEST(CountryListTest, ReadsTheScrambledList) {
    std::string text = "[START]\n3\nFrance\nUnited|Kingdom\nC\xF4te|d'Ivoire\n";
    scramble(text);
    testing::TempDir dir;
    auto path = dir.write("country.bin", text);
    EXPECT_EQ(loadCountryList(path.string()),
              (std::vector<std::string>{"France", "United Kingdom", "C\xF4te d'Ivoire"}));
}

}  // namespace
}  // namespace tessary::skin
