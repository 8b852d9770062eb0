#include "controls/picture_list.h"

#include <QPainter>
#include <filesystem>

#include "control_skin.h"
#include "platform/paths.h"
#include "desktop/ansi_text.h"
#include "skin/bitmap_button.h"
#include "skin/image_loader.h"
#include "skin/skin_environment.h"

namespace tessary::controls {
PictureList::PictureList(QWidget* parent, const QRect& area, std::string directory)
    : QWidget(parent),
      directory_(std::move(directory)),
      previous_(new skin::BitmapButton(this, 1)),
      next_(new skin::BitmapButton(this, 2)) {
    setGeometry(area);
    const int top = textHeight();
    if (previous_->create(QPoint(0, top), skin::buttonPrefixWithFallback(directory_, "previous"), 3)) {
        previous_->move(0, top);
    }
    if (next_->create(QPoint(0, top), skin::buttonPrefixWithFallback(directory_, "next"), 3)) {
        next_->move(width() - next_->width(), top);
    }
    connect(previous_, &skin::BitmapButton::command, this, [this] { previous(); });
    connect(next_, &skin::BitmapButton::command, this, [this] { next(); });
}

int PictureList::textHeight() const { return detail::lineHeight(0); }

void PictureList::setItems(std::vector<Item> items) {
    items_ = std::move(items);
    current_ = -1;
    if (!items_.empty()) show(0);
    update();
}

const std::string& PictureList::currentValue() const {
    static const std::string none;
    return current_ < 0 ? none : items_[static_cast<std::size_t>(current_)].value;
}

bool PictureList::setValue(const std::string& value) {
    for (int i = static_cast<int>(items_.size()) - 1; i >= 0; --i) {
        if (items_[static_cast<std::size_t>(i)].value == value) {
            show(i);
            return true;
        }
    }
    return false;
}

void PictureList::previous() {
    if (items_.empty()) return;
    show(current_ <= 0 ? static_cast<int>(items_.size()) - 1 : current_ - 1);
}

void PictureList::next() {
    if (items_.empty()) return;
    show(current_ + 1 >= static_cast<int>(items_.size()) ? 0 : current_ + 1);
}

void PictureList::show(int index) {
    current_ = index;
    picture_.clear();
    skin::loadImage(picture_, items_[static_cast<std::size_t>(index)].picture);
    update();
    emit currentChanged(index);
}

void PictureList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (current_ < 0) return;
    const int top = textHeight();
    painter.setFont(detail::font(0));
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, width(), top), Qt::AlignCenter, desktop::fromAnsi(currentValue()));
    picture_.drawStretched(painter, QRect(0, top, width(), height() - top));
}

}  // namespace tessary::controls
