#include "controls/chat_panel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "control_skin.h"
#include "controls/chat_box.h"
#include "controls/chat_tab_row.h"
#include "controls/picture_switch.h"
#include "controls/skinned_list_box.h"
#include "skin/skin_environment.h"

namespace tessary::controls {

ChatPanel::ChatPanel(QWidget* parent, const QRect& area, ChatTabs* tabs)
    : QWidget(parent),
      tabs_(tabs),
      tabRow_(new ChatTabRow(this, tabs)),
      pane_(new ChatBox(this)),
      input_(new QLineEdit(this)),
      pause_(new PictureSwitch(this, QPoint(441, 302), skin::skinPath("play.bmp"),
                               skin::skinPath("pause.bmp"))) {
    setGeometry(area);
    const int w = area.width();
    tabRow_->setGeometry(0, 5, w, 25);
    pane_->place(QRect(0, 34, w, 268));
    input_->setGeometry(5, 306, w - 36, 19);
    input_->setMaxLength(kInputLimit);
    input_->setFrame(false);
    input_->installEventFilter(this);
    setInputLook(Qt::white, 0);

    connect(input_, &QLineEdit::returnPressed, this, [this] {
        const QString text = input_->text();
        if (text.isEmpty()) return;
        input_->clear();
        emit lineEntered(text);
    });
    connect(tabRow_, &ChatTabRow::tabClicked, this, &ChatPanel::tabSelected);
    connect(tabRow_, &ChatTabRow::tabDoubleClicked, this, &ChatPanel::tabCloseRequested);
    connect(tabRow_, &ChatTabRow::tabMenuRequested, this, &ChatPanel::tabMenuRequested);
    connect(pause_, &PictureSwitch::toggled, this, &ChatPanel::pauseToggled);
    connect(pane_, &ChatBox::linkActivated, this, &ChatPanel::linkActivated);
    refresh();
}

void ChatPanel::setInputLook(const QColor& colour, int fontIndex) {
    input_->setFont(detail::font(fontIndex));
    applySkinColours(*input_, colour, Qt::black);
}

void ChatPanel::refresh() {
    pane_->setPane(&tabs_->pane(tabs_->current()));
    pane_->setColourOff(tabs_->colourOff());
    pause_->setOn(tabs_->paused());
    tabRow_->update();
}

bool ChatPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != input_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        return true;  // pasting into the chat is not taken
    }
    if ((event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
        return true;  // nor the selection paste
    }
    if (event->type() == QEvent::ContextMenu) {
        emit inputMenuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessary::controls
