#include "title_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace tessary::poker {

TitleBar::TitleBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    setObjectName("titleBar");
}

void TitleBar::setSoundOn(bool on) {
    soundOn_ = on;
    update();
}

QRect TitleBar::standardButton(int fromRight) const {
    return {width() - fromRight * kButtonWidth - kFrame, kFrame, kButtonWidth, kButtonHeight};
}

QRect TitleBar::closeButton() const { return standardButton(1); }
QRect TitleBar::maximiseButton() const { return standardButton(2); }
QRect TitleBar::minimiseButton() const { return standardButton(3); }

// The program's buttons: a caption button's size inset by 2 pixels at top and
// bottom and 2 pixels narrower; the first one's left edge four button widths
// and one pixel from the right edge, one frame below the top.
QRect TitleBar::helpButton() const {
    return {width() - 4 * kButtonWidth - 1, kFrame + 2, kButtonWidth - 2, kButtonHeight - 4};
}

QRect TitleBar::soundButton() const { return helpButton().translated(-kButtonWidth, 0); }

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient bar(0, 0, 0, height());
    bar.setColorAt(0, QColor(60, 20, 20));
    bar.setColorAt(1, QColor(120, 30, 30));
    p.fillRect(rect(), bar);
    p.setPen(QColor(255, 230, 160));
    QFont caption = font();
    caption.setBold(true);
    p.setFont(caption);
    p.drawText(QRect(8, 0, width() / 2, height()), Qt::AlignVCenter | Qt::AlignLeft, window()->windowTitle());

    auto face = [&](const QRect& r, bool enabled) {
        p.setPen(QColor(40, 10, 10));
        p.setBrush(enabled ? QColor(220, 200, 170) : QColor(150, 130, 120));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(enabled ? Qt::black : QColor(100, 90, 80));
    };
    QFont glyphs = font();
    glyphs.setBold(true);
    p.setFont(glyphs);

    const QRect close = closeButton().adjusted(1, 1, -1, -1);
    face(close, true);
    p.drawLine(close.center() + QPoint(-4, -4), close.center() + QPoint(4, 4));
    p.drawLine(close.center() + QPoint(-4, 4), close.center() + QPoint(4, -4));
    const QRect maximise = maximiseButton().adjusted(1, 1, -1, -1);
    face(maximise, false);
    p.drawRect(maximise.adjusted(5, 4, -6, -5));
    const QRect minimise = minimiseButton().adjusted(1, 1, -1, -1);
    face(minimise, true);
    p.drawLine(minimise.left() + 5, minimise.bottom() - 5, minimise.right() - 5, minimise.bottom() - 5);

    face(helpButton(), true);
    p.drawText(helpButton(), Qt::AlignCenter, "?");
    const QRect sound = soundButton();
    face(sound, true);
    // A loudspeaker; struck through when the sounds are off.
    const QPoint c = sound.center();
    QPolygon speaker;
    speaker << c + QPoint(-6, -2) << c + QPoint(-3, -2) << c + QPoint(1, -6) << c + QPoint(1, 6)
            << c + QPoint(-3, 2) << c + QPoint(-6, 2);
    p.setBrush(Qt::black);
    p.drawPolygon(speaker);
    p.setBrush(Qt::NoBrush);
    if (soundOn_) {
        p.drawArc(QRect(c.x() - 2, c.y() - 5, 8, 10), -60 * 16, 120 * 16);
    } else {
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(c + QPoint(-7, 6), c + QPoint(7, -6));
    }
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (helpButton().contains(at)) {
        emit helpClicked();
    } else if (soundButton().contains(at)) {
        setSoundOn(!soundOn_);
        emit soundToggled(soundOn_);
    } else if (closeButton().contains(at)) {
        emit closeClicked();
    } else if (minimiseButton().contains(at)) {
        emit minimiseClicked();
    } else if (maximiseButton().contains(at)) {
        // A fixed-size window does not maximise.
    } else if (QWindow* w = window()->windowHandle()) {
        w->startSystemMove();
    }
}

}  // namespace tessary::poker
