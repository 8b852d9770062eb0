#include "controls/choice_dialogs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "control_skin.h"
#include "desktop/ansi_text.h"
#include "skin/bitmap_button.h"
#include "skin/skin_environment.h"
#include "skin/text_format.h"

namespace tessary::controls {
namespace {

constexpr int kThumbWidth = 8;
const QColor kTrack{10, 10, 60};
const QColor kThumb{255, 168, 0};

void addOkCancel(skin::SkinnedDialog& dialog, int bottom) {
    for (auto [x, command, prefix] : {std::tuple{68, skin::SkinnedDialog::kCommandOk, "button\\ok"},
                                      std::tuple{150, skin::SkinnedDialog::kCommandCancel,
                                                 "button\\cancel"}}) {
        if (skin::BitmapButton* button = dialog.addButton(QPoint(x, 0), command,
                                                          skin::skinPath(prefix), 3)) {
            button->move(x, bottom - button->height());
        }
    }
}

}  // namespace

ColourSlider::ColourSlider(QWidget* parent, const QRect& area, int value)
    : QWidget(parent), value_(std::clamp(value, 0, 255)) {
    setGeometry(area);
    setFocusPolicy(Qt::StrongFocus);
}

void ColourSlider::setValue(int value) {
    value = std::clamp(value, 0, 255);
    if (value == value_) return;
    value_ = value;
    update();
    emit valueChanged(value_);
}

void ColourSlider::setFromX(int x) {
    const int travel = std::max(1, width() - kThumbWidth);
    setValue((x - kThumbWidth / 2) * 255 / travel);
}

void ColourSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int mid = height() / 2;
    painter.fillRect(QRect(0, mid - 2, width(), 4), kTrack);
    painter.fillRect(QRect(0, mid - 2, (width() * value_) / 255, 4), kThumb.darker(160));
    const int x = value_ * (width() - kThumbWidth) / 255;
    painter.fillRect(QRect(x, 1, kThumbWidth, height() - 2), hasFocus() ? kThumb.lighter(120) : kThumb);
}

void ColourSlider::mousePressEvent(QMouseEvent* event) { setFromX(event->position().toPoint().x()); }
void ColourSlider::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) setFromX(event->position().toPoint().x());
}

void ColourSlider::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left: setValue(value_ - 1); break;
        case Qt::Key_Right: setValue(value_ + 1); break;
        case Qt::Key_PageDown: setValue(value_ - 16); break;
        case Qt::Key_PageUp: setValue(value_ + 16); break;
        default: QWidget::keyPressEvent(event);
    }
}

ColourDialog::ColourDialog(QWidget* parent, const QColor& initial) : SkinnedDialog(parent) {
    setMovable(true);
    setBackgroundColor(kBackground);
    setFixedSize(kWidth, kHeight);
    const int values[3] = {initial.red(), initial.green(), initial.blue()};
    for (int i = 0; i < 3; ++i) {
        sliders_[i] = new ColourSlider(this, QRect(50, 15 + 25 * i, 150, 20), values[i]);
        connect(sliders_[i], &ColourSlider::valueChanged, this, [this] { update(); });
    }
    addOkCancel(*this, kHeight - 12);
    centreOnScreen();
}

QColor ColourDialog::colour() const {
    return QColor(sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value());
}

void ColourDialog::paintEvent(QPaintEvent* event) {
    SkinnedDialog::paintEvent(event);
    QPainter painter(this);
    painter.setFont(detail::font(0));
    painter.setPen(Qt::white);
    for (int i = 0; i < 3; ++i) {
        painter.drawText(QRect(10, 15 + 25 * i, 40, 20), Qt::AlignLeft | Qt::AlignVCenter,
                         desktop::fromAnsi(skin::stringText(94 + i)));
    }
    painter.fillRect(QRect(215, 15, 70, 70), colour());
    painter.setPen(Qt::white);
    painter.drawRect(QRect(215, 15, 69, 69));
}

FontDialog::FontDialog(QWidget* parent) : SkinnedDialog(parent) {
    setMovable(true);
    setBackgroundColor(ColourDialog::kBackground);
    setMouseTracking(true);
    setFixedSize(kWidth, kRowPitch * rowCount());
    centreOnScreen();
}

int FontDialog::rowCount() const { return detail::fontCount(); }

QRect FontDialog::rowRect(int row) const { return QRect(10, kRowPitch * (row + 1) - 25, 130, 20); }

int FontDialog::rowAt(QPoint point) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (rowRect(row).contains(point)) return row;
    }
    return -1;
}

void FontDialog::paintEvent(QPaintEvent* event) {
    SkinnedDialog::paintEvent(event);
    QPainter painter(this);
    const int last = rowCount() - 1;
    for (int row = 0; row <= last; ++row) {
        const QRect area = rowRect(row);
        if (row == hovered_) painter.fillRect(area, Qt::black);
        const bool cancel = row == last;
        const int fontIndex = cancel ? 0 : row + 1;
        painter.setFont(detail::font(fontIndex));
        painter.setPen(cancel ? kCancelColour : QColor(Qt::white));
        const std::string text =
            cancel ? skin::stringText(93)
                   : skin::formatText(skin::stringText(31), {std::to_string(fontIndex)});
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine,
                         detail::elided(desktop::fromAnsi(text), fontIndex, area.width()));
    }
}

void FontDialog::mouseMoveEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint());
    if (row != hovered_) {
        hovered_ = row;
        update();
    }
    SkinnedDialog::mouseMoveEvent(event);
}

void FontDialog::leaveEvent(QEvent*) {
    hovered_ = -1;
    update();
}

void FontDialog::mousePressEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint());
    if (row < 0 || event->button() != Qt::LeftButton) {
        SkinnedDialog::mousePressEvent(event);  // the body drags the dialog
        return;
    }
    if (row == rowCount() - 1) {
        reject();
        return;
    }
    chosen_ = row + 1;
    accept();
}

}  // namespace tessary::controls
