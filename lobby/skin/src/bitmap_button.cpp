#include "skin/bitmap_button.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include "skin/image_loader.h"
#include "skin/skin_environment.h"

namespace tessary::skin {

BitmapButton::BitmapButton(QWidget* parent, int commandId)
    : QAbstractButton(parent), commandId_(commandId) {
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hoverTimer_.setInterval(kHoverPeriodMs);
    connect(&hoverTimer_, &QTimer::timeout, this, &BitmapButton::checkHover);
    connect(this, &QAbstractButton::clicked, this, [this] { emit command(commandId_); });
}

bool BitmapButton::create(QPoint topLeft, std::string_view prefix, int pictureCount) {
    if (pictureCount < 2 || pictureCount > 4) return false;
    static constexpr const char* kSuffixes[] = {"up.bmp", "down.bmp", "sel.bmp", "dis.bmp"};
    bool loaded = true;
    for (int i = 0; i < pictureCount; ++i) {
        loaded =
            loadImage(pictures_[static_cast<std::size_t>(i)], std::string(prefix) + kSuffixes[i]) &&
            loaded;
    }
    if (!loaded || !hasPicture(Face::Up)) return false;
    setGeometry(QRect(topLeft, pictures_[index(Face::Up)].size()));
    show();
    return true;
}

bool BitmapButton::loadPicture(Face face, std::string_view file) {
    const bool loaded = loadImage(pictures_[index(face)], file);
    update();
    return loaded;
}

QSize BitmapButton::sizeHint() const { return pictures_[index(Face::Up)].size(); }

BitmapButton::Face BitmapButton::currentFace() const {
    if (isDown() && hasPicture(Face::Down)) return Face::Down;
    if (!isEnabled()) return hasPicture(Face::Dis) ? Face::Dis : Face::Up;
    if (hovered_ && hasPicture(Face::Sel)) return Face::Sel;
    return Face::Up;
}

void BitmapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    pictures_[index(currentFace())].draw(painter, QPoint(0, 0));
}

void BitmapButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (hovered_ || !isEnabled()) return;
    hovered_ = true;
    update();
    hoverTimer_.start();
}

void BitmapButton::checkHover() {
    QPoint cursor = cursorProbe_ ? cursorProbe_() : QCursor::pos();
    if (QRect(mapToGlobal(QPoint(0, 0)), size()).contains(cursor)) return;
    hoverTimer_.stop();
    hovered_ = false;
    update();
}

void BitmapButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (ignoreWhileBusy_ && isBusy()) {
            event->accept();  // taken, so the window does not start a move either
            return;
        }
        playLobbySound(sound_, desktop::SoundWait::Async, desktop::WhenBusy::Skip);
        hovered_ = false;
    }
    QAbstractButton::mousePressEvent(event);
}

// A fast second click counts as a click of its own.
void BitmapButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

}  // namespace tessary::skin
