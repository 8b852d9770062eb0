// Writes the generated files below the application directory and counts them.
#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::artgen {

class ArtWriter {
public:
    explicit ArtWriter(std::filesystem::path root) : root_(std::move(root)) {}

    const std::filesystem::path& root() const { return root_; }

    // `relative` uses "/" separators and the exact case the data tree keeps.
    void writeBytes(std::string_view relative, const std::vector<std::uint8_t>& bytes);
    void writeText(std::string_view relative, std::string_view text);
    // A 24-bit bitmap. Unless `blackIsTransparent`, pure black pixels are
    // lifted to (1, 1, 1): only pictures drawn transparently may hold black.
    void writeBmp(std::string_view relative, const QImage& image, bool blackIsTransparent = false);
    void writeJpeg(std::string_view relative, const QImage& image, int quality = 92);
    // A PNG with its alpha channel, for the desktop's icon theme.
    void writePng(std::string_view relative, const QImage& image);

    int filesWritten() const { return files_; }

private:
    std::filesystem::path root_;
    int files_ = 0;
};

}  // namespace tessary::artgen
