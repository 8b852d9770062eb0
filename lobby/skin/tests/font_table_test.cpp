#include "skin/font_table.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <filesystem>

#include "skin/skin_error.h"
#include "test_files.h"

namespace tessary::skin {
namespace {

namespace fs = std::filesystem;
const fs::path kSystemFonts = "/usr/share/fonts/truetype/dejavu";

class FontTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kSystemFonts / "DejaVuSansMono.ttf")) GTEST_SKIP() << "fonts-dejavu-core";
        fs::create_directories(dir_.path() / "data/font");
        for (const char* name : {"DejaVuSans.ttf", "DejaVuSansMono.ttf"}) {
            fs::copy_file(kSystemFonts / name, dir_.path() / "data/font" / name);
        }
    }

    testing::TempDir dir_;
};

TEST_F(FontTableTest, BuildsAndMeasuresEveryEntry) {
    dir_.write("data/font/font.ini",
               "[FONT]\n3\n"
               "13 DejaVuSans.ttf DejaVu|Sans\n"
               "20 DejaVuSansMono.ttf DejaVu|Sans|Mono\n"
               "16 none DejaVu|Sans\n");
    FontTable fonts;
    fonts.load(dir_.path().string() + "/data\\font\\font.ini", dir_.path().string() + "/data/font");
    ASSERT_EQ(fonts.count(), 3);
    EXPECT_EQ(QFontInfo(fonts.font(1)).family(), "DejaVu Sans Mono");
    EXPECT_EQ(QFontInfo(fonts.font(0)).family(), "DejaVu Sans");

    // The height asked for is the line's height, within a pixel of rounding.
    EXPECT_NEAR(fonts.lineHeight(0), 13, 1);
    EXPECT_NEAR(fonts.lineHeight(1), 20, 1);
    EXPECT_NEAR(fonts.lineHeight(2), 16, 1);
    EXPECT_EQ(fonts.widths(1)[0], fonts.lineHeight(1));

    const FontTable::Widths& mono = fonts.widths(1);
    EXPECT_EQ(mono['i'], mono['W']);
    EXPECT_GT(mono['W'], 0);
    const FontTable::Widths& sans = fonts.widths(0);
    EXPECT_GT(sans['W'], sans['i']);
    EXPECT_GT(sans[0xE9], 0);  // é, a Windows-1252 letter
    EXPECT_GT(sans[0x80], 0);  // the euro sign

    // Font numbers wrap around the table.
    EXPECT_EQ(fonts.font(4), fonts.font(1));
    EXPECT_EQ(fonts.font(-1), fonts.font(2));
    EXPECT_EQ(fonts.lineHeight(5), fonts.lineHeight(2));
}

TEST_F(FontTableTest, BrokenOrMissingListIsFatal) {
    dir_.write("data/font/cut.ini", "[FONT]\n2\n13 DejaVuSans.ttf DejaVu|Sans\n14 none\n");
    struct Case {
        const char* file;
        int text;
    };
    const Case cases[] = {{"data/font/absent.ini", kTextCannotOpenFile},
                          {"data/font/cut.ini", kTextBrokenFile}};
    for (const Case& c : cases) {
        FontTable fonts;
        try {
            fonts.load((dir_.path() / c.file).string(), (dir_.path() / "data/font").string());
            ADD_FAILURE() << c.file << ": no error";
        } catch (const SkinFatalError& error) {
            EXPECT_EQ(error.textNumber(), c.text) << c.file;
        }
    }
}

}  // namespace
}  // namespace tessary::skin
