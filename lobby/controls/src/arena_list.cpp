#include "controls/arena_list.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "control_skin.h"
#include "controls/scrollbar.h"
#include "controls/text_wrap.h"
#include "desktop/ansi_text.h"
#include "skin/skin_environment.h"

namespace tessary::controls {

ArenaList::ArenaList(QWidget* parent) : QWidget(parent), bar_(new Scrollbar(parent)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int level = 0; level < 6; ++level) {
        detail::loadSkinPicture(ping_[static_cast<std::size_t>(level)],
                                "ping" + std::to_string(level) + ".bmp");
    }
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
}

void ArenaList::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
    refresh();
}

void ArenaList::setRows(std::vector<ArenaRow> rows) {
    rows_ = std::move(rows);
    selected_ = -1;
    first_ = 0;
    refresh();
}

void ArenaList::setPing(int index, int ping) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) return;
    rows_[static_cast<std::size_t>(index)].ping = ping;
    update();
}

void ArenaList::setSelectedRow(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
    update();
}

int ArenaList::nameWidth() const { return std::max(1, kCountColumn - (ping_[0].width() + 5)); }

int ArenaList::rowHeight(int index) const {
    const auto& widths = detail::widths(0);
    const auto runs = wrapText(rows_[static_cast<std::size_t>(index)].name, widths, nameWidth());
    return std::max(ping_[0].height(), static_cast<int>(runs.size()) * widths[0]);
}

int ArenaList::pageRows() const { return std::max(1, height() / std::max(1, detail::lineHeight(0))); }

int ArenaList::rowAt(QPoint point) const {
    if (!rect().contains(point)) return -1;
    int y = 0;
    for (int index = first_; index < static_cast<int>(rows_.size()) && y < height(); ++index) {
        y += rowHeight(index);
        if (point.y() < y) return index;
    }
    return -1;
}

void ArenaList::refresh() {
    // The last first row that still fills the list: no scrolling past the end.
    int last = static_cast<int>(rows_.size());
    for (int filled = 0; last > 0 && filled + rowHeight(last - 1) <= height(); --last) {
        filled += rowHeight(last - 1);
    }
    last = std::min(last, std::max(0, static_cast<int>(rows_.size()) - 1));
    first_ = std::clamp(first_, 0, last);
    bar_->setRange(0, last, first_);
    update();
}

void ArenaList::scroll(ScrollRequest request, int position) {
    first_ = scrolledRow(first_, request, position, pageRows(), static_cast<int>(rows_.size()) - 1);
    refresh();
}

void ArenaList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setFont(detail::font(0));
    painter.setPen(Qt::white);
    const int textLeft = ping_[0].width() + 5;
    int y = 0;
    for (int index = first_; index < static_cast<int>(rows_.size()) && y < height(); ++index) {
        const ArenaRow& row = rows_[static_cast<std::size_t>(index)];
        const int h = rowHeight(index);
        if (index == selected_) painter.fillRect(QRect(0, y, width(), h), kSelection);
        ping_[static_cast<std::size_t>(pingPicture(row.ping))].draw(painter, QPoint(0, y));
        // Laid out as rowHeight measured it, one wrapped line at a time.
        const auto& widths = detail::widths(0);
        int lineTop = y;
        for (const TextRun& run : wrapText(row.name, widths, nameWidth())) {
            painter.drawText(QRect(textLeft, lineTop, nameWidth(), widths[0]),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             detail::elided(desktop::fromAnsi(std::string_view(row.name).substr(
                                                run.start, run.length)),
                                            0, nameWidth()));
            lineTop += widths[0];
        }
        painter.drawText(QRect(kCountColumn, y, std::max(0, width() - kCountColumn), h),
                         Qt::AlignRight | Qt::AlignTop, desktop::fromAnsi(row.countText + "  "));
        y += h;
    }
}

void ArenaList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        setSelectedRow(rowAt(event->position().toPoint()));
    }
}

void ArenaList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int row = rowAt(event->position().toPoint());
    setSelectedRow(row);
    if (row >= 0 && !skin::isBusy()) emit rowActivated(row);
}

void ArenaList::wheelEvent(QWheelEvent* event) {
    detail::scrollByWheel(wheel_, event->angleDelta().y(),
                          [this](ScrollRequest request) { scroll(request); });
    event->accept();
}

}  // namespace tessary::controls
