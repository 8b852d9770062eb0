#include "desktop/text_codec.h"

#include <gtest/gtest.h>

namespace tessary::desktop {
namespace {

TEST(TextCodecTest, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
    EXPECT_EQ(fromCp1252("\x80\xe9\x9f\x81"), U"\u20ac\u00e9\u0178\u0081");
    EXPECT_EQ(toCp1252(U"a\u4e2d\u20ac"), "a?\x80");
    EXPECT_EQ(toCp1252(U"\u4e2d", '_'), "_");
}

}  // namespace
}  // namespace tessary::desktop
