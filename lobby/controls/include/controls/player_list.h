// The arena's player list ("PlayerList"): per row the ping picture, the name
// up to the column boundary and the session name after it, the playing or
// watching marker just left of the boundary; the row under the mouse in
// orange on dark blue until a 100 ms check finds the mouse gone.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "controls/player_rows.h"
#include "controls/scroll_geometry.h"
#include "skin/skin_image.h"

namespace tessary::controls {

class Scrollbar;

class PlayerList : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHoverCheckMs = 100;
    static inline const QColor kHighlighted{255, 0, 0};
    static inline const QColor kHoverText{255, 168, 0};
    static inline const QColor kHoverFill{0, 0, 125};

    // Shows `rows` (not owned; the arena view keeps them).
    PlayerList(QWidget* parent, const PlayerRows* rows);
    void place(const QRect& area);
    // Where the session column begins (the name header's width).
    void setColumnBoundary(int x);

    // After the rows changed: range, selection kept in bounds, repaint.
    void refresh();
    int rowHeight() const { return rowHeight_; }
    int firstRow() const { return first_; }
    int visibleRows() const;
    int rowAt(QPoint point) const;  // -1 under no row
    int hoveredRow() const { return hovered_; }
    int selectedRow() const { return selected_; }
    void setSelectedRow(int row);
    void scroll(ScrollRequest request, int position = 0);
    Scrollbar* scrollbar() const { return bar_; }

    // Where the cursor is, in global coordinates (tests replace it).
    void setCursorProbe(std::function<QPoint()> probe) { cursorProbe_ = std::move(probe); }

signals:
    void rowDoubleClicked(int row);
    // A right click selected `row` (maybe -1); the menu opens at `globalPos`.
    void rowMenuRequested(int row, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void checkHover();

    const PlayerRows* rows_;
    std::array<skin::SkinImage, 6> ping_;
    skin::SkinImage player_;
    skin::SkinImage spectator_;
    int rowHeight_ = 1;
    int boundary_ = 0;
    int first_ = 0;
    int hovered_ = -1;
    int selected_ = -1;
    Scrollbar* bar_;
    QTimer hoverTimer_;
    WheelAccumulator wheel_;
    std::function<QPoint()> cursorProbe_;
};

}  // namespace tessary::controls
