#include "controls/label_list.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "control_skin.h"
#include "controls/scrollbar.h"
#include "desktop/ansi_text.h"

namespace tessary::controls {

LabelList::LabelList(QWidget* parent) : QWidget(parent), bar_(new Scrollbar(parent)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
    updateRange();
}

void LabelList::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
    updateRange();
}

int LabelList::lineHeight() const { return std::max(1, detail::lineHeight(0)); }
int LabelList::visibleRows() const { return std::max(1, height() / lineHeight()); }
int LabelList::rowCount() const {
    return static_cast<int>(std::min(labels_.size(), values_.size()));
}

void LabelList::setRows(std::vector<std::string> labels, std::vector<std::string> values) {
    labels_ = std::move(labels);
    values_ = std::move(values);
    first_ = 0;
    updateRange();
}

QString LabelList::rowText(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    const auto index = static_cast<std::size_t>(row);
    return desktop::fromAnsi(labels_[index]) + ": " + desktop::fromAnsi(values_[index]);
}

void LabelList::updateRange() {
    const int last = std::max(0, rowCount() - visibleRows());
    first_ = std::clamp(first_, 0, last);
    bar_->setRange(0, last, first_);
    update();
}

void LabelList::resizeEvent(QResizeEvent*) { updateRange(); }

void LabelList::scroll(ScrollRequest request, int position) {
    first_ = scrolledRow(first_, request, position, visibleRows(), rowCount() - visibleRows());
    updateRange();
}

void LabelList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setFont(detail::font(0));
    const int h = lineHeight();
    for (int row = first_, y = 0; row < rowCount() && y < height(); ++row, y += h) {
        const QRect line(0, y, width(), h);
        const QString whole = detail::elided(rowText(row), 0, width());
        painter.setPen(Qt::white);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, whole);
        // The label again over it, in orange, cut where the whole text was.
        const QString label = desktop::fromAnsi(labels_[static_cast<std::size_t>(row)]) + ": ";
        painter.setPen(kLabelColour);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         whole.left(label.size()));
    }
}

bool LabelList::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = rowText(first_ + help->pos().y() / lineHeight());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace tessary::controls
