#include "controls/player_list.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "control_skin.h"
#include "controls/scrollbar.h"
#include "desktop/ansi_text.h"

namespace tessary::controls {

PlayerList::PlayerList(QWidget* parent, const PlayerRows* rows)
    : QWidget(parent), rows_(rows), bar_(new Scrollbar(parent)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    int tallest = detail::lineHeight(0);
    for (int level = 0; level < 6; ++level) {
        detail::loadSkinPicture(ping_[static_cast<std::size_t>(level)],
                                "ping" + std::to_string(level) + ".bmp");
        tallest = std::max(tallest, ping_[static_cast<std::size_t>(level)].height());
    }
    detail::loadSkinPicture(player_, "player.bmp");
    detail::loadSkinPicture(spectator_, "spectator.bmp");
    rowHeight_ = std::max({1, tallest, player_.height(), spectator_.height()});
    hoverTimer_.setInterval(kHoverCheckMs);
    connect(&hoverTimer_, &QTimer::timeout, this, &PlayerList::checkHover);
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
}

void PlayerList::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
    if (boundary_ == 0) boundary_ = area.width() / 2;
    refresh();
}

void PlayerList::setColumnBoundary(int x) {
    boundary_ = x;
    update();
}

int PlayerList::visibleRows() const { return std::max(1, height() / rowHeight_); }

void PlayerList::refresh() {
    const int last = std::max(0, rows_->count() - visibleRows());
    first_ = std::clamp(first_, 0, last);
    if (selected_ >= rows_->count()) selected_ = -1;
    if (hovered_ >= rows_->count()) hovered_ = -1;
    bar_->setRange(0, last, first_);
    update();
}

void PlayerList::resizeEvent(QResizeEvent*) { refresh(); }

int PlayerList::rowAt(QPoint point) const {
    if (!rect().contains(point)) return -1;
    const int row = first_ + point.y() / rowHeight_;
    return row < rows_->count() ? row : -1;
}

void PlayerList::setSelectedRow(int row) {
    selected_ = row >= 0 && row < rows_->count() ? row : -1;
    update();
}

void PlayerList::scroll(ScrollRequest request, int position) {
    first_ = scrolledRow(first_, request, position, visibleRows(), rows_->count() - visibleRows());
    refresh();
}

void PlayerList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    painter.setFont(detail::font(0));
    const int textLeft = ping_[0].width() + 5;
    const int lastRow = std::min(rows_->count(), first_ + visibleRows() + 1);
    for (int index = first_; index < lastRow; ++index) {
        const PlayerRow& row = rows_->row(index);
        const int y = (index - first_) * rowHeight_;
        const QRect line(0, y, width(), rowHeight_);
        if (!event->rect().intersects(line)) continue;
        QColor text = (row.flags & PlayerRow::kHighlighted) ? kHighlighted : QColor(Qt::white);
        if (index == hovered_) {
            painter.fillRect(line, kHoverFill);
            text = kHoverText;
        }
        const auto& ping = ping_[static_cast<std::size_t>(std::clamp(row.pingClass, 0, 5))];
        ping.draw(painter, QPoint(0, y + (rowHeight_ - ping.height()) / 2));
        painter.setPen(text);
        const QRect name(textLeft, y, std::max(0, boundary_ - textLeft), rowHeight_);
        painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                         detail::elided(desktop::fromAnsi(row.name), 0, name.width()));
        const QRect session(boundary_ + 2, y, std::max(0, width() - boundary_ - 2), rowHeight_);
        painter.drawText(session, Qt::AlignLeft | Qt::AlignVCenter,
                         detail::elided(desktop::fromAnsi(row.session), 0, session.width()));
        const skin::SkinImage* marker = (row.flags & PlayerRow::kPlaying)    ? &player_
                                        : (row.flags & PlayerRow::kWatching) ? &spectator_
                                                                             : nullptr;
        if (marker != nullptr) {
            marker->drawTransparent(
                painter, QPoint(boundary_ - marker->width(), y + (rowHeight_ - marker->height()) / 2));
        }
    }
}

void PlayerList::mouseMoveEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint());
    if (row == hovered_) return;
    hovered_ = row;
    update();
    if (row >= 0) hoverTimer_.start();
}

void PlayerList::checkHover() {
    const QPoint cursor = cursorProbe_ ? cursorProbe_() : QCursor::pos();
    if (QRect(mapToGlobal(QPoint(0, 0)), size()).contains(cursor)) return;
    hoverTimer_.stop();
    hovered_ = -1;
    update();
}

void PlayerList::mousePressEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint());
    setSelectedRow(row);
    if (event->button() == Qt::RightButton) {
        emit rowMenuRequested(row, event->globalPosition().toPoint());
    }
}

void PlayerList::mouseDoubleClickEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint());
    setSelectedRow(row);
    if (event->button() == Qt::LeftButton && row >= 0) emit rowDoubleClicked(row);
}

void PlayerList::wheelEvent(QWheelEvent* event) {
    detail::scrollByWheel(wheel_, event->angleDelta().y(),
                          [this](ScrollRequest request) { scroll(request); });
    event->accept();
}

}  // namespace tessary::controls
