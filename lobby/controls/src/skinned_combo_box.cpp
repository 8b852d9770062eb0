#include "controls/skinned_combo_box.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "control_skin.h"
#include "controls/scrollbar.h"
#include "controls/skinned_list_box.h"
#include "skin/skinned_dialog.h"

namespace tessary::controls {

SkinnedComboBox::SkinnedComboBox(QWidget* parent) : QComboBox(parent) {
    detail::loadSkinPicture(arrow_, "scrolldownup.bmp");
    setFont(detail::font(0));
    if (auto* dialog = qobject_cast<skin::SkinnedDialog*>(parent)) {
        text_ = dialog->textColor();
        background_ = dialog->backgroundColor();
    }
    applySkinColours(*this, text_, background_);
}

// An open list goes first, while its signals still find this box whole.
SkinnedComboBox::~SkinnedComboBox() { delete popup_.data(); }

void SkinnedComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    const int arrowWidth = std::min(arrow_.width(), width() / 2);
    const QRect arrowArea(width() - arrowWidth, 0, arrowWidth, height());
    arrow_.drawStretched(painter, arrowArea);
    painter.setFont(font());
    painter.setPen(isEnabled() ? text_ : QColor(150, 150, 150));
    const QRect textArea(3, 0, width() - arrowWidth - 6, height());
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(currentText(), Qt::ElideRight, textArea.width()));
    if (hasFocus()) {
        painter.setPen(SkinnedListBox::kSelection.lighter(250));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void SkinnedComboBox::showPopup() {
    if (popup_) return;
    popup_ = new QFrame(this, Qt::Popup | Qt::FramelessWindowHint);
    popup_->setAttribute(Qt::WA_DeleteOnClose);
    list_ = new SkinnedListBox(popup_);
    applySkinColours(*list_, text_, background_);
    for (int i = 0; i < count(); ++i) list_->addItem(itemText(i));
    const int rowHeight = std::max(1, list_->sizeHintForRow(0));
    const int rows = std::clamp(count(), 1, kVisibleRows);
    const QSize size(width(), rows * rowHeight);
    // Below the box, or above it when the screen ends first.
    QRect area(mapToGlobal(QPoint(0, height())), size);
    if (const QScreen* shown = screen();
        shown != nullptr && area.bottom() > shown->availableGeometry().bottom()) {
        area.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
    }
    popup_->setGeometry(area);
    list_->place(QRect(QPoint(0, 0), size));
    list_->setCurrentRow(currentIndex());
    if (currentIndex() >= 0) list_->scrollToItem(list_->item(currentIndex()));
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose(list_->row(item)); });
    connect(popup_, &QObject::destroyed, this, [this] { list_ = nullptr; });
    popup_->show();
    list_->setFocus();
}

void SkinnedComboBox::hidePopup() {
    if (popup_) popup_->close();
    list_ = nullptr;
}

void SkinnedComboBox::choose(int row) {
    hidePopup();
    if (row < 0) return;
    setCurrentIndex(row);
    emit activated(row);
}

bool SkinnedComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose(list_->currentRow());
            return true;
        }
        if (key == Qt::Key_Escape) {
            hidePopup();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace tessary::controls
