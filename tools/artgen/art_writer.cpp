#include "art_writer.h"

#include <QBuffer>
#include <fstream>
#include <stdexcept>

#include "skin/image_writers.h"

namespace tessary::artgen {
namespace {

skin::DecodedImage toDecoded(const QImage& source, bool keepBlack) {
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    skin::DecodedImage decoded;
    decoded.width = image.width();
    decoded.height = image.height();
    decoded.pixels.reserve(static_cast<std::size_t>(image.width() * image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::uint32_t pixel = row[x] | 0xFF000000u;
            if (!keepBlack && (pixel & 0xFFFFFF) == 0) pixel = 0xFF010101u;
            decoded.pixels.push_back(pixel);
        }
    }
    return decoded;
}

}  // namespace

void ArtWriter::writeBytes(std::string_view relative, const std::vector<std::uint8_t>& bytes) {
    writeText(relative,
              std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void ArtWriter::writeText(std::string_view relative, std::string_view text) {
    std::filesystem::path file = root_ / std::filesystem::path(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
    ++files_;
}

void ArtWriter::writeBmp(std::string_view relative, const QImage& image, bool blackIsTransparent) {
    writeBytes(relative, skin::encodeBmp24(toDecoded(image, blackIsTransparent)));
}

void ArtWriter::writeJpeg(std::string_view relative, const QImage& image, int quality) {
    writeBytes(relative, skin::encodeJpeg(toDecoded(image, true), quality));
}

void ArtWriter::writePng(std::string_view relative, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode " + std::string(relative));
    writeText(relative, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace tessary::artgen
