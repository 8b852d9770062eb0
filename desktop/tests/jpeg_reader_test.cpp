#include "desktop/jpeg_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "desktop/jpeg_writer.h"
#include "desktop/testing/test_files.h"

namespace tessary::desktop {
namespace {

// Four flat quadrants: red, green, blue and a light grey, which survive JPEG
// compression within a few levels.
DecodedImage quadrants(int width, int height) {
    DecodedImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool right = x >= width / 2, bottom = y >= height / 2;
            std::uint32_t color =
                !bottom ? (right ? 0x00C000 : 0xC00000) : (right ? 0xC0C0C0 : 0x0000C0);
            image.pixels.push_back(0xFF000000u | color);
        }
    }
    return image;
}

int channelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16}) {
        int d =
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

void expectCloseTo(const DecodedImage& decoded, const DecodedImage& original) {
    ASSERT_EQ(decoded.width, original.width);
    ASSERT_EQ(decoded.height, original.height);
    // Sample the middle of each quadrant, away from the edges JPEG blurs.
    for (int qy : {1, 3}) {
        for (int qx : {1, 3}) {
            int x = original.width * qx / 4, y = original.height * qy / 4;
            EXPECT_LE(channelDistance(decoded.pixel(x, y), original.pixel(x, y)), 6)
                << x << "," << y;
            EXPECT_EQ(decoded.pixel(x, y) >> 24, 0xFFu);
        }
    }
}

TEST(JpegReaderTest, DecodesFromMemoryAndFromAFile) {
    DecodedImage original = quadrants(48, 32);
    std::vector<std::uint8_t> bytes = encodeJpeg(original, 95);

    DecodedImage fromMemory;
    ASSERT_TRUE(decodeJpeg(bytes, fromMemory));
    expectCloseTo(fromMemory, original);

    testing::TempDir dir;
    auto path = dir.write("picture.jpg", bytes);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    DecodedImage fromFile;
    bool decoded = decodeJpeg(file, fromFile);
    std::fclose(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(fromFile.pixels, fromMemory.pixels);
}

TEST(JpegReaderTest, RejectedPicturesFailWithoutAnImage) {
    const std::vector<std::uint8_t> good = encodeJpeg(quadrants(16, 16), 90);
    auto withByte = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    // The frame header (SOF0) follows the quantisation tables; find it.
    std::size_t sof = 2;
    while (sof + 1 < good.size() && !(good[sof] == 0xFF && good[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, good.size());

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"not a JPEG", {'B', 'M', 0, 0, 0, 0, 1, 2, 3}},
        {"only the start marker", {0xFF, 0xD8}},
        {"garbage after the start marker", {0xFF, 0xD8, 0x12, 0x34, 0x56, 0x78, 0x9A}},
        {"twelve-bit samples", withByte(sof + 4, 12)},
        {"zero width",
         [&] {
             std::vector<std::uint8_t> b = withByte(sof + 7, 0);
             b[sof + 8] = 0;
             return b;
         }()},
        {"five components", withByte(sof + 9, 5)},
    };
    for (const Case& c : cases) {
        DecodedImage image;
        EXPECT_FALSE(decodeJpeg(c.bytes, image)) << c.name;
        EXPECT_TRUE(image.pixels.empty()) << c.name;
        EXPECT_EQ(image.width, 0) << c.name;
    }
    DecodedImage image;
    EXPECT_FALSE(decodeJpeg(std::span<const std::uint8_t>{}, image));
    EXPECT_FALSE(decodeJpeg(static_cast<std::FILE*>(nullptr), image));
}

TEST(JpegReaderTest, PictureCutShortStillDecodesItsSize) {
    // libjpeg treats a missing tail as a warning and fills the rest: the
    // picture keeps its size, which is what the lobby's windows depend on.
    std::vector<std::uint8_t> bytes = encodeJpeg(quadrants(64, 64), 90);
    std::size_t scan = 2;  // start of scan (SOS): the entropy-coded data follows
    while (scan + 1 < bytes.size() && !(bytes[scan] == 0xFF && bytes[scan + 1] == 0xDA)) ++scan;
    ASSERT_LT(scan + 40, bytes.size());
    bytes.resize(scan + 30);
    DecodedImage image;
    ASSERT_TRUE(decodeJpeg(bytes, image));
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
}

}  // namespace
}  // namespace tessary::desktop
