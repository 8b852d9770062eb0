#include "skin/skinned_dialog.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "skin/bitmap_button.h"
#include "skin/image_loader.h"

namespace tessary::skin {

SkinnedDialog::SkinnedDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
    applyColors();
}

bool SkinnedDialog::setBackground(std::string_view path) {
    if (!loadImage(background_, path)) return false;
    setFixedSize(background_.size());
    if (isWindow()) centreOnScreen();
    update();
    return true;
}

BitmapButton* SkinnedDialog::addButton(QPoint topLeft, int commandId, std::string_view prefix,
                                       int pictureCount, std::string_view sound) {
    auto* button = new BitmapButton(this, commandId);
    if (!button->create(topLeft, prefix, pictureCount)) {
        delete button;
        return nullptr;
    }
    if (!sound.empty()) button->setSound(std::string(sound));
    connect(button, &BitmapButton::command, this, &SkinnedDialog::onCommand);
    return button;
}

void SkinnedDialog::onCommand(int commandId) {
    if (commandId == kCommandOk) {
        accept();
    } else if (commandId == kCommandCancel) {
        reject();
    } else {
        emit command(commandId);
    }
}

void SkinnedDialog::setTextColor(const QColor& color) {
    textColor_ = color;
    applyColors();
}

void SkinnedDialog::setBackgroundColor(const QColor& color) {
    backgroundColor_ = color;
    applyColors();
}

// Captions (labels) paint no background of their own, so they lie on the
// picture; edits and lists fill with the background colour.
void SkinnedDialog::applyColors() {
    QPalette colors = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        colors.setColor(role, textColor_);
    }
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        colors.setColor(role, backgroundColor_);
    }
    setPalette(colors);
    update();
}

void SkinnedDialog::centreOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void SkinnedDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isNull()) {
        painter.fillRect(rect(), backgroundColor_);
    } else {
        background_.draw(painter, QPoint(0, 0));
    }
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event) {
    if (movable_ && isWindow() && event->button() == Qt::LeftButton) {
        QWindow* handle = windowHandle();
        if (handle == nullptr || !handle->startSystemMove()) {
            dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        }
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void SkinnedDialog::mouseReleaseEvent(QMouseEvent* event) {
    dragOffset_.reset();
    QDialog::mouseReleaseEvent(event);
}

void SkinnedDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        active_ = isActiveWindow();
        if (!active_) {
            dragOffset_.reset();
            if (QWidget::mouseGrabber() == this) releaseMouse();
        }
    }
    QDialog::changeEvent(event);
}

}  // namespace tessary::skin
