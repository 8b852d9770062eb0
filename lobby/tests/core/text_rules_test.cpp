#include <gtest/gtest.h>

#include "lobby/name_filter.h"
#include "lobby/server_text.h"

namespace tessary::lobby {
namespace {

TEST(NameFilter, AllowedCharacters) {
    struct Row {
        char32_t c;
        bool allowed;
    };
    const Row rows[] = {
        {U'a', true},   {U' ', true},   {U'~', true},   {U'\u00e9', true}, {U'\u00c0', true},
        {U'\u00ff', true}, {U'+', false}, {U',', false}, {U';', false},   {U'|', false},
        {0x7f, false},  {0x1f, false},  {U'\u00bf', false}, {U'\u20ac', false}, {U'\u4e2d', false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isNameCharacterAllowed(row.c), row.allowed) << static_cast<uint32_t>(row.c);
    }
}

TEST(NameFilter, LoginCutsAndAccountRemovesOneCharacter) {
    struct Row {
        const char* name;
        std::u32string text;
        NameField field;
        std::u32string expected;
        std::size_t caret;
        bool refused;
    };
    const Row rows[] = {
        {"clean login", U"Ann", NameField::Login, U"Ann", 3, false},
        {"login cut", U"ab;cd", NameField::Login, U"ab", 2, true},
        {"account removes", U"ab;cd", NameField::Account, U"abcd", 2, true},
        {"only the first is treated", U"a|b+c", NameField::Account, U"ab+c", 1, true},
        {"accented kept", U"Ren\u00e9e", NameField::Account, U"Ren\u00e9e", 5, false},
        {"delete character", U"x\x7fy", NameField::Login, U"x", 1, true},
    };
    for (const auto& row : rows) {
        const auto result = filterName(row.text, row.field);
        EXPECT_EQ(result.text, row.expected) << row.name;
        EXPECT_EQ(result.caret, row.caret) << row.name;
        EXPECT_EQ(result.refused, row.refused) << row.name;
    }
}

TEST(ServerText, BoundedAndWithoutControlCharacters) {
    EXPECT_EQ(boundedServerText("Wrong\r\npassword\x07!", kMessageBoxBounds), "Wrong\npassword !");
    EXPECT_EQ(boundedServerText("two\nlines", kTitleBounds), "two lines");
    EXPECT_EQ(boundedServerText(std::string(500, 'x'), {3, 10}), "xxxxxxx...");
    EXPECT_EQ(boundedServerText("1\n2\n3\n4", {2, 10}), "1\n2...");
    EXPECT_EQ(boundedServerText("", kMessageBoxBounds), "");
}

TEST(ServerText, BufferWithoutTerminatorIsReadOnlyToItsEnd) {
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(textFromBuffer(unterminated, sizeof unterminated), "abcd");
    EXPECT_EQ(textFromBuffer("ab\0cd", 5), "ab");
}

}  // namespace
}  // namespace tessary::lobby
