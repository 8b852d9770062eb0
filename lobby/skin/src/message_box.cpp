#include "skin/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "desktop/ansi_text.h"
#include "skin/bitmap_button.h"
#include "skin/font_table.h"
#include "skin/skin_environment.h"

namespace tessary::skin {
namespace {

constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextExpandTabs;

}  // namespace

MessageBox::MessageBox(QWidget* parent, const std::string& text, const std::string& title,
                       int style)
    : SkinnedDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      text_(desktop::fromAnsi(text)) {
    setWindowTitle(desktop::fromAnsi(title));
    setModal(true);
    setMovable(true);
    setBackgroundColor(QColor(0, 0, 120));
    setTextColor(Qt::white);

    ok_ = addButton(QPoint(0, 0), kCommandOk, skinPath("button\\ok"), 3);
    if (style == OkCancel)
        cancel_ = addButton(QPoint(0, 0), kCommandCancel, skinPath("button\\cancel"), 3);
    int buttonsWidth = 0;
    for (BitmapButton* button : {ok_, cancel_}) {
        if (button == nullptr) continue;
        button->setIgnoreWhileBusy(false);  // the box must close even while waiting
        if (buttonsWidth > 0) buttonsWidth += kButtonGap;
        buttonsWidth += button->width();
        buttonHeight_ = std::max(buttonHeight_, button->height());
    }

    // The text keeps kMargin on both sides, so the window is the widest of
    // title, text and buttons plus two margins.
    QSize textSize = QFontMetrics(textFont()).boundingRect(QRect(), kTextFlags, text_).size();
    int titleWidth = QFontMetrics(QApplication::font()).horizontalAdvance(windowTitle());
    int width = std::max({titleWidth, textSize.width(), buttonsWidth}) + 2 * kMargin;
    int height = textSize.height() + buttonHeight_ + 2 * kMargin;
    setFixedSize(width, height);

    int x = (width - buttonsWidth) / 2;
    for (BitmapButton* button : {ok_, cancel_}) {
        if (button == nullptr) continue;
        button->move(x, height - kMargin - button->height());
        x += button->width() + kButtonGap;
    }
    centreOnScreen();
}

int MessageBox::show(QWidget* parent, const std::string& text, const std::string& title,
                     int style) {
    MessageBox box(parent, text, title, style);
    return box.exec();
}

int MessageBox::show(QWidget* parent, int textNumber, int titleNumber, int style) {
    return show(parent, stringText(textNumber), stringText(titleNumber), style);
}

QFont MessageBox::textFont() const {
    const FontTable* fonts = skinEnvironment().fonts;
    return fonts != nullptr && fonts->count() > 0 ? fonts->font(0) : font();
}

QRect MessageBox::textRect() const {
    return QRect(kMargin, kMargin, width() - 2 * kMargin, height() - 2 * kMargin - buttonHeight_);
}

void MessageBox::onCommand(int commandId) {
    if (commandId == kCommandOk) {
        done(Ok);
    } else if (commandId == kCommandCancel) {
        done(Cancel);
    }
}

void MessageBox::paintEvent(QPaintEvent* event) {
    SkinnedDialog::paintEvent(event);
    QPainter painter(this);
    painter.setFont(textFont());
    painter.setPen(textColor());
    painter.drawText(textRect(), kTextFlags, text_);
}

void MessageBox::showEvent(QShowEvent* event) {
    SkinnedDialog::showEvent(event);
    playLobbySound("mbox.wav", desktop::SoundWait::Async, desktop::WhenBusy::Skip);
}

}  // namespace tessary::skin
