// Laying out and drawing one chat line word-wrapped from the font's width
// table; shared by the chat pane and its benchmark.
#pragma once

#include <QColor>

#include "controls/chat_model.h"

class QPainter;

namespace tessary::controls {

// Wraps `line` to `width` in font `fontIndex` (kept in the line until either
// changes) and returns its height.
int layoutLine(const ChatLine& line, int fontIndex, int width);

// Draws the wrapped line with its top at `top`, skipping the laid-out lines
// outside the painter's window, and records the link's boxes.
void drawWrapped(QPainter& painter, const ChatLine& line, int fontIndex, const QColor& colour,
                 int top);

}  // namespace tessary::controls
