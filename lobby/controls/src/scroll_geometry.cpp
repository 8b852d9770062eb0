#include "controls/scroll_geometry.h"

#include <algorithm>
#include <cmath>

namespace tessary::controls {

ScrollGeometry::ScrollGeometry(int width, int height, int upArrowHeight, int downArrowHeight)
    : width_(width) {
    height = std::max(0, height);
    if (height < upArrowHeight + downArrowHeight) {
        upArrowHeight = height / 2;
        downArrowHeight = height - upArrowHeight;
    }
    upArrow_ = {0, 0, width, upArrowHeight};
    downArrow_ = {0, height - downArrowHeight, width, downArrowHeight};
    trackTop_ = upArrow_.bottom() + kThumbMargin;
    trackHeight_ = std::max(0, downArrow_.y - kThumbMargin - trackTop_);
    setRange(range_);
}

void ScrollGeometry::setRange(ScrollRange range) {
    range.maximum = std::max(range.maximum, range.minimum);
    range_ = range;
    const double steps = double(range.maximum) - range.minimum + 1;
    pixelsPerStep_ = (trackHeight_ - 1) / steps;
    thumbHeight_ = static_cast<int>(pixelsPerStep_);
    if (thumbHeight_ < kMinimumThumb) {
        thumbHeight_ = kMinimumThumb;
        pixelsPerStep_ = std::max(0.0, (trackHeight_ - 5) / steps);
    }
    setPosition(range.position);
}

void ScrollGeometry::setPosition(int position) {
    range_.position = std::clamp(position, range_.minimum, range_.maximum);
}

Box ScrollGeometry::thumb() const {
    const int top =
        trackTop_ + static_cast<int>((range_.position - range_.minimum) * pixelsPerStep_);
    return {kThumbMargin, top, std::max(0, width_ - 2 * kThumbMargin), thumbHeight_};
}

ScrollPart ScrollGeometry::partAt(int x, int y) const {
    if (x < 0 || x >= width_) return ScrollPart::None;
    if (upArrow_.contains(x, y)) return ScrollPart::UpArrow;
    if (downArrow_.contains(x, y)) return ScrollPart::DownArrow;
    if (y < upArrow_.bottom() || y >= downArrow_.y) return ScrollPart::None;
    const Box t = thumb();
    if (y < t.y) return ScrollPart::PageUp;
    if (y >= t.bottom()) return ScrollPart::PageDown;
    return isEmpty() ? ScrollPart::None : ScrollPart::Thumb;
}

int ScrollGeometry::positionForThumbOffset(int offset) const {
    if (pixelsPerStep_ <= 0) return range_.minimum;
    const double steps = std::floor(std::max(0, offset) / pixelsPerStep_);
    return static_cast<int>(
        std::clamp(range_.minimum + steps, double(range_.minimum), double(range_.maximum)));
}

int scrolledRow(int first, ScrollRequest request, int position, int page, int last) {
    switch (request) {
        case ScrollRequest::LineUp: first -= 1; break;
        case ScrollRequest::LineDown: first += 1; break;
        case ScrollRequest::PageUp: first -= page; break;
        case ScrollRequest::PageDown: first += page; break;
        case ScrollRequest::ThumbTrack: first = position; break;
    }
    return std::clamp(first, 0, std::max(0, last));
}

int WheelAccumulator::add(int delta) {
    remainder_ += delta;
    const int steps = remainder_ / kNotch;  // truncates toward zero
    remainder_ -= steps * kNotch;
    return steps;
}

}  // namespace tessary::controls
