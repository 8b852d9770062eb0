// A list of "label: value" rows ("ListBoxTransparent"): labels in orange,
// values in white, one line each, scrolled a row at a time by its Scrollbar;
// the row under the mouse shows its whole text as a tooltip.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "controls/scroll_geometry.h"

namespace tessary::controls {

class Scrollbar;

class LabelList : public QWidget {
    Q_OBJECT

public:
    static inline const QColor kLabelColour{255, 168, 0};

    explicit LabelList(QWidget* parent);
    void place(const QRect& area);

    // Parallel lists (Windows-1252); the shorter one decides the row count.
    void setRows(std::vector<std::string> labels, std::vector<std::string> values);
    int rowCount() const;
    int firstRow() const { return first_; }
    int visibleRows() const;
    int lineHeight() const;
    // "label: value" of `row`, or empty.
    QString rowText(int row) const;

    void scroll(ScrollRequest request, int position = 0);
    Scrollbar* scrollbar() const { return bar_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void updateRange();

    std::vector<std::string> labels_;
    std::vector<std::string> values_;
    int first_ = 0;
    Scrollbar* bar_;
};

}  // namespace tessary::controls
