// The fatal errors of the skin's data files and pictures. They name the
// StringTable text that tells the user what went wrong (shown under title 35 by
// showFatalErrorAndEnd, fatal_error.h) and the path it is formatted with.
#pragma once

#include <stdexcept>
#include <string>

namespace tessary::skin {

// Numbers of the StringTable texts of the fatal paths.
inline constexpr int kTextCannotOpenImage = 19;  // a picture file cannot be opened (path)
inline constexpr int kTextNotABitmap = 20;       // a .bmp cannot be read (path)
inline constexpr int kTextFatalTitle = 35;       // title of every fatal message
inline constexpr int kTextCannotOpenFile = 36;   // a data file cannot be opened (path)
inline constexpr int kTextBrokenFile = 37;       // a data file is broken or too long (path)

class SkinFatalError : public std::runtime_error {
public:
    SkinFatalError(int textNumber, std::string path)
        : std::runtime_error("skin text " + std::to_string(textNumber) + ": " + path),
          textNumber_(textNumber),
          path_(std::move(path)) {}

    int textNumber() const { return textNumber_; }
    const std::string& path() const { return path_; }

private:
    int textNumber_;
    std::string path_;
};

}  // namespace tessary::skin
