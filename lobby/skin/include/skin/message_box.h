// The lobby's own modal message box: a text, a title, OK alone or OK and
// Cancel, white on dark blue, sized to its text.
#pragma once

#include <QString>
#include <string>

#include "skin/skinned_dialog.h"

namespace tessary::skin {

class BitmapButton;

class MessageBox : public SkinnedDialog {
    Q_OBJECT

public:
    enum Style { OkOnly = 0, OkCancel = 1 };
    enum Result { Ok = 1, Cancel = 2 };

    static constexpr int kMargin = 15;
    static constexpr int kButtonGap = 10;

    // Texts are Windows-1252, as the StringTable and the servers give them.
    MessageBox(QWidget* parent, const std::string& text, const std::string& title, int style);

    // Opens the box modally and returns Ok or Cancel (closing the window any
    // other way counts as Cancel).
    static int show(QWidget* parent, const std::string& text, const std::string& title,
                    int style = OkOnly);
    // The same with StringTable texts: `textNumber` under `titleNumber`.
    static int show(QWidget* parent, int textNumber, int titleNumber, int style = OkOnly);

    QString text() const { return text_; }
    // Where the text is drawn, in the box's client area.
    QRect textRect() const;
    BitmapButton* okButton() const { return ok_; }
    BitmapButton* cancelButton() const { return cancel_; }

    void accept() override { done(Ok); }
    void reject() override { done(Cancel); }

protected:
    void onCommand(int commandId) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QFont textFont() const;

    QString text_;
    BitmapButton* ok_ = nullptr;
    BitmapButton* cancel_ = nullptr;
    int buttonHeight_ = 0;
};

}  // namespace tessary::skin
