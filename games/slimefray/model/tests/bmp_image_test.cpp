#include "slimefray/bmp_image.h"

#include <gtest/gtest.h>

namespace tessary::slimefray {
namespace {

Image sample(int width, int height) {
    Image image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.pixels.push_back(0xFF000000u | uint32_t(x * 40) << 16 | uint32_t(y * 30));
    }
    return image;
}

void putLe(Bytes& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// A 2x2 8-bit picture with a 3-entry palette.
Bytes palettePicture() {
    Bytes file(54 + 12 + 8, 0);
    file[0] = 'B', file[1] = 'M';
    putLe(file, 2, uint32_t(file.size()), 4);
    putLe(file, 10, 54 + 12, 4);
    putLe(file, 14, 40, 4);
    putLe(file, 18, 2, 4);
    putLe(file, 22, 2, 4);
    putLe(file, 26, 1, 2);
    putLe(file, 28, 8, 2);
    putLe(file, 46, 3, 4);
    const uint8_t palette[] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};  // red, green, blue (BGR0)
    std::copy(std::begin(palette), std::end(palette), file.begin() + 54);
    const uint8_t rows[] = {2, 7, 0, 0, 0, 1, 0, 0};  // bottom row: blue, index 7 (none); top: red, green
    std::copy(std::begin(rows), std::end(rows), file.begin() + 66);
    return file;
}

TEST(Bmp, RoundTrips24BitPicturesOfEveryRowPadding) {
    for (int width : {1, 2, 3, 4, 5, 50}) {
        Image image = sample(width, 3);
        auto decoded = decodeBmp(encodeBmp24(image));
        ASSERT_TRUE(decoded) << width;
        EXPECT_EQ(*decoded, image) << width;
    }
}

TEST(Bmp, ReadsEightBitPalettesAndTreatsMissingEntriesAsBlack) {
    auto image = decodeBmp(palettePicture());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image->pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(image->pixel(0, 1), 0xFF0000FFu);
    EXPECT_EQ(image->pixel(1, 1), 0xFF000000u);
}

TEST(Bmp, ReadsTopDownPictures) {
    Image image = sample(3, 2);
    Bytes file = encodeBmp24(image);
    putLe(file, 22, uint32_t(-2), 4);
    auto decoded = decodeBmp(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixel(0, 0), image.pixel(0, 1));
}

TEST(Bmp, RefusesEveryTruncatedFile) {
    for (const Bytes& file : {encodeBmp24(sample(5, 4)), palettePicture()}) {
        for (size_t size = 0; size < file.size(); ++size) {
            EXPECT_FALSE(decodeBmp(std::span(file).first(size))) << size;
        }
    }
}

TEST(Bmp, RefusesHeadersItCannotTrust) {
    struct Row {
        const char* name;
        size_t at;
        uint32_t value;
        int bytes;
    };
    const Row rows[] = {
        {"magic", 0, 'X', 1},
        {"16 bits", 28, 16, 2},
        {"run-length compression", 30, 1, 4},
        {"two planes", 26, 2, 2},
        {"zero width", 18, 0, 4},
        {"negative width", 18, uint32_t(-4), 4},
        {"huge width", 18, 100000, 4},
        {"huge area", 18, 8000, 4},
        {"pixels past the end", 10, 60, 4},
        {"pixels inside the header", 10, 20, 4},
        {"header larger than the file", 14, 0x7FFFFFFF, 4},
        {"small header", 14, 12, 4},
        {"height of INT32_MIN", 22, 0x80000000u, 4},
    };
    for (const Row& row : rows) {
        Bytes file = encodeBmp24(sample(4, 4000));
        putLe(file, row.at, row.value, row.bytes);
        EXPECT_FALSE(decodeBmp(file)) << row.name;
    }
    Bytes file = palettePicture();
    putLe(file, 46, 300, 4);
    EXPECT_FALSE(decodeBmp(file)) << "palette above 256";
    file = palettePicture();
    putLe(file, 46, 0, 4);  // 256 entries do not fit
    EXPECT_FALSE(decodeBmp(file)) << "palette past the pixels";
}

}  // namespace
}  // namespace tessary::slimefray
