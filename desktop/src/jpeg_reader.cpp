#include "desktop/jpeg_reader.h"

#include <csetjmp>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace tessary::desktop {
namespace {

struct ErrorManager {
    jpeg_error_mgr standard;  // first, so libjpeg's pointer is also ours
    std::jmp_buf jumpBack;
};

[[noreturn]] void jumpBackOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jumpBack, 1);
}

// Warnings about recoverable damage are not worth a line on stderr.
void ignoreMessage(j_common_ptr) {}

enum class Source { File, Memory };

struct Input {
    Source kind;
    std::FILE* file;
    std::span<const std::uint8_t> bytes;
};

// Converts one decoded scanline of `components` samples per pixel.
void storeRow(const JSAMPLE* row, int components, bool invertedCmyk, std::uint32_t* target,
              JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x) {
        const JSAMPLE* p = row + static_cast<std::size_t>(x) * components;
        std::uint32_t r, g, b;
        if (components == 4) {
            // Adobe writes CMYK inverted; either way the ink covers the white.
            std::uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
            if (!invertedCmyk) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            r = c * k / 255;
            g = m * k / 255;
            b = y * k / 255;
        } else {
            r = p[0];
            g = p[1];
            b = p[2];
        }
        target[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

// The decoder proper. `image` lives in the caller's frame so that nothing this
// function owns needs unwinding when libjpeg jumps back.
bool decode(const Input& input, DecodedImage* image) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = jumpBackOnError;
    errors.standard.output_message = ignoreMessage;
    if (setjmp(errors.jumpBack) != 0) {
        jpeg_destroy_decompress(&info);
        image->pixels.clear();
        image->width = 0;
        image->height = 0;
        return false;
    }
    jpeg_create_decompress(&info);
    if (input.kind == Source::File) {
        jpeg_stdio_src(&info, input.file);
    } else {
        jpeg_mem_src(&info, input.bytes.data(), static_cast<unsigned long>(input.bytes.size()));
    }
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);

    const std::int64_t width = info.output_width;
    const std::int64_t height = info.output_height;
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels ||
        (info.output_components != 3 && info.output_components != 4)) {
        jumpBackOnError(reinterpret_cast<j_common_ptr>(&info));
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->pixels.assign(static_cast<std::size_t>(width * height), 0xFF000000u);
    const JDIMENSION rowSize = info.output_width * static_cast<JDIMENSION>(info.output_components);
    JSAMPARRAY buffer =
        (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, rowSize, 1);
    while (info.output_scanline < info.output_height) {
        const JDIMENSION line = info.output_scanline;
        if (jpeg_read_scanlines(&info, buffer, 1) != 1) break;
        storeRow(buffer[0], info.output_components, info.saw_Adobe_marker,
                 image->pixels.data() + static_cast<std::size_t>(line) * info.output_width,
                 info.output_width);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool decodeJpeg(std::FILE* file, DecodedImage& image) {
    image = DecodedImage{};
    if (file == nullptr) return false;
    return decode(Input{Source::File, file, {}}, &image);
}

bool decodeJpeg(std::span<const std::uint8_t> bytes, DecodedImage& image) {
    image = DecodedImage{};
    if (bytes.empty()) return false;
    return decode(Input{Source::Memory, nullptr, bytes}, &image);
}

}  // namespace tessary::desktop
