// What the update window's progress bar paints, without a toolkit: the
// colour ramp bands of the filled part, the background beyond, the percentage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::lobby {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct PaintBand {
    int left = 0, right = 0;  // pixels [left, right) of the bar's width
    Rgb colour;
    bool operator==(const PaintBand&) const = default;
};

struct ProgressBarLook {
    int64_t minimum = 0, maximum = 100, position = 0;
    Rgb start, end, background, text;
};

struct ProgressPaint {
    std::vector<PaintBand> bands;  // the ramp, then the background beyond the filled width
    std::string percentage;        // empty below the minimum
};

[[nodiscard]] ProgressPaint paintProgress(const ProgressBarLook& look, int width);

}  // namespace tessary::lobby
