// The lobby's application icon: the hexagon mark of the logo, orange on the
// lobby's navy, on a rounded tile with a transparent surround.
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <string>

#include "artgen.h"
#include "theme.h"

namespace tessary::artgen {
namespace {

QPolygonF hexagon(QPointF centre, double radius) {
    QPolygonF corners;
    for (int corner = 0; corner < 6; ++corner) {
        const double angle = M_PI / 3 * corner + M_PI / 6;
        corners << QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    }
    return corners;
}

QImage appIcon(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = side;
    const QRectF tile(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    QLinearGradient ground(tile.topLeft(), tile.bottomLeft());
    ground.setColorAt(0, theme::kBand.lighter(130));
    ground.setColorAt(1, theme::kNavyBottom);
    painter.setPen(QPen(theme::kPanelEdge, std::max(1.0, s / 32)));
    painter.setBrush(ground);
    painter.drawRoundedRect(tile, s * 0.18, s * 0.18);

    const QPointF centre(s / 2, s / 2);
    painter.setPen(QPen(theme::kOrange, std::max(1.5, s / 14), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 168, 0, 60));
    painter.drawPolygon(hexagon(centre, s * 0.33));
    // The inner mark only where it stays readable.
    if (side >= 24) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme::kOrange);
        painter.drawPolygon(hexagon(centre, s * 0.13));
    }
    return image;
}

}  // namespace

void writeAppIcons(ArtWriter& out) {
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string size = std::to_string(side) + "x" + std::to_string(side);
        out.writePng(size + "/apps/tessary.png", appIcon(side));
    }
}

}  // namespace tessary::artgen
