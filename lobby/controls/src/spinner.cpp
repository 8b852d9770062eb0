#include "controls/spinner.h"

#include <QPainter>

#include "control_skin.h"
#include "controls/scrollbar.h"

namespace tessary::controls {

Spinner::Spinner(QWidget* parent, int minimum, int maximum, int value)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(std::max(minimum, maximum)),
      value_(value),
      bar_(new Scrollbar(parent)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (value_ < minimum_ || value_ > maximum_) value_ = (minimum_ + maximum_) / 2;
    const int size = maximum_ - minimum_;
    pageStep_ = size > 4 ? size / 4 : 4;
    bar_->setAutoHide(false);
    bar_->setRange(minimum_, maximum_, value_);
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
}

void Spinner::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
}

void Spinner::setValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    bar_->setPosition(value);
    if (value == value_) return;
    value_ = value;
    update();
    emit valueChanged(value_);
}

void Spinner::scroll(ScrollRequest request, int position) {
    switch (request) {
        case ScrollRequest::LineUp: setValue(value_ - 1); break;
        case ScrollRequest::LineDown: setValue(value_ + 1); break;
        case ScrollRequest::PageUp: setValue(value_ - pageStep_); break;
        case ScrollRequest::PageDown: setValue(value_ + pageStep_); break;
        case ScrollRequest::ThumbTrack: setValue(position); break;
    }
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setFont(detail::font(0));
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, QString::number(value_));
}

}  // namespace tessary::controls
