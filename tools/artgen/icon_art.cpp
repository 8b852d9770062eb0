// The small pictures: ping levels, switches, tabs, scroll arrows, list
// markers and session badges. Pictures that the lobby draws transparently
// keep a pure black surround; all others avoid pure black.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

#include "artgen.h"
#include "theme.h"

namespace tessary::artgen {
namespace {

using Painter = std::function<void(QPainter&, QSize)>;

QImage draw(QSize size, const QColor& ground, const Painter& paint) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, size);
    return image;
}

// A small square tile like the caption buttons, for toggles and arrows.
void tile(QPainter& painter, QSize size, bool lit) {
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, lit ? QColor(52, 96, 196) : QColor(34, 48, 90));
    gradient.setColorAt(1, lit ? QColor(22, 46, 118) : QColor(18, 26, 54));
    painter.setBrush(gradient);
    painter.setPen(QPen(lit ? QColor(104, 146, 230) : QColor(64, 76, 110), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
}

// Five signal bars; `lit` of them coloured, the rest dim.
void writePing(ArtWriter& out, int level) {
    static const QColor kLevelColors[] = {QColor(120, 120, 130), QColor(230, 40, 30),
                                          QColor(255, 120, 0),   QColor(255, 200, 0),
                                          QColor(170, 220, 0),   QColor(40, 210, 60)};
    QImage image = draw(QSize(16, 14), Qt::black, [level](QPainter& p, QSize) {
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int bar = 0; bar < 5; ++bar) {
            int height = 3 + bar * 2 + (bar == 4 ? 1 : 0);
            QRect rect(1 + bar * 3, 13 - height, 2, height);
            bool lit = level > 0 && bar < level;
            p.fillRect(rect, lit ? kLevelColors[level] : QColor(60, 66, 84));
        }
        if (level == 0) {
            p.setPen(QColor(200, 200, 210));
            p.setFont(theme::font(10, true));
            p.drawText(QRect(0, -2, 16, 12), Qt::AlignCenter, QStringLiteral("?"));
        }
    });
    out.writeBmp("data/default/ping" + std::to_string(level) + ".bmp", image, true);
}

QImage radio(bool on) {
    return draw(QSize(20, 20), theme::kPanel, [on](QPainter& p, QSize) {
        p.setPen(QPen(on ? theme::kOrange : QColor(104, 146, 230), 2));
        p.setBrush(theme::kField);
        p.drawEllipse(QRectF(2, 2, 16, 16));
        if (on) {
            p.setPen(Qt::NoPen);
            p.setBrush(theme::kOrange);
            p.drawEllipse(QRectF(6, 6, 8, 8));
        }
    });
}

QImage checkBox(int side, bool on) {
    return draw(QSize(side, side), theme::kPanel, [on, side](QPainter& p, QSize) {
        p.setPen(QPen(on ? theme::kOrange : QColor(104, 146, 230), 1.5));
        p.setBrush(theme::kField);
        p.drawRoundedRect(QRectF(1.5, 1.5, side - 3, side - 3), 2, 2);
        if (on) {
            p.setPen(QPen(theme::kOrange, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPainterPath tick;
            tick.moveTo(side * 0.25, side * 0.52);
            tick.lineTo(side * 0.43, side * 0.72);
            tick.lineTo(side * 0.77, side * 0.28);
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
    });
}

QImage envelope(bool on) {
    return draw(QSize(16, 16), theme::kShadow, [on](QPainter& p, QSize size) {
        tile(p, size, on);
        QColor ink = on ? theme::kText : QColor(120, 128, 150);
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 4.5, 9, 7));
        p.drawLine(QPointF(3.5, 4.5), QPointF(8, 8.5));
        p.drawLine(QPointF(12.5, 4.5), QPointF(8, 8.5));
        if (!on) {
            p.setPen(QPen(QColor(255, 80, 60), 1.6));
            p.drawLine(QPointF(3, 13), QPointF(13, 3));
        }
    });
}

QImage speaker(bool on) {
    return draw(QSize(16, 16), theme::kShadow, [on](QPainter& p, QSize size) {
        tile(p, size, on);
        QColor ink = on ? theme::kText : QColor(120, 128, 150);
        QPainterPath body;
        body.moveTo(3, 6);
        body.lineTo(5.5, 6);
        body.lineTo(8.5, 3.5);
        body.lineTo(8.5, 12.5);
        body.lineTo(5.5, 10);
        body.lineTo(3, 10);
        body.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(body);
        p.setBrush(Qt::NoBrush);
        if (on) {
            p.setPen(QPen(theme::kOrange, 1.2));
            p.drawArc(QRectF(6, 5, 5, 6), -50 * 16, 100 * 16);
            p.drawArc(QRectF(5, 3, 8, 10), -50 * 16, 100 * 16);
        } else {
            p.setPen(QPen(QColor(255, 80, 60), 1.4));
            p.drawLine(QPointF(10, 6), QPointF(13.5, 10));
            p.drawLine(QPointF(13.5, 6), QPointF(10, 10));
        }
    });
}

QImage playPause(bool pause) {
    return draw(QSize(20, 20), theme::kShadow, [pause](QPainter& p, QSize size) {
        tile(p, size, true);
        p.setPen(Qt::NoPen);
        if (pause) {
            p.setBrush(theme::kOrange);
            p.drawRect(QRectF(6, 5, 3, 10));
            p.drawRect(QRectF(11, 5, 3, 10));
        } else {
            p.setBrush(QColor(120, 230, 120));
            QPainterPath arrow;
            arrow.moveTo(7, 5);
            arrow.lineTo(15, 10);
            arrow.lineTo(7, 15);
            arrow.closeSubpath();
            p.drawPath(arrow);
        }
    });
}

// A chat tab: rounded top corners on black, which shows the box's backdrop
// when tabs overlap.
QImage tab(const QColor& top, const QColor& bottom, const QColor& edge) {
    return draw(QSize(96, 25), Qt::black, [&](QPainter& p, QSize size) {
        QPainterPath shape;
        shape.moveTo(0.5, size.height());
        shape.lineTo(4.5, 4.5);
        shape.quadTo(5.5, 0.5, 10.5, 0.5);
        shape.lineTo(size.width() - 10.5, 0.5);
        shape.quadTo(size.width() - 5.5, 0.5, size.width() - 4.5, 4.5);
        shape.lineTo(size.width() - 0.5, size.height());
        shape.closeSubpath();
        QLinearGradient gradient(0, 0, 0, size.height());
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, bottom);
        p.setBrush(gradient);
        p.setPen(QPen(edge, 1));
        p.drawPath(shape);
    });
}

QImage scrollArrow(bool up, bool pressed) {
    return draw(QSize(16, 16), theme::kShadow, [up, pressed](QPainter& p, QSize size) {
        QLinearGradient gradient(0, 0, 0, size.height());
        gradient.setColorAt(0, pressed ? QColor(0, 50, 130) : QColor(30, 110, 220));
        gradient.setColorAt(1, pressed ? QColor(0, 85, 190) : QColor(0, 60, 150));
        p.setBrush(gradient);
        p.setPen(QPen(pressed ? theme::kOrange : QColor(110, 160, 240), 1));
        p.drawRect(QRectF(0.5, 0.5, 15, 15));
        QPainterPath arrow;
        const qreal shift = pressed ? 1 : 0;
        if (up) {
            arrow.moveTo(4 + shift, 10.5 + shift);
            arrow.lineTo(8 + shift, 5 + shift);
            arrow.lineTo(12 + shift, 10.5 + shift);
        } else {
            arrow.moveTo(4 + shift, 5.5 + shift);
            arrow.lineTo(8 + shift, 11 + shift);
            arrow.lineTo(12 + shift, 5.5 + shift);
        }
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? theme::kOrange : theme::kText);
        p.drawPath(arrow);
    });
}

// A player-list marker, drawn transparently: black is the surround.
QImage marker(bool spectator) {
    return draw(QSize(14, 14), Qt::black, [spectator](QPainter& p, QSize) {
        p.setPen(Qt::NoPen);
        if (spectator) {
            p.setBrush(QColor(120, 200, 255));
            p.drawEllipse(QRectF(1, 4, 12, 6.5));
            p.setBrush(QColor(10, 30, 80));
            p.drawEllipse(QRectF(5, 4.5, 4.5, 4.5));
        } else {
            p.setBrush(theme::kOrange);
            p.drawEllipse(QRectF(4, 1, 6, 6));
            p.drawRoundedRect(QRectF(2, 7.5, 10, 6), 3, 3);
        }
    });
}

// Session badges, drawn over the game's picture.
QImage badge(const QColor& color, const std::function<void(QPainter&)>& glyph) {
    return draw(QSize(16, 16), Qt::black, [&](QPainter& p, QSize) {
        p.setPen(QPen(QColor(240, 240, 240), 1));
        p.setBrush(color);
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        glyph(p);
    });
}

QImage unknownGame() {
    return draw(QSize(64, 48), theme::kShadow, [](QPainter& p, QSize size) {
        QLinearGradient gradient(0, 0, 0, size.height());
        gradient.setColorAt(0, QColor(40, 52, 90));
        gradient.setColorAt(1, QColor(18, 24, 48));
        p.setBrush(gradient);
        p.setPen(QPen(QColor(90, 104, 150), 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
        p.setPen(QColor(160, 170, 200));
        p.setFont(theme::font(28, true));
        p.drawText(QRect(0, 0, size.width(), size.height()), Qt::AlignCenter, QStringLiteral("?"));
    });
}

// The chat room's session tile, as large as the games' tiles.
QImage chatRoom() {
    return draw(QSize(80, 60), theme::kShadow, [](QPainter& p, QSize size) {
        QLinearGradient gradient(0, 0, 0, size.height());
        gradient.setColorAt(0, QColor(36, 70, 130));
        gradient.setColorAt(1, QColor(14, 26, 60));
        p.setBrush(gradient);
        p.setPen(QPen(QColor(90, 120, 180), 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(20, 30, 60), 1));
        p.setBrush(QColor(240, 240, 250));
        p.drawRoundedRect(QRectF(10, 10, 40, 24), 8, 8);
        p.setBrush(theme::kOrange);
        p.drawRoundedRect(QRectF(30, 24, 40, 24), 8, 8);
        p.setPen(QColor(20, 30, 60));
        p.setFont(theme::font(9, true));
        p.drawText(QRect(10, 10, 24, 14), Qt::AlignCenter, QStringLiteral("hi!"));
        p.drawText(QRect(30, 24, 40, 24), Qt::AlignCenter, QStringLiteral("hello"));
    });
}

}  // namespace

void writeIcons(ArtWriter& out) {
    for (int level = 0; level <= 5; ++level) writePing(out, level);
    for (const std::string directory : {"data/default/", "data/default/session/"}) {
        out.writeBmp(directory + "on.bmp", radio(true));
        out.writeBmp(directory + "off.bmp", radio(false));
        out.writeBmp(directory + "checkon.bmp", checkBox(16, true));
        out.writeBmp(directory + "checkoff.bmp", checkBox(16, false));
        out.writeBmp(directory + "scrollupup.bmp", scrollArrow(true, false));
        out.writeBmp(directory + "scrollupdown.bmp", scrollArrow(true, true));
        out.writeBmp(directory + "scrolldownup.bmp", scrollArrow(false, false));
        out.writeBmp(directory + "scrolldowndown.bmp", scrollArrow(false, true));
    }
    out.writeBmp("data/default/button/6on.bmp", checkBox(20, true));
    out.writeBmp("data/default/button/6off.bmp", checkBox(20, false));
    out.writeBmp("data/default/pageon.bmp", envelope(true));
    out.writeBmp("data/default/pageoff.bmp", envelope(false));
    out.writeBmp("data/default/soundon.bmp", speaker(true));
    out.writeBmp("data/default/soundoff.bmp", speaker(false));
    out.writeBmp("data/default/play.bmp", playPause(false));
    out.writeBmp("data/default/pause.bmp", playPause(true));
    out.writeBmp("data/default/tab.bmp",
                 tab(QColor(30, 52, 112), QColor(16, 28, 66), QColor(70, 100, 170)), true);
    out.writeBmp("data/default/tabselect.bmp",
                 tab(QColor(62, 108, 210), QColor(26, 52, 126), theme::kOrange), true);
    out.writeBmp("data/default/tabmessage.bmp",
                 tab(QColor(150, 96, 20), QColor(70, 40, 10), QColor(255, 190, 80)), true);
    out.writeBmp("data/default/player.bmp", marker(false), true);
    out.writeBmp("data/default/spectator.bmp", marker(true), true);

    out.writeBmp("data/default/session/unknow.bmp", unknownGame());
    out.writeBmp("games/chat/session.bmp", chatRoom());
    out.writeBmp("data/default/session/open.bmp",
                 badge(QColor(30, 170, 60),
                       [](QPainter& p) {
                           p.setPen(QPen(Qt::white, 2));
                           p.drawLine(QPointF(8, 4), QPointF(8, 12));
                           p.drawLine(QPointF(4, 8), QPointF(12, 8));
                       }),
                 true);
    out.writeBmp("data/default/session/started.bmp",
                 badge(QColor(200, 40, 30),
                       [](QPainter& p) {
                           QPainterPath arrow;
                           arrow.moveTo(6, 4);
                           arrow.lineTo(12, 8);
                           arrow.lineTo(6, 12);
                           arrow.closeSubpath();
                           p.setPen(Qt::NoPen);
                           p.setBrush(Qt::white);
                           p.drawPath(arrow);
                       }),
                 true);
    out.writeBmp("data/default/session/private.bmp",
                 badge(QColor(210, 150, 0),
                       [](QPainter& p) {
                           p.setPen(QPen(Qt::white, 1.5));
                           p.setBrush(Qt::NoBrush);
                           p.drawArc(QRectF(5, 3, 6, 7), 0, 180 * 16);
                           p.setPen(Qt::NoPen);
                           p.setBrush(Qt::white);
                           p.drawRect(QRectF(4, 7, 8, 6));
                       }),
                 true);
}

}  // namespace tessary::artgen
