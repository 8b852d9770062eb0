#include "controls/picture_switch.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/image_loader.h"

namespace tessary::controls {

PictureSwitch::PictureSwitch(QWidget* parent, QPoint topLeft, std::string_view offPicture,
                             std::string_view onPicture, bool on)
    : QWidget(parent), on_(on) {
    skin::loadImage(off_, offPicture);
    skin::loadImage(onPicture_, onPicture);
    setGeometry(QRect(topLeft, off_.size()));
    setCursor(Qt::PointingHandCursor);
}

void PictureSwitch::setOn(bool on) {
    on_ = on;
    update();
}

void PictureSwitch::setTransparent(bool transparent) {
    transparent_ = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

void PictureSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const skin::SkinImage& picture = on_ ? onPicture_ : off_;
    if (transparent_) {
        picture.drawTransparent(painter, {0, 0});
    } else {
        picture.draw(painter, {0, 0});
    }
}

void PictureSwitch::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    on_ = !on_;
    update();
    emit toggled(on_);
}

void PictureSwitch::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

}  // namespace tessary::controls
