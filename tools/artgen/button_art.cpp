// Button pictures: up, down, sel (hover) and dis (disabled) for every prefix,
// with the label drawn on them, or a symbol for the small caption buttons.
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

#include "artgen.h"
#include "skin/window_layouts.h"
#include "theme.h"

namespace tessary::artgen {
namespace {

enum class Face { Up, Down, Sel, Dis };

struct FaceStyle {
    QColor top;
    QColor bottom;
    QColor edge;
    QColor text;
    int shift;  // the label moves down-right while pressed
};

FaceStyle styleOf(Face face) {
    switch (face) {
        case Face::Up:
            return {QColor(52, 96, 196), QColor(22, 46, 118), QColor(104, 146, 230), theme::kText,
                    0};
        case Face::Sel:
            return {QColor(76, 128, 232), QColor(34, 70, 160), theme::kOrange,
                    QColor(255, 206, 110), 0};
        case Face::Down:
            return {QColor(14, 28, 76), QColor(34, 64, 146), QColor(255, 140, 0), theme::kOrange,
                    1};
        case Face::Dis:
            return {QColor(50, 56, 74), QColor(32, 36, 50), QColor(74, 80, 100),
                    QColor(118, 124, 142), 0};
    }
    return {};
}

// The button's body: a rounded, shaded plate. Its corners take the shadow
// colour, never pure black, because buttons are drawn opaque.
void paintPlate(QPainter& painter, QSize size, const FaceStyle& style, qreal radius) {
    painter.fillRect(QRect(QPoint(0, 0), size), theme::kShadow);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF body(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, style.top);
    gradient.setColorAt(1, style.bottom);
    painter.setBrush(gradient);
    painter.setPen(QPen(style.edge, 1));
    painter.drawRoundedRect(body, radius, radius);
    // A soft highlight on the upper half.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 18));
    painter.drawRoundedRect(QRectF(2, 2, size.width() - 4, size.height() / 2.0 - 2), radius - 1,
                            radius - 1);
    painter.restore();
}

void paintLabel(QPainter& painter, QSize size, const QString& label, const FaceStyle& style) {
    int pixelSize = std::min(14, size.height() - 10);
    QFont font = theme::font(pixelSize, true);
    while (pixelSize > 9 && QFontMetrics(font).horizontalAdvance(label) > size.width() - 12) {
        font = theme::font(--pixelSize, true);
    }
    painter.setFont(font);
    QRect area(style.shift, style.shift, size.width(), size.height());
    // A dark drop shadow keeps the label readable on every face.
    painter.setPen(QColor(4, 8, 24, 200));
    painter.drawText(area.translated(1, 1), Qt::AlignCenter, label);
    painter.setPen(style.text);
    painter.drawText(area, Qt::AlignCenter, label);
}

void paintSymbol(QPainter& painter, QSize size, std::string_view prefix, const FaceStyle& style) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height(), s = style.shift;
    const QColor ink = prefix.ends_with("exit") && style.text == QColor(255, 206, 110)
                           ? QColor(255, 110, 80)
                           : style.text;
    painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    if (prefix.ends_with("min")) {
        painter.drawLine(QPointF(4 + s, h - 5 + s), QPointF(w - 4 + s, h - 5 + s));
    } else if (prefix.ends_with("max")) {
        painter.setPen(QPen(ink, 1.5));
        painter.drawRect(QRectF(4 + s, 4 + s, w - 8, h - 8));
        painter.drawLine(QPointF(4 + s, 5 + s), QPointF(w - 4 + s, 5 + s));
    } else if (prefix.ends_with("exit")) {
        painter.drawLine(QPointF(4.5 + s, 4.5 + s), QPointF(w - 4.5 + s, h - 4.5 + s));
        painter.drawLine(QPointF(w - 4.5 + s, 4.5 + s), QPointF(4.5 + s, h - 4.5 + s));
    } else if (prefix.ends_with("help")) {
        painter.setFont(theme::font(static_cast<int>(h) - 4, true));
        painter.drawText(QRectF(s, s, w, h), Qt::AlignCenter, QStringLiteral("?"));
    } else if (prefix.ends_with("previous") || prefix.ends_with("next")) {
        const bool back = prefix.ends_with("previous");
        QPainterPath arrow;
        const qreal cx = w / 2 + s, cy = h / 2 + s;
        arrow.moveTo(cx + (back ? 4 : -4), cy - 6);
        arrow.lineTo(cx + (back ? -5 : 5), cy);
        arrow.lineTo(cx + (back ? 4 : -4), cy + 6);
        arrow.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPath(arrow);
    }
    painter.restore();
}

// The maker's logo: a hexagon mark and the service's name.
void paintLogo(QPainter& painter, QSize size, Face face) {
    const FaceStyle style = styleOf(face);
    painter.fillRect(QRect(QPoint(0, 0), size),
                     face == Face::Sel ? QColor(24, 46, 108) : theme::kBand.darker(130));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int s = style.shift;
    const QColor mark = face == Face::Dis ? style.text : theme::kOrange;
    QPolygonF hexagon;
    for (int corner = 0; corner < 6; ++corner) {
        double angle = M_PI / 3 * corner + M_PI / 6;
        hexagon << QPointF(17 + s + 11 * std::cos(angle), 16 + s + 11 * std::sin(angle));
    }
    painter.setPen(QPen(mark, 2));
    painter.setBrush(face == Face::Sel ? QColor(255, 168, 0, 90) : QColor(255, 168, 0, 40));
    painter.drawPolygon(hexagon);
    painter.setPen(face == Face::Dis ? style.text : theme::kText);
    painter.setFont(theme::font(19, true));
    painter.drawText(QRect(34 + s, s, size.width() - 36, size.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TESSARY"));
    if (face == Face::Sel) {
        painter.setPen(QPen(theme::kOrange, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    }
    painter.restore();
}

QImage paintButton(const skin::ButtonArt& art, Face face) {
    const QSize size(art.width, art.height);
    QImage image = theme::canvas(art.width, art.height);
    QPainter painter(&image);
    if (art.prefix == "button\\quillon") {
        paintLogo(painter, size, face);
        return image;
    }
    const FaceStyle style = styleOf(face);
    paintPlate(painter, size, style, std::min(5.0, art.height / 4.0));
    if (art.label.empty()) {
        paintSymbol(painter, size, art.prefix, style);
    } else {
        paintLabel(painter, size,
                   QString::fromUtf8(art.label.data(), static_cast<qsizetype>(art.label.size())),
                   style);
    }
    return image;
}

}  // namespace

void writeButtons(ArtWriter& out) {
    static constexpr std::array<std::pair<Face, const char*>, 4> kFaces{{{Face::Up, "up.bmp"},
                                                                         {Face::Down, "down.bmp"},
                                                                         {Face::Sel, "sel.bmp"},
                                                                         {Face::Dis, "dis.bmp"}}};
    for (const skin::ButtonArt& art : skin::lobbyButtonArt()) {
        for (const auto& [face, suffix] : kFaces) {
            out.writeBmp(skinFile(art.prefix) + suffix, paintButton(art, face));
        }
    }
}

}  // namespace tessary::artgen
