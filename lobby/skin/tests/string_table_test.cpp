#include "skin/string_table.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace tessary::skin {
namespace {

TEST(StringTableTest, LooksUpTextsByNumber) {
    testing::TempDir dir;
    StringTable table(dir.write("strings.bin",
                                "1:TSClient\n"
                                "  \n"
                                "   35:Fatal error\r\n"
                                "36:Cannot open %s\n"
                                "21: Arena\n"
                                "40:Tab\\there\n"
                                "41:Two\\nlines and a \\\\ backslash\\q\n"
                                "no number here\n"
                                "99:Last line\n"));
    struct Case {
        int number;
        const char* expected;
    };
    const Case cases[] = {
        {1, "TSClient"},        {35, "Fatal error"},
        {36, "Cannot open %s"}, {21, " Arena"},  // the blank after the colon belongs to the text
        {40, "Tab \there"},     {41, "Two \nlines and a  \\ backslash q"},
        {99, "Last line"},      {5, "Last line"},  // not in the file: the last line's text
    };
    for (const Case& c : cases) EXPECT_EQ(table.text(c.number), c.expected) << c.number;
}

TEST(StringTableTest, MissingFileGivesEmptyTexts) {
    testing::TempDir dir;
    StringTable table(dir.path() / "strings.bin");
    EXPECT_EQ(table.text(1), "");
}

TEST(StringTableTest, LongTextsAreCutAndTheRestOfTheLineDropped) {
    testing::TempDir dir;
    std::string longText(600, 'a');
    StringTable table(dir.write("strings.bin", "7:" + longText + "\n8:next\n"));
    EXPECT_EQ(table.text(7), std::string(StringTable::kMaxTextLength, 'a'));
    EXPECT_EQ(table.text(8), "next");
}

TEST(StringTableTest, ReadsTheFileAgainOnEveryLookUp) {
    testing::TempDir dir;
    auto file = dir.write("strings.bin", "1:old\n");
    StringTable table(file);
    EXPECT_EQ(table.text(1), "old");
    dir.write("strings.bin", "1:new\n");
    EXPECT_EQ(table.text(1), "new");
}

TEST(StringTableUnescapeTest, KeepsTheLength) {
    struct Case {
        const char* raw;
        const char* expected;
    };
    const Case cases[] = {
        {"a\\nb", "a \nb"}, {"a\\rb", "a \rb"}, {"a\\tb", "a \tb"},
        {"a\\xb", "a xb"},  {"end\\", "end "},  {"\\\\", " \\"},
    };
    for (const Case& c : cases) {
        std::string text = StringTable::unescape(c.raw);
        EXPECT_EQ(text, c.expected) << c.raw;
        EXPECT_EQ(text.size(), std::string(c.raw).size()) << c.raw;
    }
}

}  // namespace
}  // namespace tessary::skin
