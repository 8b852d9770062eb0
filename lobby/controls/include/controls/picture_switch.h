// A two-state picture switch ("OnOff"): the off or the on picture; a left
// press toggles it, and a fast second press counts as a press of its own.
#pragma once

#include <QWidget>
#include <string_view>

#include "skin/skin_image.h"

namespace tessary::controls {

class PictureSwitch : public QWidget {
    Q_OBJECT

public:
    // `offPicture` and `onPicture`: paths as the Parts write them
    // (skinPath("off.bmp")). Missing pictures throw SkinFatalError.
    PictureSwitch(QWidget* parent, QPoint topLeft, std::string_view offPicture,
                  std::string_view onPicture, bool on = false);

    bool isOn() const { return on_; }
    // Changes the state without a toggled() signal.
    void setOn(bool on);
    // Pure black in the pictures lets the background show.
    void setTransparent(bool transparent);

signals:
    void toggled(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    skin::SkinImage off_;
    skin::SkinImage onPicture_;
    bool on_;
    bool transparent_ = false;
};

}  // namespace tessary::controls
