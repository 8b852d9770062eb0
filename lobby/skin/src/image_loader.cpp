#include "skin/image_loader.h"

#include <QFile>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "desktop/ansi_text.h"
#include "desktop/bmp_reader.h"
#include "desktop/jpeg_reader.h"
#include "platform/paths.h"
#include "skin/skin_environment.h"
#include "skin/skin_error.h"

namespace tessary::skin {
namespace {

enum class Format { Unknown, Bmp, Jpg };

Format formatOf(std::string_view path) {
    if (path.size() < 3) return Format::Unknown;
    std::string ending(path.substr(path.size() - 3));
    for (char& c : ending) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (ending == "BMP") return Format::Bmp;
    if (ending == "JPG") return Format::Jpg;
    return Format::Unknown;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

ImageFileError decodeBmpFile(const std::filesystem::path& file, QImage& image) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return ImageFileError::CannotOpen;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) return ImageFileError::CannotOpen;
    desktop::DecodedImage decoded;
    switch (desktop::decodeBmp(bytes, decoded)) {
        case desktop::BmpError::None:
            image = toQImage(decoded);
            return ImageFileError::None;
        case desktop::BmpError::NotBitmap:
            return ImageFileError::NotBitmap;
        default:
            return ImageFileError::BadBitmap;
    }
}

ImageFileError decodeJpegFile(const std::filesystem::path& file, QImage& image) {
    std::unique_ptr<std::FILE, FileCloser> handle(std::fopen(file.c_str(), "rb"));
    if (!handle) return ImageFileError::CannotOpen;
    desktop::DecodedImage decoded;
    if (!desktop::decodeJpeg(handle.get(), decoded)) return ImageFileError::BadJpeg;
    image = toQImage(decoded);
    return ImageFileError::None;
}

}  // namespace

ImageFileError decodeImageFile(std::string_view path, QImage& image) {
    Format format = formatOf(path);
    if (format == Format::Unknown) return ImageFileError::UnknownFormat;
    std::filesystem::path file = platform::nativePath(path);
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return ImageFileError::CannotOpen;
    return format == Format::Bmp ? decodeBmpFile(file, image) : decodeJpegFile(file, image);
}

bool loadImage(SkinImage& image, std::string_view path) {
    QImage decoded;
    switch (decodeImageFile(path, decoded)) {
        case ImageFileError::None:
            image.setImage(decoded);
            return true;
        case ImageFileError::UnknownFormat:
            showSystemMessage(QStringLiteral("Unknow file format: ") + desktop::fromAnsi(path),
                              QStringLiteral("Error"));
            return false;
        case ImageFileError::CannotOpen:
            throw SkinFatalError(kTextCannotOpenImage, platform::nativePath(path).string());
        case ImageFileError::NotBitmap:
        case ImageFileError::BadBitmap:
            throw SkinFatalError(kTextNotABitmap, platform::nativePath(path).string());
        case ImageFileError::BadJpeg:
            return false;
    }
    return false;
}

std::string pathWithFallback(std::string_view directory, std::string_view name) {
    std::string first = std::string(directory) + std::string(name);
    std::error_code error;
    if (std::filesystem::exists(platform::nativePath(first), error)) return first;
    return sessionSkinPath(name);
}

std::string buttonPrefixWithFallback(std::string_view directory, std::string_view prefix) {
    std::string own = std::string(directory) + std::string(prefix);
    std::error_code error;
    if (std::filesystem::exists(platform::nativePath(own + "up.bmp"), error)) return own;
    return sessionSkinPath(prefix);
}

bool loadWithFallback(SkinImage& image, std::string_view directory, std::string_view name) {
    return loadImage(image, pathWithFallback(directory, name));
}

bool loadJpegResource(SkinImage& image, int resourceNumber) {
    QFile resource(QStringLiteral(":/IMAGEJPEG/%1.jpg").arg(resourceNumber));
    if (!resource.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = resource.readAll();
    desktop::DecodedImage decoded;
    if (!desktop::decodeJpeg({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                     static_cast<std::size_t>(bytes.size())},
                    decoded)) {
        return false;
    }
    image.setImage(decoded);
    return true;
}

}  // namespace tessary::skin
