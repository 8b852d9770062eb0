// The .bmp reader takes pictures from the network: no input may read outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "slimefray/bmp_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = tessary::slimefray::decodeBmp({data, size});
    if (image && image->pixels.size() != size_t(image->width) * size_t(image->height)) std::abort();
    return 0;
}
