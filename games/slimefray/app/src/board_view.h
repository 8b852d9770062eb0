// The game window: the board from the scroll position, snapped to whole cells
// plus a 6-pixel frame. Left press plays a cell and moves the window; right
// drag scrolls.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <array>

#include "board_animator.h"
#include "pictures.h"
#include "slimefray/client_game.h"

namespace tessary::slimefray {

class BoardView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCell = 50;
    static constexpr int kFrame = 3;  // on each side: 6 pixels in all

    BoardView(ClientGame& game, const Pictures& pictures, BoardAnimator& animator, QWidget* parent = nullptr);

    void setThemePictures(const std::array<QImage, 3>& tiles) { tiles_ = tiles; }
    void setObstacleStrip(const QImage& strip) { obstacleStrip_ = strip; }

    // The visible part of the board in pixels of the whole board.
    QRect viewport() const;
    // Scrolls so that the pixel `topLeft` of the board is at the view's corner.
    void scrollTo(QPoint topLeft);
    QPoint scrollPosition() const { return scroll_; }
    // The size of `cells` whole cells and the frame.
    static int snappedSide(int pixels, int boardSide);
    // The cell under a point of the widget, or (-1, -1).
    QPoint cellAt(QPoint point) const;

signals:
    void viewChanged();
    void cellPressed(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void drawCell(class QPainter& painter, int x, int y, QPoint at) const;
    void clampScroll();

    ClientGame& game_;
    const Pictures& pictures_;
    BoardAnimator& animator_;
    std::array<QImage, 3> tiles_;
    QImage obstacleStrip_;
    QPoint scroll_{0, 0};
    bool dragging_ = false;
    QPoint dragFrom_;
};

}  // namespace tessary::slimefray
