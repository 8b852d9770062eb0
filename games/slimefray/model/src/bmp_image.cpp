#include "slimefray/bmp_image.h"

namespace tessary::slimefray {
namespace {

uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t u16(std::span<const uint8_t> b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

uint32_t opaque(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

void putLe(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

std::optional<Image> decodeBmp(std::span<const uint8_t> file) {
    constexpr size_t kFileHeader = 14;
    if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const uint64_t pixelOffset = u32(file, 10);
    const uint32_t headerSize = u32(file, 14);
    if (headerSize < 40 || kFileHeader + uint64_t(headerSize) > file.size()) return std::nullopt;
    const int32_t width = int32_t(u32(file, 18));
    const int32_t rawHeight = int32_t(u32(file, 22));
    const uint16_t planes = u16(file, 26);
    const uint16_t bits = u16(file, 28);
    const uint32_t compression = u32(file, 30);
    const uint32_t colorsUsed = u32(file, 46);
    if (planes != 1 || (bits != 8 && bits != 24 && bits != 32)) return std::nullopt;
    if (compression != 0 && !(compression == 3 && bits == 32)) return std::nullopt;
    if (rawHeight == INT32_MIN) return std::nullopt;
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    if (width < 1 || height < 1 || width > kMaxBmpSide || height > kMaxBmpSide ||
        uint64_t(width) * uint64_t(height) > kMaxBmpPixels) {
        return std::nullopt;
    }

    std::vector<uint32_t> palette;
    if (bits == 8) {
        const uint32_t entries = colorsUsed == 0 ? 256 : colorsUsed;
        const uint64_t paletteAt = kFileHeader + uint64_t(headerSize);
        if (entries > 256 || paletteAt + 4ull * entries > file.size() || paletteAt + 4ull * entries > pixelOffset) {
            return std::nullopt;
        }
        for (uint32_t i = 0; i < entries; ++i) {
            size_t at = size_t(paletteAt) + 4 * i;
            palette.push_back(opaque(file[at + 2], file[at + 1], file[at]));
        }
    }

    const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
    if (pixelOffset < kFileHeader + headerSize || pixelOffset + stride * uint64_t(height) > file.size()) {
        return std::nullopt;
    }

    Image image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (int32_t row = 0; row < height; ++row) {
        const size_t rowAt = size_t(pixelOffset + stride * uint64_t(row));
        const int32_t y = topDown ? row : height - 1 - row;
        uint32_t* out = &image.pixels[size_t(y) * size_t(width)];
        for (int32_t x = 0; x < width; ++x) {
            if (bits == 8) {
                uint8_t index = file[rowAt + size_t(x)];
                out[x] = index < palette.size() ? palette[index] : opaque(0, 0, 0);
            } else {
                size_t at = rowAt + size_t(x) * (bits / 8);
                out[x] = opaque(file[at + 2], file[at + 1], file[at]);
            }
        }
    }
    return image;
}

Bytes encodeBmp24(const Image& image) {
    const uint32_t stride = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = stride * uint32_t(image.height);
    Bytes out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putLe(out, 54 + pixelBytes, 4);
    putLe(out, 0, 4);
    putLe(out, 54, 4);
    putLe(out, 40, 4);
    putLe(out, uint32_t(image.width), 4);
    putLe(out, uint32_t(image.height), 4);
    putLe(out, 1, 2);
    putLe(out, 24, 2);
    putLe(out, 0, 4);
    putLe(out, pixelBytes, 4);
    putLe(out, 2835, 4);
    putLe(out, 2835, 4);
    putLe(out, 0, 4);
    putLe(out, 0, 4);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.pixel(x, y);
            out.push_back(uint8_t(p));
            out.push_back(uint8_t(p >> 8));
            out.push_back(uint8_t(p >> 16));
        }
        for (uint32_t pad = uint32_t(image.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace tessary::slimefray
