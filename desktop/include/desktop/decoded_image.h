// A decoded picture as plain pixels, before it becomes a SkinImage: the
// readers stay free of the windowing toolkit so they can be fuzzed alone.
#pragma once

#include <cstdint>
#include <vector>

namespace tessary::desktop {

struct DecodedImage {
    int width = 0;
    int height = 0;
    // Rows from the top; each pixel 0xFFRRGGBB.
    std::vector<std::uint32_t> pixels;

    std::uint32_t pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Pictures larger than this in either direction, or with more pixels than
// kMaxImagePixels, are refused before anything is allocated.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 26;

}  // namespace tessary::desktop
