// A two-picture switch of the main window (pages shown, sounds on).
#pragma once

#include <QWidget>
#include <string_view>

#include "skin/skin_image.h"

namespace tessary::lobby {

class ToggleSwitch : public QWidget {
    Q_OBJECT

public:
    // `offPicture` and `onPicture`: paths as the Parts write them.
    ToggleSwitch(QWidget* parent, QPoint topLeft, std::string_view offPicture,
                 std::string_view onPicture, bool on);

    bool isOn() const { return on_; }
    void setOn(bool on);

signals:
    void toggled(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    skin::SkinImage offImage_;
    skin::SkinImage onImage_;
    bool on_;
};

}  // namespace tessary::lobby
