// The minimap: the whole board in small on its picture, with a frame around
// what the game window shows. Dragged by its top strip; closed by its button.
#pragma once

#include <QRect>
#include <QWidget>

#include "pictures.h"
#include "slimefray/board_model.h"

namespace tessary::slimefray {

class MinimapWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 162;
    static constexpr int kHeight = 185;
    static constexpr int kStrip = 29;
    static constexpr QPoint kBoardOrigin{6, 29};
    static constexpr int kBoardPixels = 150;

    MinimapWindow(const BoardModel& board, const Pictures& pictures, QWidget* parent = nullptr);

    // The part of the board the game window shows, in board pixels.
    void setFocus(QRect boardPixels);
    QRect closeButton() const { return QRect(kWidth - 22, 6, 16, 16); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const BoardModel& board_;
    const Pictures& pictures_;
    QRect focus_;
};

}  // namespace tessary::slimefray
