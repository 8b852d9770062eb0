// The window's own title bar: the caption, the three standard caption buttons
// (minimise, maximise, which a fixed-size window never enables, and close)
// and, left of them, the help and sound buttons drawn by the program.
#pragma once

#include <QWidget>

namespace tessary::poker {

class TitleBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 24;
    static constexpr int kFrame = 2;          // frame height above the buttons
    static constexpr int kButtonWidth = 22;   // a standard caption button
    static constexpr int kButtonHeight = 20;

    explicit TitleBar(QWidget* parent);

    void setSoundOn(bool on);
    bool soundOn() const { return soundOn_; }

    // Rectangles in the bar's coordinates (the bar spans the window's width).
    QRect helpButton() const;
    QRect soundButton() const;
    QRect minimiseButton() const;
    QRect maximiseButton() const;
    QRect closeButton() const;

signals:
    void helpClicked();
    void soundToggled(bool on);
    void minimiseClicked();
    void closeClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect standardButton(int fromRight) const;
    bool soundOn_ = true;
};

}  // namespace tessary::poker
