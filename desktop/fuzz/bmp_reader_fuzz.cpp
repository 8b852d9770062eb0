// Any bytes into the .bmp reader: it must refuse or decode, never read past
// the input or allocate beyond what the input can describe.
#include <cstddef>
#include <cstdint>

#include "desktop/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessary::desktop::DecodedImage image;
    if (tessary::desktop::decodeBmp({data, size}, image) == tessary::desktop::BmpError::None) {
        // Every pixel of a decoded picture is opaque and within the picture.
        volatile std::uint32_t sum = 0;
        for (std::uint32_t pixel : image.pixels) sum = sum + (pixel >> 24);
        if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
            __builtin_trap();
    }
    return 0;
}
