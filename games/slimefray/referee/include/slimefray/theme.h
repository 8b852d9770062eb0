// The referee's themes: three pictures each, sent to the players at the start.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "slimefray/messages.h"

namespace tessary::slimefray {

struct Theme {
    std::string name;                // as offered to the players, without ".thm"
    std::array<Bytes, 3> pictures;  // .bmp files for tile kinds 0, 1 and 2
    int animation = 0;               // obstacle animation strip number; 0 = none
};

inline constexpr size_t kMaxThemePicture = 4 * 1024 * 1024;

// Reads every sub-directory of `directory` that holds "1.bmp", "2.bmp" and
// "3.bmp" (each a .bmp of at most kMaxThemePicture bytes that the players'
// reader accepts, see decodePicture) as a theme named
// after the sub-directory, with the animation number from an optional file
// "anim". Directories whose name could not serve as a file name are skipped.
// Sorted by name.
std::vector<Theme> loadThemes(const std::filesystem::path& directory);

// The service's theme folder: "server/slimefray/themes" beside the running
// program (the application directory, where tessaryd lies).
std::filesystem::path defaultThemeDirectory();

// A plain theme made in memory, used when no theme could be loaded.
Theme fallbackTheme();

// A 24-bit bottom-up .bmp of one colour.
Bytes solidBmp(int width, int height, uint8_t red, uint8_t green, uint8_t blue);

}  // namespace tessary::slimefray
