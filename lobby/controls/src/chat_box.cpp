#include "controls/chat_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "control_skin.h"
#include "controls/scrollbar.h"
#include "desktop/ansi_text.h"
#include "wrapped_text.h"

namespace tessary::controls {

ChatBox::ChatBox(QWidget* parent) : QWidget(parent), bar_(new Scrollbar(parent)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
    refresh();
}

void ChatBox::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
}

void ChatBox::setPane(ChatPane* pane) {
    pane_ = pane != nullptr ? pane : &ownPane_;
    refresh();
}

void ChatBox::addLine(ChatLine line, bool paused) {
    pane_->add(std::move(line), paused);
    refresh();
}

void ChatBox::refresh() {
    const ScrollRange range = pane_->scrollRange();
    bar_->setRange(range.minimum, range.maximum, range.position);
    update();
}

void ChatBox::setColourOff(bool off) {
    colourOff_ = off;
    update();
}

void ChatBox::scroll(ScrollRequest request, int position) {
    pane_->scroll(request, position);
    bar_->setPosition(pane_->scrollRange().position);
    update();
}

void ChatBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const auto& lines = pane_->lines();
    int y = height();
    int top = pane_->bottom();
    for (int i = pane_->bottom(); i >= 0 && y > 0; --i) {
        const ChatLine& line = lines[static_cast<std::size_t>(i)];
        const int fontIndex = colourOff_ ? 0 : line.font % detail::fontCount();
        const QColor colour = colourOff_ ? QColor(Qt::white)
                                         : QColor(int(line.colour & 0xFF),
                                                  int((line.colour >> 8) & 0xFF),
                                                  int((line.colour >> 16) & 0xFF));
        y -= layoutLine(line, fontIndex, width());
        drawWrapped(painter, line, fontIndex, colour, y);
        if (line.link) {
            painter.setPen(kLinkColour);
            for (const Box& box : line.linkBoxes) {
                const int row = box.bottom() - 1;
                painter.drawLine(box.x, row, box.x + box.width - 1, row);
            }
        }
        top = i;
    }
    pane_->setTop(std::max(0, top));
}

QString ChatBox::linkAt(QPoint point) const {
    const auto& lines = pane_->lines();
    const int bottom = std::min(pane_->bottom(), pane_->count() - 1);
    for (int i = std::max(0, pane_->top()); i <= bottom; ++i) {
        const ChatLine& line = lines[static_cast<std::size_t>(i)];
        if (!line.link) continue;
        for (const Box& box : line.linkBoxes) {
            if (!box.contains(point.x(), point.y())) continue;
            const auto span = findLink(line.text);
            if (!span) continue;
            return desktop::fromAnsi(std::string_view(line.text).substr(span->start,
                                                                     span->end - span->start));
        }
    }
    return {};
}

void ChatBox::mouseMoveEvent(QMouseEvent* event) {
    if (linkAt(event->position().toPoint()).isEmpty()) {
        unsetCursor();
    } else {
        setCursor(Qt::PointingHandCursor);
    }
}

void ChatBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QString address = linkAt(event->position().toPoint());
    if (!address.isEmpty()) emit linkActivated(address);
}

void ChatBox::wheelEvent(QWheelEvent* event) {
    detail::scrollByWheel(wheel_, event->angleDelta().y(),
                          [this](ScrollRequest request) { scroll(request); });
    event->accept();
}

}  // namespace tessary::controls
