#include "desktop/bmp_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "desktop/image_writers.h"

namespace tessary::desktop {
namespace {

// Builds bitmap files of any layout the reader accepts, from raw pixel values
// (palette indices or packed pixels) given row by row from the top.
struct BmpBuilder {
    int width = 1;
    int height = 1;
    int bits = 24;
    bool topDown = false;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::vector<std::uint32_t> palette;  // 0xRRGGBB
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 3> masks{};
    std::vector<std::uint32_t> values;
    std::uint32_t declaredPixelOffset = 0;  // 0: where the pixels really start

    std::vector<std::uint8_t> build() const {
        const bool core = headerSize == 12;
        std::vector<std::uint8_t> out = {'B', 'M'};
        put32(out, 0);  // file size, patched below
        put32(out, 0);
        put32(out, 0);  // pixel offset, patched below
        put32(out, headerSize);
        if (core) {
            put16(out, static_cast<std::uint32_t>(width));
            put16(out, static_cast<std::uint32_t>(height));
            put16(out, 1);
            put16(out, static_cast<std::uint32_t>(bits));
        } else {
            put32(out, static_cast<std::uint32_t>(width));
            put32(out, static_cast<std::uint32_t>(topDown ? -height : height));
            put16(out, 1);
            put16(out, static_cast<std::uint32_t>(bits));
            put32(out, compression);
            put32(out, 0);
            put32(out, 0);
            put32(out, 0);
            put32(out, colorsUsed);
            put32(out, 0);
            for (std::uint32_t i = 40; i < headerSize; i += 4) {
                std::uint32_t index = (i - 40) / 4;
                put32(out, index < 3 ? masks[index] : 0);
            }
            if (headerSize == 40 && compression == 3) {
                for (std::uint32_t mask : masks) put32(out, mask);
            }
        }
        for (std::uint32_t color : palette) {
            out.push_back(static_cast<std::uint8_t>(color));
            out.push_back(static_cast<std::uint8_t>(color >> 8));
            out.push_back(static_cast<std::uint8_t>(color >> 16));
            if (!core) out.push_back(0);
        }
        const std::uint32_t pixelStart = static_cast<std::uint32_t>(out.size());
        const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
        for (int stored = 0; stored < height; ++stored) {
            const int row = topDown ? stored : height - 1 - stored;
            std::vector<std::uint8_t> line(stride, 0);
            for (int x = 0; x < width; ++x) {
                std::uint32_t value = values[static_cast<std::size_t>(row * width + x)];
                std::size_t bit = static_cast<std::size_t>(x) * bits;
                if (bits < 8) {
                    line[bit / 8] |= static_cast<std::uint8_t>(value << (8 - bits - bit % 8));
                } else {
                    for (int byte = 0; byte < bits / 8; ++byte) {
                        line[bit / 8 + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
                    }
                }
            }
            out.insert(out.end(), line.begin(), line.end());
        }
        patch32(out, 2, static_cast<std::uint32_t>(out.size()));
        patch32(out, 10, declaredPixelOffset ? declaredPixelOffset : pixelStart);
        return out;
    }

    static void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    }
    static void patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

std::vector<std::uint32_t> decodedColors(const DecodedImage& image) {
    std::vector<std::uint32_t> colors;
    for (std::uint32_t pixel : image.pixels) colors.push_back(pixel & 0xFFFFFF);
    return colors;
}

struct DepthCase {
    const char* name;
    BmpBuilder file;
    std::vector<std::uint32_t> expected;  // 0xRRGGBB, rows from the top
};

std::vector<DepthCase> depthCases() {
    std::vector<DepthCase> cases;
    {
        BmpBuilder b;
        b.bits = 1;
        b.width = 10;  // not a whole byte per row
        b.height = 2;
        b.palette = {0x102030, 0xF0E0D0};
        b.values = {1, 0, 1, 1, 0, 0, 0, 1, 0, 1,  //
                    0, 1, 0, 0, 1, 1, 1, 0, 1, 0};
        std::vector<std::uint32_t> expected;
        for (std::uint32_t v : b.values) expected.push_back(b.palette[v]);
        cases.push_back({"1 bit", b, expected});
    }
    {
        BmpBuilder b;
        b.bits = 4;
        b.width = 5;
        b.height = 3;
        for (std::uint32_t i = 0; i < 16; ++i) b.palette.push_back(i * 0x0F0F0F + 0x000100 * i);
        for (std::uint32_t i = 0; i < 15; ++i) b.values.push_back((i * 7) % 16);
        std::vector<std::uint32_t> expected;
        for (std::uint32_t v : b.values) expected.push_back(b.palette[v]);
        cases.push_back({"4 bits", b, expected});
    }
    {
        BmpBuilder b;  // a short colour table ("colours used" = 3) moves the pixels up
        b.bits = 8;
        b.width = 3;
        b.height = 2;
        b.colorsUsed = 3;
        b.palette = {0xFF0000, 0x00FF00, 0x0000FF};
        b.values = {0, 1, 2, 2, 1, 0};
        cases.push_back({"8 bits short table",
                         b,
                         {0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF, 0x00FF00, 0xFF0000}});
    }
    {
        BmpBuilder b;  // indices past the table are black, never read beyond it
        b.bits = 8;
        b.width = 2;
        b.height = 1;
        b.colorsUsed = 1;
        b.palette = {0x123456};
        b.values = {0, 200};
        cases.push_back({"8 bits index past table", b, {0x123456, 0x000000}});
    }
    {
        BmpBuilder b;
        b.bits = 16;
        b.width = 5;
        b.height = 1;
        b.values = {0x7C00, 0x03E0, 0x001F, 0x4210, 0x7FFF};
        cases.push_back({"16 bits 5-5-5", b, {0xFF0000, 0x00FF00, 0x0000FF, 0x848484, 0xFFFFFF}});
    }
    {
        BmpBuilder b;
        b.bits = 16;
        b.compression = 3;
        b.masks = {0xF800, 0x07E0, 0x001F};
        b.width = 3;
        b.height = 2;
        b.values = {0xF800, 0x07E0, 0x001F, 0x8410, 0x0000, 0xFFFF};
        cases.push_back({"16 bits 5-6-5 bit fields",
                         b,
                         {0xFF0000, 0x00FF00, 0x0000FF, 0x848284, 0x000000, 0xFFFFFF}});
    }
    {
        BmpBuilder b;
        b.bits = 24;
        b.width = 3;  // 9 bytes per row, padded to 12
        b.height = 2;
        b.values = {0x010203, 0xA0B0C0, 0xFFFFFF, 0x000000, 0x7F8081, 0xFF00FF};
        cases.push_back({"24 bits bottom-up", b, b.values});
    }
    {
        BmpBuilder b;
        b.bits = 24;
        b.topDown = true;
        b.width = 2;
        b.height = 3;
        b.values = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010101};
        cases.push_back({"24 bits top-down", b, b.values});
    }
    {
        BmpBuilder b;
        b.bits = 32;
        b.width = 2;
        b.height = 2;
        b.values = {0xFF102030, 0x00405060, 0x80708090, 0x12A0B0C0};
        cases.push_back({"32 bits plain", b, {0x102030, 0x405060, 0x708090, 0xA0B0C0}});
    }
    {
        BmpBuilder b;
        b.bits = 32;
        b.compression = 3;
        b.masks = {0x0000FF00, 0x00FF0000, 0xFF000000};  // stored as B G R x reversed
        b.width = 2;
        b.height = 1;
        b.values = {0x3322110A, 0xCCBBAA00};
        cases.push_back({"32 bits bit fields", b, {0x112233, 0xAABBCC}});
    }
    {
        BmpBuilder b;
        b.bits = 32;
        b.compression = 3;
        b.headerSize = 124;                              // masks inside the V5 header
        b.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};  // 10 bits a channel
        b.width = 2;
        b.height = 1;
        b.values = {0x3FF00000, 0x00080200 | 0x3FF};
        cases.push_back({"32 bits 10-10-10 in a V5 header", b, {0xFF0000, 0x0080FF}});
    }
    {
        BmpBuilder b;
        b.headerSize = 12;  // core header, three-byte table entries
        b.bits = 8;
        b.width = 2;
        b.height = 2;
        b.palette.assign(256, 0);
        b.palette[5] = 0x0A0B0C;
        b.palette[255] = 0xFAFBFC;
        b.values = {5, 255, 255, 5};
        cases.push_back({"8 bits core header", b, {0x0A0B0C, 0xFAFBFC, 0xFAFBFC, 0x0A0B0C}});
    }
    return cases;
}

TEST(BmpReaderTest, EveryDepthPixelByPixel) {
    for (const DepthCase& c : depthCases()) {
        std::vector<std::uint8_t> bytes = c.file.build();
        DecodedImage image;
        ASSERT_EQ(decodeBmp(bytes, image), BmpError::None) << c.name;
        EXPECT_EQ(image.width, c.file.width) << c.name;
        EXPECT_EQ(image.height, c.file.height) << c.name;
        EXPECT_EQ(decodedColors(image), c.expected) << c.name;
        for (std::uint32_t pixel : image.pixels) EXPECT_EQ(pixel >> 24, 0xFFu) << c.name;
    }
}

TEST(BmpReaderTest, EveryTruncatedPrefixIsRefused) {
    for (const DepthCase& c : depthCases()) {
        std::vector<std::uint8_t> bytes = c.file.build();
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            // An exact-size copy, so a read past the end trips the sanitizer.
            std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + size);
            DecodedImage image;
            EXPECT_NE(decodeBmp(prefix, image), BmpError::None) << c.name << " size " << size;
            EXPECT_TRUE(image.pixels.empty());
        }
    }
}

TEST(BmpReaderTest, DeclaredPixelOffsetIsUsedWhenItLeavesRoom) {
    BmpBuilder b;
    b.width = 1;
    b.height = 1;
    b.values = {0x445566};
    std::vector<std::uint8_t> bytes = b.build();
    // Two bytes of padding between the header and the pixels.
    bytes.insert(bytes.begin() + 54, {0xEE, 0xEE});
    BmpBuilder::patch32(bytes, 10, 56);
    DecodedImage image;
    ASSERT_EQ(decodeBmp(bytes, image), BmpError::None);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x445566u);
}

TEST(BmpReaderTest, LyingHeadersAreRefused) {
    BmpBuilder good;
    good.width = 4;
    good.height = 4;
    good.values.assign(16, 0x808080);
    const std::vector<std::uint8_t> base = good.build();

    struct Case {
        const char* name;
        std::size_t offset;
        std::uint32_t value;
        BmpError expected;
    };
    const Case cases[] = {
        {"not BM", 0, 0x00004142, BmpError::NotBitmap},
        {"huge width", 18, 0x7FFFFFFF, BmpError::BadHeader},
        {"negative width", 18, 0xFFFFFFFC, BmpError::BadHeader},
        {"zero height", 22, 0, BmpError::BadHeader},
        {"lowest height", 22, 0x80000000, BmpError::BadHeader},
        {"height beyond the data", 22, 400, BmpError::Truncated},
        {"width beyond the data", 18, 400, BmpError::Truncated},
        {"header size too small", 14, 39, BmpError::BadHeader},
        {"header size beyond the file", 14, 124, BmpError::BadHeader},
        {"header size absurd", 14, 0xFFFFFFFF, BmpError::BadHeader},
        {"two bits a pixel", 28, 2, BmpError::Unsupported},
        {"run-length compression", 30, 1, BmpError::Unsupported},
        {"bit fields with 24 bits", 30, 3, BmpError::Unsupported},
        {"pixel offset beyond the file", 10, 0x7FFFFFFF, BmpError::Truncated},
        {"colours used huge", 46, 0x40000000, BmpError::Truncated},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = base;
        if (c.offset == 0) {
            bytes[0] = 'A';
            bytes[1] = 'B';
        } else {
            BmpBuilder::patch32(bytes, c.offset, c.value);
        }
        DecodedImage image;
        EXPECT_EQ(decodeBmp(bytes, image), c.expected) << c.name;
        EXPECT_TRUE(image.pixels.empty()) << c.name;
    }
}

TEST(BmpReaderTest, TooManyPixelsAreRefusedBeforeAllocating) {
    BmpBuilder b;
    b.bits = 1;
    b.palette = {0, 0xFFFFFF};
    b.values = {0};
    std::vector<std::uint8_t> bytes = b.build();
    BmpBuilder::patch32(bytes, 18, kMaxImageSide);
    BmpBuilder::patch32(bytes, 22, kMaxImageSide);
    DecodedImage image;
    EXPECT_EQ(decodeBmp(bytes, image), BmpError::BadHeader);

    // A caller's tighter bounds, on a 4 x 3 picture.
    DecodedImage small{4, 3, std::vector<std::uint32_t>(12, 0xFF102030u)};
    const std::vector<std::uint8_t> file = encodeBmp24(small);
    struct Case {
        ImageLimits limits;
        BmpError expected;
    };
    for (const Case& c : {Case{{3, 100}, BmpError::BadHeader}, Case{{4, 11}, BmpError::BadHeader},
                          Case{{4, 12}, BmpError::None}}) {
        EXPECT_EQ(decodeBmp(file, image, c.limits), c.expected)
            << c.limits.maxSide << " " << c.limits.maxPixels;
    }
    EXPECT_EQ(image, small);
}

TEST(BmpReaderTest, OwnWriterRoundTripsEveryRowPadding) {
    for (int width : {1, 2, 3, 4, 5}) {
        DecodedImage picture;
        picture.width = width;
        picture.height = 3;
        for (std::uint32_t i = 0; i < std::uint32_t(width) * 3; ++i) {
            picture.pixels.push_back(0xFF000000u | (i * 0x110F0D));
        }
        DecodedImage decoded;
        ASSERT_EQ(decodeBmp(encodeBmp24(picture), decoded), BmpError::None) << width;
        EXPECT_EQ(decoded, picture) << width;
    }
}

}  // namespace
}  // namespace tessary::desktop
