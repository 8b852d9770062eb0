// The chat input's two small choosers, movable skinned dialogs on dark blue:
// the colour dialog (three sliders and a preview) and the font dialog (one
// sample row per font of the FontTable).
#pragma once

#include <QColor>
#include <QWidget>

#include "skin/skinned_dialog.h"

namespace tessary::controls {

// A horizontal 0..255 slider painted in the skin's colours.
class ColourSlider : public QWidget {
    Q_OBJECT

public:
    ColourSlider(QWidget* parent, const QRect& area, int value);
    int value() const { return value_; }
    void setValue(int value);

signals:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setFromX(int x);
    int value_;
};

class ColourDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static inline const QColor kBackground{0, 0, 120};
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 150;

    ColourDialog(QWidget* parent, const QColor& initial);
    // The sliders' colour (what OK returns).
    QColor colour() const;
    ColourSlider* slider(int index) const { return sliders_[index]; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourSlider* sliders_[3];
};

class FontDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 150;
    static constexpr int kRowPitch = 30;
    static inline const QColor kCancelColour{255, 55, 55};

    explicit FontDialog(QWidget* parent);
    // The font chosen by the last click (1 .. fonts - 1), or -1.
    int chosenFont() const { return chosen_; }
    int rowCount() const;
    QRect rowRect(int row) const;  // row 0 is font 1; the last row cancels
    int hoveredRow() const { return hovered_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int rowAt(QPoint point) const;

    int chosen_ = -1;
    int hovered_ = -1;
};

}  // namespace tessary::controls
