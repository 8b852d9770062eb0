// The .bmp writer of the generators and tests (desktop/jpeg_writer.h writes
// JPEG pictures).
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/decoded_image.h"

namespace tessary::desktop {

// A 24-bit, bottom-up, uncompressed Windows bitmap file.
[[nodiscard]] std::vector<std::uint8_t> encodeBmp24(const DecodedImage& image);

}  // namespace tessary::desktop
