#include "lobby/toggle_switch.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/image_loader.h"

namespace tessary::lobby {

ToggleSwitch::ToggleSwitch(QWidget* parent, QPoint topLeft, std::string_view offPicture,
                           std::string_view onPicture, bool on)
    : QWidget(parent), on_(on) {
    skin::loadImage(offImage_, offPicture);
    skin::loadImage(onImage_, onPicture);
    const QSize size = offImage_.isNull() ? QSize(16, 16) : offImage_.size();
    setGeometry(QRect(topLeft, size));
    setCursor(Qt::PointingHandCursor);
}

void ToggleSwitch::setOn(bool on) {
    if (on == on_) return;
    on_ = on;
    update();
    emit toggled(on_);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto& picture = on_ ? onImage_ : offImage_;
    if (!picture.isNull()) picture.draw(painter, {0, 0});
}

void ToggleSwitch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setOn(!on_);
}

}  // namespace tessary::lobby
