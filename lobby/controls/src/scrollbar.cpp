#include "controls/scrollbar.h"

#include <QMouseEvent>
#include <QPainter>

#include "control_skin.h"

namespace tessary::controls {

Scrollbar::Scrollbar(QWidget* parent, std::string_view pictureDirectory) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    detail::loadPictureFrom(upAtRest_, pictureDirectory, "scrollupup.bmp");
    detail::loadPictureFrom(upPressed_, pictureDirectory, "scrollupdown.bmp");
    detail::loadPictureFrom(downAtRest_, pictureDirectory, "scrolldownup.bmp");
    detail::loadPictureFrom(downPressed_, pictureDirectory, "scrolldowndown.bmp");
    connect(&repeatTimer_, &QTimer::timeout, this, &Scrollbar::repeat);
    resize(barWidth(), upAtRest_.height() + downAtRest_.height());
    relayout();
}

void Scrollbar::attach(QWidget* target, const QRect& targetArea) {
    target_ = target;
    targetArea_ = targetArea;
    setGeometry(targetArea.right() + 1 - barWidth(), targetArea.top(), barWidth(),
                targetArea.height());
    relayout();
    updateVisibility();
}

void Scrollbar::resizeEvent(QResizeEvent*) { relayout(); }

void Scrollbar::relayout() {
    const ScrollRange range = geometry_.range();
    geometry_ = ScrollGeometry(barWidth(), height(), upAtRest_.height(), downAtRest_.height());
    geometry_.setRange(range);
    update();
}

void Scrollbar::setRange(int minimum, int maximum, int position) {
    geometry_.setRange({minimum, maximum, position});
    updateVisibility();
    update();
}

void Scrollbar::setPosition(int position) {
    if (position == geometry_.range().position) return;
    geometry_.setPosition(position);
    update();
}

void Scrollbar::setAutoHide(bool autoHide) {
    autoHide_ = autoHide;
    updateVisibility();
}

void Scrollbar::setTrackColour(const QColor& colour) {
    trackColour_ = colour;
    update();
}

void Scrollbar::updateVisibility() {
    // Resizing the target can change its range (rewrapped text) and call back.
    if (updatingTarget_) return;
    updatingTarget_ = true;
    const bool shown = !(autoHide_ && geometry_.isEmpty());
    setVisible(shown);
    if (target_ && targetArea_.isValid()) {
        QRect area = targetArea_;
        if (shown) area.setWidth(std::max(0, area.width() - barWidth()));
        target_->setGeometry(area);
    }
    updatingTarget_ = false;
}

void Scrollbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), trackColour_);
    const Box thumb = geometry_.thumb();
    if (!geometry_.isEmpty()) {
        painter.fillRect(QRect(thumb.x, thumb.y, thumb.width, thumb.height), kThumbColour);
    }
    auto drawArrow = [&](const skin::SkinImage& picture, const Box& box) {
        const QRect target(box.x, box.y, box.width, box.height);
        if (target.size() == picture.size()) {
            picture.draw(painter, target.topLeft());
        } else {
            picture.drawStretched(painter, target);
        }
    };
    drawArrow(pressed_ == ScrollPart::UpArrow ? upPressed_ : upAtRest_, geometry_.upArrow());
    drawArrow(pressed_ == ScrollPart::DownArrow ? downPressed_ : downAtRest_,
              geometry_.downArrow());
}

void Scrollbar::sendPressed() {
    switch (pressed_) {
        case ScrollPart::UpArrow: emit scrollRequested(ScrollRequest::LineUp, 0); break;
        case ScrollPart::DownArrow: emit scrollRequested(ScrollRequest::LineDown, 0); break;
        case ScrollPart::PageUp: emit scrollRequested(ScrollRequest::PageUp, 0); break;
        case ScrollPart::PageDown: emit scrollRequested(ScrollRequest::PageDown, 0); break;
        case ScrollPart::Thumb:
        case ScrollPart::None: break;
    }
}

void Scrollbar::repeat() {
    repeatTimer_.setInterval(kRepeatMs);
    // A page step may have moved the thumb under the cursor: stop there.
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    if ((pressed_ == ScrollPart::PageUp || pressed_ == ScrollPart::PageDown) &&
        rect().contains(cursor) && geometry_.partAt(cursor.x(), cursor.y()) == ScrollPart::Thumb) {
        return;
    }
    sendPressed();
}

void Scrollbar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    pressed_ = geometry_.partAt(at.x(), at.y());
    if (pressed_ == ScrollPart::None) return;
    if (pressed_ == ScrollPart::Thumb) {
        dragOffset_ = at.y() - geometry_.thumb().y;
        lastSent_ = geometry_.range().position;
    } else {
        sendPressed();
        repeatTimer_.start(kFirstRepeatMs);
    }
    update();
}

void Scrollbar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (pressed_ == ScrollPart::Thumb) {
        const int position = geometry_.positionForThumbOffset(at.y() - dragOffset_ -
                                                              geometry_.trackTop());
        if (position != lastSent_) {
            lastSent_ = position;
            geometry_.setPosition(position);
            update();
            emit scrollRequested(ScrollRequest::ThumbTrack, position);
        }
        return;
    }
    const Box arrow = pressed_ == ScrollPart::UpArrow     ? geometry_.upArrow()
                      : pressed_ == ScrollPart::DownArrow ? geometry_.downArrow()
                                                          : Box{};
    if (arrow.height > 0 && !arrow.contains(at.x(), at.y())) release();
}

void Scrollbar::mouseReleaseEvent(QMouseEvent*) { release(); }

void Scrollbar::release() {
    repeatTimer_.stop();
    pressed_ = ScrollPart::None;
    update();
}

}  // namespace tessary::controls
