// One chat pane ("ChatBox"): a pane's lines painted word-wrapped from the
// bottom up in their colours and fonts, links underlined and clickable under
// the hand cursor, its own Scrollbar and the wheel. The lines live in a
// ChatPane (the chat box's tabs own them); the widget shows one pane at a time.
#pragma once

#include <QWidget>

#include "controls/chat_model.h"

namespace tessary::controls {

class Scrollbar;

class ChatBox : public QWidget {
    Q_OBJECT

public:
    static inline const QColor kLinkColour{100, 100, 255};

    // The pane and its bar are placed by place(); the bar is a sibling.
    explicit ChatBox(QWidget* parent);

    void place(const QRect& area);
    // Shows `pane` (not owned; it must outlive its showing). Null: an empty
    // pane of the widget's own.
    void setPane(ChatPane* pane);
    ChatPane& pane() { return *pane_; }

    // Adds a line to the pane shown and follows it unless `paused`.
    void addLine(ChatLine line, bool paused);
    // After the pane changed behind the widget's back: bar range, repaint.
    void refresh();
    void setColourOff(bool off);
    bool colourOff() const { return colourOff_; }

    // Runs one request as the bar or the wheel sends it.
    void scroll(ScrollRequest request, int position = 0);
    Scrollbar* scrollbar() const { return bar_; }

    // The link under `point` (pane coordinates), as typed; empty when none.
    QString linkAt(QPoint point) const;

signals:
    // A left click on a link; the text runs from its "www." or "http://" to
    // the next blank.
    void linkActivated(const QString& address);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    ChatPane ownPane_;
    ChatPane* pane_ = &ownPane_;
    Scrollbar* bar_;
    bool colourOff_ = false;
    WheelAccumulator wheel_;
};

}  // namespace tessary::controls
