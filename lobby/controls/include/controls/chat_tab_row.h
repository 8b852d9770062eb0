// The chat box's row of tabs: each tab's picture (current, unread or plain),
// overlapping when there are many, its caption centred in orange. Clicks
// select, double clicks close, right clicks ask for the tab's menu.
#pragma once

#include <QWidget>

#include "controls/chat_model.h"
#include "skin/skin_image.h"

namespace tessary::controls {

class ChatTabRow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCaptionInset = 8;
    static inline const QColor kCaptionColour{255, 168, 0};

    // Shows `tabs` (not owned).
    ChatTabRow(QWidget* parent, const ChatTabs* tabs);

    TabRowLayout layout() const;
    int tabAt(QPoint point) const;
    // "<name>" for private tabs.
    static QString caption(const ChatTab& tab);

signals:
    void tabClicked(int index);
    void tabDoubleClicked(int index);
    // A right click, on tab `index` or (-1) beside the tabs;
    // `withControlAndLeft`: the Control key and the left button were held.
    void tabMenuRequested(int index, QPoint globalPos, bool withControlAndLeft);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const ChatTabs* tabs_;
    skin::SkinImage plain_;
    skin::SkinImage current_;
    skin::SkinImage unread_;
};

}  // namespace tessary::controls
