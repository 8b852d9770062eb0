#include "skin/image_loader.h"

#include "desktop/jpeg_writer.h"
#include "skin/skin_error.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

class ImageLoaderTest : public testing::SkinFixture {
protected:
    ImageLoaderTest() {
        writePicture("pictures/blue.bmp", QSize(7, 5), QColor(0, 0, 200));
        desktop::DecodedImage jpeg;
        jpeg.width = 16;
        jpeg.height = 8;
        jpeg.pixels.assign(16 * 8, 0xFF00C000);
        dir_.write("pictures/green.jpg", desktop::encodeJpeg(jpeg, 90));
    }

    std::string at(const std::string& name) const { return dir_.path().string() + "/" + name; }

    template <typename Action>
    static int fatalTextOf(Action&& action) {
        try {
            action();
        } catch (const SkinFatalError& error) {
            return error.textNumber();
        }
        return 0;
    }
};

TEST_F(ImageLoaderTest, ExtensionCaseIsIgnored) {
    struct Case {
        const char* path;
        QSize size;
    };
    const Case cases[] = {
        {"pictures/blue.bmp", {7, 5}},   {"pictures/BLUE.BMP", {7, 5}},
        {"Pictures\\Blue.bMp", {7, 5}},  {"pictures/green.jpg", {16, 8}},
        {"pictures/green.JPG", {16, 8}}, {"PICTURES\\green.JpG", {16, 8}},
    };
    for (const Case& c : cases) {
        SkinImage image;
        EXPECT_TRUE(loadImage(image, at(c.path))) << c.path;
        EXPECT_EQ(image.size(), c.size) << c.path;
    }
    EXPECT_TRUE(systemMessages_.empty());
}

TEST_F(ImageLoaderTest, OnlyTheLastThreeCharactersChooseTheReader) {
    dir_.write("pictures/green.jpeg", testing::readFile(dir_.path() / "pictures/green.jpg"));
    for (const char* name :
         {"pictures/green.jpeg", "pictures/blue.png", "pictures/blue.bm", "pictures/blue.tiff"}) {
        systemMessages_.clear();
        SkinImage image;
        loadImage(image, at("pictures/blue.bmp"));
        EXPECT_FALSE(loadImage(image, at(name))) << name;
        EXPECT_EQ(image.size(), QSize(7, 5)) << name;  // keeps what it held
        ASSERT_EQ(systemMessages_.size(), 1u) << name;
        EXPECT_EQ(systemMessages_[0].first,
                  QString::fromStdString("Unknow file format: " + at(name)));
        EXPECT_EQ(systemMessages_[0].second, "Error");
    }
}

TEST_F(ImageLoaderTest, BrokenPicturesTakeTheirPaths) {
    dir_.write("broken/notbm.bmp", "XX this is not a bitmap at all, not even close");
    dir_.write("broken/short.bmp", "BM");
    std::string truncated = testing::readFile(dir_.path() / "pictures/blue.bmp");
    truncated.resize(truncated.size() - 3);
    dir_.write("broken/truncated.bmp", truncated);
    std::filesystem::create_directories(dir_.path() / "broken/folder.bmp");
    struct Case {
        const char* name;
        int text;
    };
    const Case cases[] = {
        {"broken/missing.bmp", kTextCannotOpenImage}, {"broken/missing.jpg", kTextCannotOpenImage},
        {"broken/folder.bmp", kTextCannotOpenImage},  {"broken/notbm.bmp", kTextNotABitmap},
        {"broken/short.bmp", kTextNotABitmap},        {"broken/truncated.bmp", kTextNotABitmap},
    };
    for (const Case& c : cases) {
        SkinImage image;
        EXPECT_EQ(fatalTextOf([&] { loadImage(image, at(c.name)); }), c.text) << c.name;
        EXPECT_TRUE(image.isNull()) << c.name;
    }
}

TEST_F(ImageLoaderTest, RejectedJpegFailsQuietly) {
    dir_.write("broken/bad.jpg", "\xFF\xD8 not really a JPEG");
    SkinImage image;
    EXPECT_FALSE(loadImage(image, at("broken/bad.jpg")));
    EXPECT_TRUE(image.isNull());
    EXPECT_TRUE(systemMessages_.empty());
    QImage decoded;
    EXPECT_EQ(decodeImageFile(at("broken/bad.jpg"), decoded), ImageFileError::BadJpeg);
}

TEST_F(ImageLoaderTest, FallbackToTheSessionSkin) {
    writePicture("data/default/session/open.bmp", QSize(3, 3), QColor(0, 255, 0));
    writePicture("games/poker/open.bmp", QSize(4, 4), QColor(255, 0, 0));
    SkinImage image;
    ASSERT_TRUE(loadWithFallback(image, at("games/poker/"), "open.bmp"));
    EXPECT_EQ(image.size(), QSize(4, 4));
    ASSERT_TRUE(loadWithFallback(image, at("games/chat/"), "open.bmp"));
    EXPECT_EQ(image.size(), QSize(3, 3));
    EXPECT_EQ(fatalTextOf([&] { loadWithFallback(image, at("games/chat/"), "absent.bmp"); }),
              kTextCannotOpenImage);
}

TEST_F(ImageLoaderTest, MissingResourceIsAFailedLoad) {
    SkinImage image;
    EXPECT_FALSE(loadJpegResource(image, 4711));
    EXPECT_TRUE(image.isNull());
}

}  // namespace
}  // namespace tessary::skin
