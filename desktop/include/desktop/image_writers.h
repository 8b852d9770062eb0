// Writers of the two picture formats the skin reads, used by the artwork
// generator and by tests.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/decoded_image.h"

namespace tessary::desktop {

// A 24-bit, bottom-up, uncompressed Windows bitmap file.
[[nodiscard]] std::vector<std::uint8_t> encodeBmp24(const DecodedImage& image);

// A baseline JPEG file (libjpeg, RGB input); `quality` from 1 to 100.
[[nodiscard]] std::vector<std::uint8_t> encodeJpeg(const DecodedImage& image, int quality);

}  // namespace tessary::desktop
