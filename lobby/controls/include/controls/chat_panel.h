// The chat box of the arena view: the tab row, the pane of the current tab,
// the input line (512 characters, pasting ignored) and the pause switch. It
// shows a ChatTabs model and reports what the player does; whoever owns the
// model changes it and calls refresh().
#pragma once

#include <QLineEdit>
#include <QWidget>

#include "controls/chat_model.h"

namespace tessary::controls {

class ChatBox;
class ChatTabRow;
class PictureSwitch;

class ChatPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kInputLimit = 512;

    // `area`: the chat box's place in its parent (467 x 332 in the arena view).
    ChatPanel(QWidget* parent, const QRect& area, ChatTabs* tabs);

    // Shows the current tab's pane, the tab row and the switches as the model
    // has them.
    void refresh();

    ChatBox* pane() const { return pane_; }
    ChatTabRow* tabRow() const { return tabRow_; }
    QLineEdit* input() const { return input_; }
    PictureSwitch* pauseSwitch() const { return pause_; }
    // The chat colour and font of the input (the player's chat settings).
    void setInputLook(const QColor& colour, int fontIndex);

signals:
    // Enter in a non-empty input; the input is emptied.
    void lineEntered(const QString& text);
    void tabSelected(int index);
    void tabCloseRequested(int index);
    void tabMenuRequested(int index, QPoint globalPos, bool withControlAndLeft);
    void inputMenuRequested(QPoint globalPos);
    void pauseToggled(bool paused);
    void linkActivated(const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChatTabs* tabs_;
    ChatTabRow* tabRow_;
    ChatBox* pane_;
    QLineEdit* input_;
    PictureSwitch* pause_;
};

}  // namespace tessary::controls
