#include "picture_button.h"

#include <QPainter>

namespace tessary::poker {

PictureButton::PictureButton(const QString& text, int controlId, ButtonPictures pictures, QWidget* parent)
    : QAbstractButton(parent), pictures_(std::move(pictures)) {
    setText(text);
    setObjectName(text);
    setProperty("controlId", controlId);
    setFocusPolicy(Qt::NoFocus);
    resize(sizeHint());
}

QSize PictureButton::sizeHint() const { return pictures_.up.isNull() ? QSize(72, 24) : pictures_.up.size(); }

const QPixmap& PictureButton::pictureForState() const {
    if (!isEnabled()) return pictures_.dis;
    if (isDown() || isChecked()) return pictures_.down;
    if (hovered_ && !pictures_.sel.isNull()) return pictures_.sel;
    return pictures_.up;
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& picture = pictureForState();
    if (!picture.isNull()) {
        p.drawPixmap(0, 0, picture);
        return;
    }
    p.fillRect(rect(), isEnabled() ? QColor(200, 190, 150) : QColor(120, 120, 120));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawText(rect(), Qt::AlignCenter, text());
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace tessary::poker
