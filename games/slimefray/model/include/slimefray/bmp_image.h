// A bounded reader and a writer for Windows bitmap files, without Qt: pictures
// that arrive from the server are checked here before anything trusts them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "slimefray/messages.h"

namespace tessary::slimefray {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xFFRRGGBB, row by row from the top

    uint32_t pixel(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Image&) const = default;
};

inline constexpr int kMaxBmpSide = 8192;
inline constexpr size_t kMaxBmpPixels = 16u * 1024 * 1024;

// Uncompressed 8-, 24- and 32-bit pictures, bottom-up or top-down. Anything
// else, and any header whose sizes, offsets or palette do not fit inside the
// given bytes, is refused. Palette indices past the palette read as black.
[[nodiscard]] std::optional<Image> decodeBmp(std::span<const uint8_t> file);

// A 24-bit bottom-up file of the image (alpha dropped).
Bytes encodeBmp24(const Image& image);

}  // namespace tessary::slimefray
