// The reader of Windows bitmap files: 1, 4 and 8 bits with a colour table, 16
// and 32 bits plain or with bit-field masks, 24 bits; bottom-up and top-down;
// the 12-byte core header and the 40- to 124-byte information headers.
// Every offset is checked against the file's size.
#pragma once

#include <cstdint>
#include <span>

#include "desktop/decoded_image.h"

namespace tessary::desktop {

enum class BmpError {
    None,
    NotBitmap,    // shorter than the file header, or not starting with "BM"
    BadHeader,    // the information header is cut short or makes no sense
    Unsupported,  // a compression or bit count this reader does not handle
    Truncated,    // the colour table or the pixel rows lie beyond the file's end
};

// Decodes the whole file held in `file`. On success fills `image`; on failure
// leaves it empty. A picture beyond `limits` is a BadHeader.
[[nodiscard]] BmpError decodeBmp(std::span<const std::uint8_t> file, DecodedImage& image,
                                 ImageLimits limits = {});

}  // namespace tessary::desktop
