// A decoded picture as plain pixels, before a program turns it into its
// toolkit's picture: the readers stay free of the windowing toolkit so they
// can be fuzzed alone and used by the service.
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
    bool operator==(const DecodedImage&) const = default;
};

// Pictures larger than this in either direction, or with more pixels than
// kMaxImagePixels, are refused before anything is allocated.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 26;

// Tighter bounds for a reader's caller that takes pictures from the network.
struct ImageLimits {
    int maxSide = kMaxImageSide;
    std::int64_t maxPixels = kMaxImagePixels;
};

}  // namespace tessary::desktop
