// The Router's arenas ("ArenaList"): per row the ping picture, the name
// word-wrapped beside it and the count right-aligned; the selected row on
// dark blue. A double click asks to join unless the program is busy.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "controls/arena_rows.h"
#include "controls/scroll_geometry.h"
#include "skin/skin_image.h"

namespace tessary::controls {

class Scrollbar;

class ArenaList : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCountColumn = 120;
    static inline const QColor kSelection{0, 0, 130};

    explicit ArenaList(QWidget* parent);
    void place(const QRect& area);

    // Replaces the rows: no selection, first row at the top.
    void setRows(std::vector<ArenaRow> rows);
    const std::vector<ArenaRow>& rows() const { return rows_; }
    // A new ping for row `index`; redraws it.
    void setPing(int index, int ping);

    int selectedRow() const { return selected_; }
    void setSelectedRow(int row);
    int firstRow() const { return first_; }
    // The rows' heights: the name wrapped beside the ping picture.
    int rowHeight(int index) const;
    int rowAt(QPoint point) const;
    // Rows moved per page step: the list's height over a line of font 0.
    int pageRows() const;
    void scroll(ScrollRequest request, int position = 0);
    Scrollbar* scrollbar() const { return bar_; }

signals:
    // A double click on a row while the program is not busy.
    void rowActivated(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int nameWidth() const;
    void refresh();

    std::vector<ArenaRow> rows_;
    std::array<skin::SkinImage, 6> ping_;
    int selected_ = -1;
    int first_ = 0;
    Scrollbar* bar_;
    WheelAccumulator wheel_;
};

}  // namespace tessary::controls
