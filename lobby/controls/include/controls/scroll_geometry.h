// Where the parts of the lobby's picture scroll bar lie for a given size and
// range, and which position a dragged thumb stands for. No windowing toolkit:
// the Scrollbar widget paints and hit-tests from this.
#pragma once

#include <cstdint>

namespace tessary::controls {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int bottom() const { return y + height; }  // one past the last row
    bool contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    friend bool operator==(const Box&, const Box&) = default;
};

// The range a bar shows; positions are 16-bit as the lobby's lists count them.
struct ScrollRange {
    int minimum = 0;
    int maximum = 0;
    int position = 0;
};

enum class ScrollPart { None, UpArrow, DownArrow, PageUp, PageDown, Thumb };

// The requests a bar sends its target, and the wheel's steps.
enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack };

class ScrollGeometry {
public:
    static constexpr int kThumbMargin = 4;
    static constexpr int kMinimumThumb = 4;

    // `width` is the up-arrow picture's width; the arrows are as high as their
    // pictures, or half the bar each when the bar is lower than both.
    ScrollGeometry(int width, int height, int upArrowHeight, int downArrowHeight);

    // Sets the range (maximum raised to minimum when smaller), clamps the
    // position into it and places the thumb.
    void setRange(ScrollRange range);
    void setPosition(int position);

    const ScrollRange& range() const { return range_; }
    bool isEmpty() const { return range_.minimum == range_.maximum; }
    Box upArrow() const { return upArrow_; }
    Box downArrow() const { return downArrow_; }
    // The thumb's travel: between the arrows, kThumbMargin from each.
    int trackTop() const { return trackTop_; }
    int trackHeight() const { return trackHeight_; }
    double pixelsPerStep() const { return pixelsPerStep_; }
    Box thumb() const;

    ScrollPart partAt(int x, int y) const;
    // The position for the thumb's top `offset` pixels below the track's top,
    // clamped into the range.
    int positionForThumbOffset(int offset) const;

private:
    int width_;
    Box upArrow_;
    Box downArrow_;
    int trackTop_ = 0;
    int trackHeight_ = 0;
    ScrollRange range_;
    double pixelsPerStep_ = 0;
    int thumbHeight_ = 0;
};

// The first row of a list after `request`: a line, `page` rows, or to
// `position`, kept within 0..last.
[[nodiscard]] int scrolledRow(int first, ScrollRequest request, int position, int page, int last);

// Mouse-wheel movement in 120-unit notches; a remainder carries over to the
// next movement. Positive deltas scroll up.
class WheelAccumulator {
public:
    static constexpr int kNotch = 120;
    // The number of line steps to send: above zero upwards, below downwards.
    int add(int delta);

private:
    int remainder_ = 0;
};

}  // namespace tessary::controls
