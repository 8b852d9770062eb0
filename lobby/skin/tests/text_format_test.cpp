#include "skin/text_format.h"

#include <gtest/gtest.h>

namespace tessary::skin {
namespace {

TEST(FormatTextTest, FillsPlaceholdersInOrder) {
    struct Case {
        const char* pattern;
        std::initializer_list<std::string_view> arguments;
        const char* expected;
    };
    const Case cases[] = {
        {"Cannot open %s.", {"/a/b.ini"}, "Cannot open /a/b.ini."},
        {"Choose from %d to %d.", {"2", "8"}, "Choose from 2 to 8."},
        {"/%s: no player %s", {"WHOIS", "Bob"}, "/WHOIS: no player Bob"},
        {"%3d%% done", {"42"}, "42% done"},
        {"%-10s|", {"x"}, "x|"},
        {"missing %s and %d", {"one"}, "missing one and "},
        {"no placeholder", {"unused"}, "no placeholder"},
        {"odd %q and %", {"x"}, "odd %q and %"},
        {"%s", {"%s %d"}, "%s %d"},  // arguments are never read as patterns
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatText(c.pattern, c.arguments), c.expected) << c.pattern;
}

}  // namespace
}  // namespace tessary::skin
