#include "desktop/ansi_text.h"

#include <gtest/gtest.h>

namespace tessary::desktop {
namespace {

TEST(AnsiTextTest, EveryByteSurvivesTheRoundTripThroughQt) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(toAnsi(fromAnsi(all)), all);
}

TEST(AnsiTextTest, WindowsCharactersMapToUnicode) {
    EXPECT_EQ(fromAnsi("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(fromAnsi("caf\xE9\xFF \x99"), QStringLiteral("caf\u00E9\u00FF \u2122"));
    EXPECT_EQ(toAnsi(QStringLiteral("\u201Cquoted\u201D \u20AC")), "\x93quoted\x94 \x80");
    EXPECT_EQ(toAnsi(QStringLiteral("\u4E2D")), "?");
}

}  // namespace
}  // namespace tessary::desktop
