// The JPEG writer of the generators and tests.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/decoded_image.h"

namespace tessary::desktop {

// A baseline JPEG file (libjpeg, RGB input); `quality` from 1 to 100.
[[nodiscard]] std::vector<std::uint8_t> encodeJpeg(const DecodedImage& image, int quality);

}  // namespace tessary::desktop
