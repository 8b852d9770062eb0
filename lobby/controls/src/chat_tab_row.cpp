#include "controls/chat_tab_row.h"

#include <QMouseEvent>
#include <QPainter>

#include "control_skin.h"
#include "desktop/ansi_text.h"

namespace tessary::controls {

ChatTabRow::ChatTabRow(QWidget* parent, const ChatTabs* tabs) : QWidget(parent), tabs_(tabs) {
    detail::loadSkinPicture(plain_, "tab.bmp");
    detail::loadSkinPicture(current_, "tabselect.bmp");
    detail::loadSkinPicture(unread_, "tabmessage.bmp");
}

TabRowLayout ChatTabRow::layout() const {
    return layoutTabRow(width(), plain_.width(), tabs_->count(), tabs_->current());
}

int ChatTabRow::tabAt(QPoint point) const {
    if (point.y() < 0 || point.y() >= plain_.height()) return -1;
    return controls::tabAt(layout(), point.x());
}

QString ChatTabRow::caption(const ChatTab& tab) {
    const QString name = desktop::fromAnsi(tab.name);
    return tab.isPrivate ? "<" + name + ">" : name;
}

void ChatTabRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(detail::font(0));
    painter.setPen(kCaptionColour);
    const TabRowLayout row = layout();
    for (int index : row.drawOrder) {
        const ChatTab& tab = tabs_->tab(index);
        const skin::SkinImage& picture = index == tabs_->current() ? current_
                                         : tab.unread              ? unread_
                                                                   : plain_;
        const int left = row.left[static_cast<std::size_t>(index)];
        picture.drawTransparent(painter, QPoint(left, 0));
        const QRect text(left + kCaptionInset, 0, picture.width() - 2 * kCaptionInset,
                         picture.height());
        painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine,
                         detail::elided(caption(tab), 0, text.width()));
    }
}

void ChatTabRow::mousePressEvent(QMouseEvent* event) {
    const int index = tabAt(event->position().toPoint());
    if (index >= 0 && event->button() == Qt::LeftButton) emit tabClicked(index);
    if (event->button() == Qt::RightButton) {  // off the tabs too: index -1
        const bool special = (event->modifiers() & Qt::ControlModifier) &&
                             (event->buttons() & Qt::LeftButton);
        emit tabMenuRequested(index, event->globalPosition().toPoint(), special);
    }
}

void ChatTabRow::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = tabAt(event->position().toPoint());
    if (index >= 0 && event->button() == Qt::LeftButton) emit tabDoubleClicked(index);
}

}  // namespace tessary::controls
