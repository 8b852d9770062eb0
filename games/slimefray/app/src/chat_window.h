// Chat: the lines of the session in their senders' slot colours, and the
// field to write in (249 characters at most).
#pragma once

#include <QLineEdit>
#include <QTextEdit>
#include <QWidget>

namespace tessary::slimefray {

class ChatWindow : public QWidget {
    Q_OBJECT

public:
    explicit ChatWindow(QWidget* parent = nullptr);

    void addLine(const QString& text, int slot);
    QLineEdit* field() const { return field_; }
    QTextEdit* lines() const { return lines_; }

signals:
    void send(const QString& text);

private:
    QTextEdit* lines_;
    QLineEdit* field_;
};

}  // namespace tessary::slimefray
