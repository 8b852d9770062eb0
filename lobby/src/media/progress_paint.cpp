#include "lobby/progress_paint.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tessary::lobby {

ProgressPaint paintProgress(const ProgressBarLook& look, int width) {
    ProgressPaint paint;
    if (width <= 0) return paint;
    if (look.position < look.minimum) {
        paint.bands.push_back({0, width, look.background});
        return paint;
    }
    const int64_t position = std::min(look.position, look.maximum);
    const double fraction = look.maximum > 0 ? static_cast<double>(position) / static_cast<double>(look.maximum) : 0.0;
    const int filled = std::clamp(static_cast<int>(fraction * width), 0, width);
    // One band per step of the colour that changes most; the ramp spans the
    // whole bar and shows as far as the bar is filled.
    const int steps = std::max({std::abs(look.end.r - look.start.r), std::abs(look.end.g - look.start.g),
                                std::abs(look.end.b - look.start.b)});
    for (int k = 0; k < steps; ++k) {
        const int left = static_cast<int>(static_cast<int64_t>(k) * width / steps);
        const int right = std::min(static_cast<int>(static_cast<int64_t>(k + 1) * width / steps), filled);
        if (left >= filled) break;
        if (right <= left) continue;
        const auto at = [&](int from, int to) { return from + (to - from) * k / steps; };
        paint.bands.push_back({left, right, {at(look.start.r, look.end.r), at(look.start.g, look.end.g),
                                             at(look.start.b, look.end.b)}});
    }
    if (filled < width) paint.bands.push_back({filled, width, look.background});
    char text[32];
    std::snprintf(text, sizeof text, "%.0f%%", fraction * 100.0);
    paint.percentage = text;
    return paint;
}

}  // namespace tessary::lobby
