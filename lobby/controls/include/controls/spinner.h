// A number picker ("SpinButton"): the value in white on black beside a
// Scrollbar whose upper arrow lowers the number and whose lower arrow raises it.
#pragma once

#include <QWidget>

#include "controls/scroll_geometry.h"

namespace tessary::controls {

class Scrollbar;

class Spinner : public QWidget {
    Q_OBJECT

public:
    // An initial value outside minimum..maximum becomes their middle. The page
    // step is a quarter of the range's width, at least 4 for small ranges.
    Spinner(QWidget* parent, int minimum, int maximum, int value);
    void place(const QRect& area);

    int value() const { return value_; }
    void setValue(int value);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int pageStep() const { return pageStep_; }
    void scroll(ScrollRequest request, int position = 0);
    Scrollbar* scrollbar() const { return bar_; }

signals:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimum_;
    int maximum_;
    int value_;
    int pageStep_;
    Scrollbar* bar_;
};

}  // namespace tessary::controls
