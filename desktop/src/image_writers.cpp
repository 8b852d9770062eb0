#include "desktop/image_writers.h"

namespace tessary::desktop {
namespace {

void putU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp24(const DecodedImage& image) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    const std::uint32_t headers = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(headers + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putU32(out, headers + pixelBytes);
    putU32(out, 0);
    putU32(out, headers);
    putU32(out, 40);
    putU32(out, static_cast<std::uint32_t>(image.width));
    putU32(out, static_cast<std::uint32_t>(image.height));
    putU16(out, 1);
    putU16(out, 24);
    putU32(out, 0);  // uncompressed
    putU32(out, pixelBytes);
    putU32(out, 2835);  // 72 dots per inch
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t pixel = image.pixel(x, y);
            out.push_back(static_cast<std::uint8_t>(pixel));
            out.push_back(static_cast<std::uint8_t>(pixel >> 8));
            out.push_back(static_cast<std::uint8_t>(pixel >> 16));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(image.width) * 3; pad < stride; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

}  // namespace tessary::desktop
