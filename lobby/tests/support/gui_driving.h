// Driving the lobby's windows from tests: message boxes answered as they
// open, keys typed one by one, clicks on skinned buttons, screenshots.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "skin/bitmap_button.h"
#include "skin/message_box.h"
#include "skin/skinned_dialog.h"

namespace tessary::lobby::testing {

// Answers every lobby message box that opens while it lives (looking every
// 20 ms, for at most `lookFor` ms) and records their texts.
class MessageAnswerer : public QObject {
public:
    explicit MessageAnswerer(int result = skin::MessageBox::Ok, int lookFor = 30000)
        : result_(result), looksLeft_(lookFor / 20) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { look(); });
        timer_.start();
    }
    const std::vector<QString>& texts() const { return texts_; }

private:
    void look() {
        if (auto* box = qobject_cast<skin::MessageBox*>(QApplication::activeModalWidget())) {
            texts_.push_back(box->text());
            box->done(result_);
        }
        if (--looksLeft_ <= 0) timer_.stop();
    }

    int result_;
    int looksLeft_;
    QTimer timer_;
    std::vector<QString> texts_;
};

// Types `text` key by key, accented letters included.
inline void typeText(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

// A mouse click on the visible button of `dialog` that runs `command`.
inline void click(skin::SkinnedDialog& dialog, int command) {
    for (auto* button : dialog.findChildren<skin::BitmapButton*>()) {
        if (button->commandId() == command && button->isVisibleTo(&dialog)) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    FAIL() << "no visible button " << command;
}

// Writes what `widget` shows to $TESSARY_PREVIEW_DIR/<name>.png, when set.
inline void savePreview(QWidget& widget, const char* name) {
    const char* dir = std::getenv("TESSARY_PREVIEW_DIR");
    if (dir == nullptr) return;
    std::filesystem::create_directories(dir);
    widget.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

}  // namespace tessary::lobby::testing
