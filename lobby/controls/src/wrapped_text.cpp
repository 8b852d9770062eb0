#include "wrapped_text.h"

#include <QFontMetrics>
#include <QPainter>

#include "control_skin.h"
#include "desktop/ansi_text.h"

namespace tessary::controls {

int layoutLine(const ChatLine& line, int fontIndex, int width) {
    if (line.layoutWidth != width || line.layoutFont != fontIndex) {
        line.runs = wrapText(line.text, detail::widths(fontIndex), width);
        line.layoutWidth = width;
        line.layoutFont = fontIndex;
    }
    return static_cast<int>(line.runs.size()) * detail::lineHeight(fontIndex);
}

void drawWrapped(QPainter& painter, const ChatLine& line, int fontIndex, const QColor& colour,
                 int top) {
    const QFont& font = detail::font(fontIndex);
    const int lineHeight = detail::lineHeight(fontIndex);
    const int ascent = QFontMetrics(font).ascent();
    const int visibleBottom = painter.window().height();
    painter.setFont(font);
    painter.setPen(colour);
    const std::string_view text(line.text);
    int y = top;
    for (const TextRun& run : line.runs) {
        if (y >= visibleBottom) break;
        if (y + lineHeight > 0) {
            painter.drawText(QPoint(0, y + ascent),
                             desktop::fromAnsi(text.substr(run.start, run.length)));
        }
        y += lineHeight;
    }
    line.linkBoxes.clear();
    if (line.link) {
        if (const auto span = findLink(line.text)) {
            line.linkBoxes = linkBoxes(line.text, line.runs, *span, detail::widths(fontIndex), top);
        }
    }
}

}  // namespace tessary::controls
