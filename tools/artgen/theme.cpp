#include "theme.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace tessary::artgen::theme {

QFont font(int pixelSize, bool bold) {
    QFont result(QStringLiteral("DejaVu Sans"));
    result.setPixelSize(pixelSize);
    result.setBold(bold);
    result.setHintingPreference(QFont::PreferFullHinting);
    return result;
}

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPanel);
    return image;
}

void paintBackdrop(QPainter& painter, const QRect& area) {
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, kNavyTop);
    gradient.setColorAt(1, kNavyBottom);
    painter.fillRect(area, gradient);

    // Tessary: a tessellation of hexagons, barely visible.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    painter.setPen(QPen(QColor(90, 130, 220, 22), 1));
    const double radius = 22;
    const double columnStep = radius * 1.5;
    const double rowStep = radius * std::sqrt(3.0);
    int column = 0;
    for (double x = area.left(); x < area.right() + radius; x += columnStep, ++column) {
        double offset = (column % 2) ? rowStep / 2 : 0;
        for (double y = area.top() - offset; y < area.bottom() + rowStep; y += rowStep) {
            QPolygonF hexagon;
            for (int corner = 0; corner < 6; ++corner) {
                double angle = M_PI / 3 * corner;
                hexagon << QPointF(x + radius * std::cos(angle), y + radius * std::sin(angle));
            }
            painter.drawPolygon(hexagon);
        }
    }
    painter.restore();
}

void paintBand(QPainter& painter, int width, int height, const QString& title, int titleX,
               bool accent) {
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, kBand.lighter(115));
    gradient.setColorAt(1, kBand.darker(160));
    painter.fillRect(QRect(0, 0, width, height), gradient);
    if (accent) {
        QLinearGradient line(0, 0, width, 0);
        line.setColorAt(0, kOrange);
        line.setColorAt(0.7, QColor(255, 168, 0, 90));
        line.setColorAt(1, QColor(255, 168, 0, 0));
        painter.fillRect(QRect(0, height - 2, width, 2), line);
    }
    painter.fillRect(QRect(0, height, width, 1), kShadow);
    if (!title.isEmpty()) {
        painter.setFont(font(16, true));
        painter.setPen(kOrange);
        painter.drawText(QRect(titleX, 0, width - titleX - 50, height - 2),
                         Qt::AlignLeft | Qt::AlignVCenter, title.toUpper());
    }
}

void paintFieldFrame(QPainter& painter, const QRect& area) {
    QRect outer = area.adjusted(-2, -2, 2, 2);
    painter.fillRect(outer, kField);
    painter.setPen(kShadow);
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(kPanelEdge);
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
}

void paintPanel(QPainter& painter, const QRect& area) {
    QRect outer = area.adjusted(-3, -3, 3, 3);
    painter.fillRect(outer, kShadow);
    painter.fillRect(area.adjusted(-2, -2, 2, 2), kPanel);
    painter.setPen(kPanelEdge);
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    painter.fillRect(area, kField);
}

void paintCaption(QPainter& painter, int left, int baseline, const QString& text, int size) {
    painter.setFont(font(size, true));
    painter.setPen(kOrange);
    painter.drawText(QPoint(left, baseline), text.toUpper());
}

void paintText(QPainter& painter, const QRect& area, const QString& text, const QColor& color,
               int size, int alignment, bool bold) {
    painter.setFont(font(size, bold));
    painter.setPen(color);
    painter.drawText(area, alignment, text);
}

}  // namespace tessary::artgen::theme
