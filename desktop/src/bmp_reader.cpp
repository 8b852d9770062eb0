#include "desktop/bmp_reader.h"

#include <bit>
#include <cstddef>

namespace tessary::desktop {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kLargestHeaderSize = 124;  // BITMAPV5HEADER
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionBitFields = 3;

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint32_t opaque(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        bits_ = std::bit_width(mask >> shift_);
    }

    std::uint32_t extract(std::uint32_t pixel) const {
        if (mask_ == 0) return 0;
        std::uint32_t value = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return (value >> (bits_ - 8)) & 0xFF;
        std::uint32_t maximum = (1u << bits_) - 1;
        return (value * 255 + maximum / 2) / maximum;
    }

private:
    std::uint32_t mask_;
    int shift_ = 0;
    int bits_ = 0;
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored from the top
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kCompressionNone;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t headerSize = 0;
    std::size_t paletteEntrySize = 4;
};

BmpError readHeader(std::span<const std::uint8_t> file, ImageLimits limits, Header& header) {
    if (file.size() < kFileHeaderSize + 4) return BmpError::BadHeader;
    header.headerSize = readU32(file, kFileHeaderSize);
    const std::size_t size = header.headerSize;
    const bool core = size == kCoreHeaderSize;
    if (!core && (size < kInfoHeaderSize || size > kLargestHeaderSize)) return BmpError::BadHeader;
    if (file.size() < kFileHeaderSize + size) return BmpError::BadHeader;

    const std::size_t at = kFileHeaderSize;
    if (core) {
        header.width = readU16(file, at + 4);
        header.height = readU16(file, at + 6);
        header.bitCount = readU16(file, at + 10);
        header.paletteEntrySize = 3;
    } else {
        header.width = static_cast<std::int32_t>(readU32(file, at + 4));
        header.height = static_cast<std::int32_t>(readU32(file, at + 8));
        header.bitCount = readU16(file, at + 14);
        header.compression = readU32(file, at + 16);
        header.colorsUsed = readU32(file, at + 32);
        if (size >= 52) {
            header.masks[0] = readU32(file, at + 40);
            header.masks[1] = readU32(file, at + 44);
            header.masks[2] = readU32(file, at + 48);
        }
    }
    if (header.width <= 0 || header.height == 0) return BmpError::BadHeader;
    const std::int64_t rows = header.height < 0 ? -header.height : header.height;
    if (header.width > limits.maxSide || rows > limits.maxSide ||
        header.width * rows > limits.maxPixels) {
        return BmpError::BadHeader;
    }
    return BmpError::None;
}

bool supported(const Header& header) {
    switch (header.bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
            return header.compression == kCompressionNone;
        case 16:
        case 32:
            return header.compression == kCompressionNone ||
                   header.compression == kCompressionBitFields;
        default:
            return false;
    }
}

}  // namespace

BmpError decodeBmp(std::span<const std::uint8_t> file, DecodedImage& image, ImageLimits limits) {
    image = DecodedImage{};
    if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') {
        return BmpError::NotBitmap;
    }
    Header header;
    if (BmpError error = readHeader(file, limits, header); error != BmpError::None) return error;
    if (!supported(header)) return BmpError::Unsupported;

    // The colour table follows the information header; for deep pictures it
    // only exists when "colours used" says so, and plain 40-byte headers keep
    // their three bit-field masks in front of it.
    const std::size_t tableStart = kFileHeaderSize + header.headerSize;
    std::size_t tableEntries = header.colorsUsed;
    if (header.bitCount <= 8 && tableEntries == 0) tableEntries = std::size_t{1} << header.bitCount;
    std::size_t masksSize = 0;
    if (header.compression == kCompressionBitFields && header.headerSize == kInfoHeaderSize) {
        masksSize = 12;
        if (file.size() < tableStart + masksSize) return BmpError::Truncated;
        for (int i = 0; i < 3; ++i) header.masks[i] = readU32(file, tableStart + 4 * i);
    }
    if (tableEntries > (file.size() - tableStart) / header.paletteEntrySize) {
        return BmpError::Truncated;
    }
    const std::size_t tableSize = tableEntries * header.paletteEntrySize;
    const std::size_t paletteStart = tableStart + masksSize;
    if (paletteStart + (header.bitCount <= 8 ? tableSize : 0) > file.size()) {
        return BmpError::Truncated;
    }

    std::uint32_t palette[256];
    std::size_t paletteSize = 0;
    if (header.bitCount <= 8) {
        paletteSize = std::min<std::size_t>(tableEntries, std::size_t{1} << header.bitCount);
        for (std::size_t i = 0; i < paletteSize; ++i) {
            std::size_t at = paletteStart + i * header.paletteEntrySize;
            palette[i] = opaque(file[at + 2], file[at + 1], file[at]);
        }
    }

    const std::size_t computedStart = paletteStart + tableSize;
    const std::uint32_t declaredStart = readU32(file, 10);
    const std::size_t pixelStart = declaredStart >= computedStart ? declaredStart : computedStart;
    const std::size_t width = static_cast<std::size_t>(header.width);
    const std::size_t rows =
        static_cast<std::size_t>(header.height < 0 ? -header.height : header.height);
    const std::size_t stride = (width * header.bitCount + 31) / 32 * 4;
    if (pixelStart > file.size() || stride * rows > file.size() - pixelStart) {
        return BmpError::Truncated;
    }

    if (header.compression == kCompressionNone && header.bitCount == 16) {
        header.masks[0] = 0x7C00;
        header.masks[1] = 0x03E0;
        header.masks[2] = 0x001F;
    } else if (header.compression == kCompressionNone && header.bitCount == 32) {
        header.masks[0] = 0x00FF0000;
        header.masks[1] = 0x0000FF00;
        header.masks[2] = 0x000000FF;
    }
    const Channel red(header.masks[0]);
    const Channel green(header.masks[1]);
    const Channel blue(header.masks[2]);

    image.width = static_cast<int>(width);
    image.height = static_cast<int>(rows);
    image.pixels.resize(width * rows);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t sourceRow = header.height < 0 ? row : rows - 1 - row;
        const std::uint8_t* source = file.data() + pixelStart + sourceRow * stride;
        std::uint32_t* target = image.pixels.data() + row * width;
        for (std::size_t x = 0; x < width; ++x) {
            switch (header.bitCount) {
                case 1:
                case 4:
                case 8: {
                    const std::size_t bit = x * header.bitCount;
                    const unsigned shift = 8 - header.bitCount - bit % 8;
                    const std::size_t index =
                        (source[bit / 8] >> shift) & ((1u << header.bitCount) - 1);
                    target[x] = index < paletteSize ? palette[index] : opaque(0, 0, 0);
                    break;
                }
                case 16: {
                    std::uint32_t value = source[2 * x] | (source[2 * x + 1] << 8);
                    target[x] =
                        opaque(red.extract(value), green.extract(value), blue.extract(value));
                    break;
                }
                case 24:
                    target[x] = opaque(source[3 * x + 2], source[3 * x + 1], source[3 * x]);
                    break;
                case 32: {
                    std::uint32_t value = readU32({source + 4 * x, 4}, 0);
                    target[x] =
                        opaque(red.extract(value), green.extract(value), blue.extract(value));
                    break;
                }
            }
        }
    }
    return BmpError::None;
}

}  // namespace tessary::desktop
