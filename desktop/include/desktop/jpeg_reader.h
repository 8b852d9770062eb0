// JPEG pictures through libjpeg (6b interface): a file source, default
// decompression to RGB, and the standard error manager with a jump back on
// fatal errors, so a picture libjpeg rejects is a failed load, never a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "desktop/decoded_image.h"

namespace tessary::desktop {

// Decodes from an open file (read from its current position); the caller
// keeps and closes the file. Returns false and leaves `image` empty when the
// decoder gives up.
[[nodiscard]] bool decodeJpeg(std::FILE* file, DecodedImage& image);

// The same for a picture already in memory.
[[nodiscard]] bool decodeJpeg(std::span<const std::uint8_t> bytes, DecodedImage& image);

}  // namespace tessary::desktop
