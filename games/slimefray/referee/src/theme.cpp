#include "slimefray/theme.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "desktop/image_writers.h"

namespace tessary::slimefray {
namespace {

bool readSmallFile(const std::filesystem::path& path, size_t limit, Bytes& out) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > limit) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return out.size() == size;
}

}  // namespace

std::vector<Theme> loadThemes(const std::filesystem::path& directory) {
    std::vector<Theme> themes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        if (!entry.is_directory()) continue;
        Theme theme;
        theme.name = entry.path().filename().string();
        if (!isSafeFileName(theme.name)) continue;
        bool complete = true;
        for (int i = 0; i < 3 && complete; ++i) {
            Bytes& picture = theme.pictures[size_t(i)];
            complete = readSmallFile(entry.path() / (std::to_string(i + 1) + ".bmp"), kMaxThemePicture,
                                     picture) &&
                       decodePicture(picture).has_value();
        }
        if (!complete) continue;
        std::ifstream anim(entry.path() / "anim");
        if (!(anim >> theme.animation) || theme.animation < 0) theme.animation = 0;
        themes.push_back(std::move(theme));
    }
    std::sort(themes.begin(), themes.end(), [](const Theme& a, const Theme& b) { return a.name < b.name; });
    return themes;
}

Bytes solidBmp(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
    const uint32_t colour = 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
    return desktop::encodeBmp24({width, height, std::vector<uint32_t>(size_t(width) * size_t(height), colour)});
}

std::filesystem::path defaultThemeDirectory() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return program.parent_path() / "server" / "slimefray" / "themes";
}

Theme fallbackTheme() {
    Theme theme;
    theme.name = "Plain";
    theme.pictures[0] = solidBmp(50, 50, 96, 128, 72);
    theme.pictures[1] = solidBmp(50, 50, 90, 90, 90);
    theme.pictures[2] = solidBmp(50, 50, 120, 96, 64);
    return theme;
}

}  // namespace tessary::slimefray
