#include "skin/skinned_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "skin/bitmap_button.h"
#include "skin/skin_error.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

class SkinnedDialogTest : public testing::SkinFixture {
protected:
    SkinnedDialogTest() {
        writePicture("data/default/window/3login.bmp", QSize(300, 228), QColor(10, 30, 80));
        writeButton("3login", 3, QSize(130, 30));
    }

    void sendMouse(QWidget* target, QEvent::Type type, QPoint at) {
        QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
};

TEST_F(SkinnedDialogTest, BackgroundFixesTheSizeAndIsPainted) {
    SkinnedDialog dialog;
    ASSERT_TRUE(dialog.setBackground(skinPath("window\\3login.bmp")));
    EXPECT_EQ(dialog.size(), QSize(300, 228));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.grab().toImage().pixelColor(150, 100), QColor(10, 30, 80));
}

TEST_F(SkinnedDialogTest, MissingBackgroundIsFatal) {
    SkinnedDialog dialog;
    try {
        dialog.setBackground(skinPath("window\\absent.jpg"));
        FAIL() << "no error";
    } catch (const SkinFatalError& error) {
        EXPECT_EQ(error.textNumber(), kTextCannotOpenImage);
    }
}

TEST_F(SkinnedDialogTest, ButtonCommandsReachTheDialog) {
    SkinnedDialog dialog;
    dialog.setBackground(skinPath("window\\3login.bmp"));
    BitmapButton* other = dialog.addButton(QPoint(15, 185), 1026, skinPath("button\\3login"), 3);
    BitmapButton* ok = dialog.addButton(QPoint(15, 149), SkinnedDialog::kCommandOk,
                                        skinPath("button\\3login"), 3, "profile.wav");
    ASSERT_NE(other, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(15, 149, 130, 30));
    EXPECT_EQ(ok->sound(), "profile.wav");
    EXPECT_EQ(other->sound(), BitmapButton::kDefaultSound);
    EXPECT_EQ(dialog.addButton(QPoint(0, 0), 5, skinPath("button\\3login"), 7), nullptr);

    QSignalSpy commands(&dialog, &SkinnedDialog::command);
    QTest::mouseClick(other, Qt::LeftButton);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 1026);

    dialog.show();
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(commands.count(), 1);
}

TEST_F(SkinnedDialogTest, ControlsTakeTheWindowsColours) {
    SkinnedDialog dialog;
    dialog.setBackground(skinPath("window\\3login.bmp"));
    dialog.setTextColor(QColor(255, 168, 0));
    dialog.setBackgroundColor(QColor(0, 0, 120));
    auto* caption = new QLabel("Name", &dialog);
    auto* edit = new QLineEdit(&dialog);
    EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(255, 168, 0));
    EXPECT_FALSE(caption->autoFillBackground());  // captions lie on the picture
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 120));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 168, 0));
}

TEST_F(SkinnedDialogTest, MovableWindowsAreDraggedByTheirBody) {
    for (bool movable : {false, true}) {
        SkinnedDialog dialog;
        dialog.setBackground(skinPath("window\\3login.bmp"));
        BitmapButton* button = dialog.addButton(QPoint(15, 149), 9, skinPath("button\\3login"), 3);
        dialog.setMovable(movable);
        dialog.show();
        const QPoint start = dialog.pos();

        sendMouse(button, QEvent::MouseButtonPress, QPoint(3, 3));  // a control takes the press
        sendMouse(button, QEvent::MouseMove, QPoint(40, 30));
        sendMouse(button, QEvent::MouseButtonRelease, QPoint(40, 30));
        EXPECT_EQ(dialog.pos(), start) << movable;

        sendMouse(&dialog, QEvent::MouseButtonPress, QPoint(200, 20));
        sendMouse(&dialog, QEvent::MouseMove, QPoint(230, 40));
        sendMouse(&dialog, QEvent::MouseButtonRelease, QPoint(230, 40));
        EXPECT_EQ(dialog.pos(), movable ? start + QPoint(30, 20) : start) << movable;
    }
}

}  // namespace
}  // namespace tessary::skin
