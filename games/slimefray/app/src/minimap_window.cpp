#include "minimap_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "slot_colours.h"

namespace tessary::slimefray {

MinimapWindow::MinimapWindow(const BoardModel& board, const Pictures& pictures, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), board_(board), pictures_(pictures) {
    setWindowTitle("Map");
    setFixedSize(kWidth, kHeight);
    move(200, 200);
}

void MinimapWindow::setFocus(QRect boardPixels) {
    focus_ = boardPixels;
    update();
}

void MinimapWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!pictures_.minimap.isNull()) {
        p.drawImage(0, 0, pictures_.minimap);
    } else {
        p.fillRect(rect(), QColor(40, 40, 60));
    }
    p.setPen(QPen(QColor(230, 230, 240), 2));
    QRect close = closeButton();
    p.drawLine(close.topLeft() + QPoint(3, 3), close.bottomRight() - QPoint(3, 3));
    p.drawLine(close.topRight() + QPoint(-3, 3), close.bottomLeft() + QPoint(3, -3));
    const int side = board_.side();
    if (side == 0) return;
    const double cell = double(kBoardPixels) / side;
    p.setRenderHint(QPainter::Antialiasing);
    auto box = [&](int x, int y) {
        return QRectF(kBoardOrigin.x() + x * cell, kBoardOrigin.y() + y * cell, cell, cell);
    };
    QBrush hatch(QColor(120, 120, 120), Qt::BDiagPattern);
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            const BoardCell& c = board_.at(x, y);
            if (c.tile != kFloor) {
                p.fillRect(box(x, y), QColor(80, 80, 80));
                p.fillRect(box(x, y), hatch);
            }
            if (c.isSlotBlob()) {
                p.setPen(Qt::NoPen);
                p.setBrush(slotColour(c.blob));
                p.drawEllipse(box(x, y).adjusted(0.5, 0.5, -0.5, -0.5));
            }
        }
    }
    if (focus_.isValid()) {
        const double scale = cell / 50.0;
        QRectF shown(kBoardOrigin.x() + focus_.x() * scale, kBoardOrigin.y() + focus_.y() * scale,
                     focus_.width() * scale, focus_.height() * scale);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
        p.drawRect(shown.intersected(QRectF(kBoardOrigin, QSizeF(kBoardPixels, kBoardPixels))));
    }
}

void MinimapWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    QPoint at = event->position().toPoint();
    if (closeButton().contains(at)) {
        hide();
    } else if (at.y() < kStrip && windowHandle()) {
        windowHandle()->startSystemMove();
    }
}

}  // namespace tessary::slimefray
