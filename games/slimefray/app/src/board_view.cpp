#include "board_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace tessary::slimefray {
namespace {

QRect frameRect(int frame) { return QRect(frame * BoardView::kCell, 0, BoardView::kCell, BoardView::kCell); }

}  // namespace

BoardView::BoardView(ClientGame& game, const Pictures& pictures, BoardAnimator& animator, QWidget* parent)
    : QWidget(parent), game_(game), pictures_(pictures), animator_(animator) {
    setWindowTitle("Slimefray");
    setSizeIncrement(kCell, kCell);
    setBaseSize(2 * kFrame, 2 * kFrame);
    setMinimumSize(kCell + 2 * kFrame, kCell + 2 * kFrame);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int BoardView::snappedSide(int pixels, int boardSide) {
    int cells = std::clamp((pixels - 2 * kFrame) / kCell, 1, std::max(1, boardSide));
    return cells * kCell + 2 * kFrame;
}

QRect BoardView::viewport() const {
    return QRect(scroll_, QSize(width() - 2 * kFrame, height() - 2 * kFrame));
}

void BoardView::clampScroll() {
    const int boardPixels = game_.board().side() * kCell;
    scroll_.setX(std::clamp(scroll_.x(), 0, std::max(0, boardPixels - (width() - 2 * kFrame))));
    scroll_.setY(std::clamp(scroll_.y(), 0, std::max(0, boardPixels - (height() - 2 * kFrame))));
}

void BoardView::scrollTo(QPoint topLeft) {
    scroll_ = topLeft;
    clampScroll();
    update();
    emit viewChanged();
}

QPoint BoardView::cellAt(QPoint point) const {
    QPoint board = point - QPoint(kFrame, kFrame) + scroll_;
    if (point.x() < kFrame || point.y() < kFrame || board.x() < 0 || board.y() < 0) return {-1, -1};
    int x = board.x() / kCell, y = board.y() / kCell;
    return game_.board().inside(x, y) ? QPoint(x, y) : QPoint(-1, -1);
}

void BoardView::drawCell(QPainter& painter, int x, int y, QPoint at) const {
    const BoardCell& cell = game_.board().at(x, y);
    const QRect target(at, QSize(kCell, kCell));
    const QImage& tile = tiles_[std::min<size_t>(cell.tile, 2)];
    int obstacleFrame = animator_.obstacleFrame(x, y);
    if (cell.tile == kDebris && obstacleFrame > 0 && !obstacleStrip_.isNull()) {
        painter.drawImage(target, obstacleStrip_, frameRect(obstacleFrame));
    } else if (!tile.isNull()) {
        painter.drawImage(target, tile, QRect(0, 0, kCell, kCell));
    } else {
        painter.fillRect(target, cell.tile == kFloor ? QColor(70, 110, 60) : QColor(90, 90, 90));
    }
    if (cell.item != kNoItem) {
        const QImage& icon = pictures_.powers[size_t(cell.item)];
        painter.drawImage(target.adjusted(8, 8, -8, -8), icon);
    }
    int owner = animator_.ownerOverride(x, y).value_or(cell.blob);
    if (owner == kMineBlob) {
        painter.drawImage(target, pictures_.mine, frameRect(animator_.mineFrame(x, y)));
    } else if (owner >= 0 && owner < kMaxSlots) {
        const QImage& strip = pictures_.blobs[size_t(owner)];
        int frame = animator_.blobFrame(x, y) % std::max(1, frameCount(strip));
        painter.drawImage(target, strip, frameRect(frame));
    }
    if (cell.shielded) painter.drawImage(target, pictures_.hyper);
    if (cell.highlighted) painter.drawImage(target, pictures_.highlight);
}

void BoardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(20, 16, 30));
    painter.setPen(QColor(110, 100, 160));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const BoardModel& board = game_.board();
    if (board.side() == 0) return;
    painter.setClipRect(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame));
    const QRect view = viewport();
    const int firstX = view.left() / kCell, firstY = view.top() / kCell;
    const int lastX = std::min(board.side() - 1, view.right() / kCell);
    const int lastY = std::min(board.side() - 1, view.bottom() / kCell);
    const QPoint origin = QPoint(kFrame, kFrame) - scroll_;
    for (int x = firstX; x <= lastX; ++x) {
        for (int y = firstY; y <= lastY; ++y) drawCell(painter, x, y, origin + QPoint(x * kCell, y * kCell));
    }
    for (const BoardAnimator::Overlay& overlay : animator_.overlays()) {
        const QImage& strip = overlay.strip == BoardAnimator::Strip::Boom      ? pictures_.boom
                              : overlay.strip == BoardAnimator::Strip::Cyclone ? pictures_.cyclone
                                                                               : pictures_.hyper;
        QPoint at = origin + QPoint(overlay.cell.x * kCell, overlay.cell.y * kCell);
        painter.drawImage(QRect(at, QSize(kCell, kCell)), strip, frameRect(overlay.frame));
    }
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        dragging_ = true;
        dragFrom_ = event->position().toPoint();
        grabMouse(Qt::SizeAllCursor);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    QPoint cell = cellAt(event->position().toPoint());
    if (cell.x() >= 0) emit cellPressed(cell.x(), cell.y());
    if (windowHandle() && isWindow()) windowHandle()->startSystemMove();
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    QPoint now = event->position().toPoint();
    scrollTo(scroll_ - (now - dragFrom_));
    dragFrom_ = now;
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton || !dragging_) return;
    dragging_ = false;
    releaseMouse();
}

void BoardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int side = game_.board().side();
    QSize snapped(snappedSide(width(), side), snappedSide(height(), side));
    if (side > 0 && snapped != size()) {
        resize(snapped);
        return;
    }
    clampScroll();
    emit viewChanged();
}

}  // namespace tessary::slimefray
