#include "chat_window.h"

#include <QVBoxLayout>

#include "slimefray/messages.h"
#include "slot_colours.h"

namespace tessary::slimefray {

ChatWindow::ChatWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle("Slimefray chat");
    resize(360, 180);
    lines_ = new QTextEdit(this);
    lines_->setReadOnly(true);
    lines_->setStyleSheet("QTextEdit { background: black; border: 1px solid #9682dc; }");
    field_ = new QLineEdit(this);
    field_->setMaxLength(kMaxChatText);
    field_->setStyleSheet("QLineEdit { background: #15121f; color: white; border: 1px solid #9682dc; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(lines_);
    layout->addWidget(field_);
    setStyleSheet("ChatWindow { background: #1c182c; }");
    connect(field_, &QLineEdit::returnPressed, this, [this] {
        QString text = field_->text();
        field_->clear();
        if (!text.isEmpty()) emit send(text);
    });
}

void ChatWindow::addLine(const QString& text, int slot) {
    lines_->setTextColor(slotColour(slot));
    lines_->append(text);
}

}  // namespace tessary::slimefray
