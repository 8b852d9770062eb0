// Loading skin pictures (.bmp and .jpg) into SkinImages, with the messages
// and fatal paths the lobby shows for broken skins.
#pragma once

#include <QImage>
#include <string>
#include <string_view>

#include "skin/skin_image.h"

namespace tessary::skin {

enum class ImageFileError {
    None,
    UnknownFormat,  // the path's last three characters are neither BMP nor JPG
    CannotOpen,     // no such file, or it cannot be read
    NotBitmap,      // a .bmp whose header is missing, cut short or not "BM"
    BadBitmap,      // a .bmp whose header lies about its contents
    BadJpeg,        // a .jpg that the JPEG library rejects
};

// Decodes the picture at `path` (a path as the Parts write it, resolved
// against the current directory), choosing the reader by the last three
// characters of the path without regard to case. Shows nothing: for pictures
// whose failure is not the user's business (downloaded advertisements).
[[nodiscard]] ImageFileError decodeImageFile(std::string_view path, QImage& image);

// decodeImageFile into `image`, with the lobby's reactions: an unknown
// extension shows the system message "Unknow file format: " + path under
// "Error" and returns false; a file that cannot be opened throws
// SkinFatalError 19, a broken .bmp 20; a rejected JPEG returns false without a
// message. On failure `image` keeps what it held.
bool loadImage(SkinImage& image, std::string_view path);

// loadImage of directory + name, or, when that file does not exist, of the
// same name in the session skin directory "data\\default\\session\\".
bool loadWithFallback(SkinImage& image, std::string_view directory, std::string_view name);
// The path loadWithFallback reads: directory + name when that file exists,
// else the session skin directory's.
[[nodiscard]] std::string pathWithFallback(std::string_view directory, std::string_view name);
// A button prefix the same way, judged by its "up.bmp" picture.
[[nodiscard]] std::string buttonPrefixWithFallback(std::string_view directory, std::string_view prefix);

// A JPEG carried inside the program (Qt resource ":/IMAGEJPEG/<number>.jpg",
// the credits pictures). False when there is none or it does not decode.
bool loadJpegResource(SkinImage& image, int resourceNumber);

}  // namespace tessary::skin
