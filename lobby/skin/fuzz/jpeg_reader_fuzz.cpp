// Pictures come from the network (photos) and from game folders: a JPEG that
// libjpeg rejects is a failed load, and one it accepts has exactly its pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/jpeg_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::skin::DecodedImage image;
    if (!tessary::skin::decodeJpeg({data, size}, image)) {
        if (!image.pixels.empty()) std::abort();
        return 0;
    }
    if (image.width <= 0 || image.height <= 0 || image.width > tessary::skin::kMaxImageSide ||
        image.height > tessary::skin::kMaxImageSide ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        std::abort();
    return 0;
}
