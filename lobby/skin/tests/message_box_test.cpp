#include "skin/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>

#include "skin/bitmap_button.h"
#include "skin/skin_environment.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

class MessageBoxTest : public testing::SkinFixture {
protected:
    // Runs `check` on the modal box once it is open.
    static void whenOpen(std::function<void(MessageBox*)> check) {
        QTimer::singleShot(0, [check] {
            auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            check(box);
        });
    }
};

TEST_F(MessageBoxTest, OneButtonIsCentredFifteenPixelsAboveTheBottom) {
    MessageBox box(nullptr, "A short text", "Title", MessageBox::OkOnly);
    ASSERT_NE(box.okButton(), nullptr);
    EXPECT_EQ(box.cancelButton(), nullptr);
    QFontMetrics metrics(box.font());
    QSize text = metrics.boundingRect(QRect(), Qt::AlignCenter, "A short text").size();
    int widest = std::max({text.width(), 60, metrics.horizontalAdvance("Title")});
    EXPECT_EQ(box.width(), widest + 30);
    EXPECT_EQ(box.height(), text.height() + 24 + 30);
    BitmapButton* ok = box.okButton();
    EXPECT_EQ(ok->x(), (box.width() - ok->width()) / 2);
    EXPECT_EQ(ok->geometry().bottom() + 1, box.height() - 15);
    EXPECT_FALSE(ok->ignoresWhileBusy());
}

TEST_F(MessageBoxTest, OkAndCancelStandSideBySideCentredTogether) {
    MessageBox box(nullptr, "?", "", MessageBox::OkCancel);
    BitmapButton* ok = box.okButton();
    BitmapButton* cancel = box.cancelButton();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(box.width(), 60 + MessageBox::kButtonGap + 70 + 30);
    EXPECT_LT(ok->x(), cancel->x());
    EXPECT_EQ(cancel->x(), ok->geometry().right() + 1 + MessageBox::kButtonGap);
    EXPECT_EQ(ok->x(), box.width() - 1 - cancel->geometry().right());
    EXPECT_EQ(ok->y(), cancel->y());
}

TEST_F(MessageBoxTest, LongTextFitsInsideItsMargins) {
    const std::string text =
        "A much longer line of text than the buttons are wide\nand a second line";
    MessageBox box(nullptr, text, "Title", MessageBox::OkOnly);
    QSize needed = QFontMetrics(box.font())
                       .boundingRect(QRect(), Qt::AlignCenter, QString::fromStdString(text))
                       .size();
    EXPECT_GE(box.textRect().width(), needed.width());
    EXPECT_GE(box.textRect().height(), needed.height());
    EXPECT_EQ(box.textRect().left(), 15);
    EXPECT_EQ(box.textRect().bottom() + 1, box.okButton()->y());
}

TEST_F(MessageBoxTest, TextIsDrawnInWhiteOnDarkBlue) {
    MessageBox box(nullptr, "MMMM", "", MessageBox::OkOnly);
    QImage picture = box.grab().toImage();
    EXPECT_EQ(picture.pixelColor(2, 2), QColor(0, 0, 120));
    bool white = false;
    QRect area = box.textRect();
    for (int y = area.top(); y <= area.bottom() && !white; ++y) {
        for (int x = area.left(); x <= area.right() && !white; ++x) {
            white = picture.pixelColor(x, y) == QColor(Qt::white);
        }
    }
    EXPECT_TRUE(white);
}

TEST_F(MessageBoxTest, ResultNamesTheButtonThatClosedIt) {
    struct Case {
        const char* name;
        int style;
        std::function<void(MessageBox*)> close;
        int expected;
    };
    const Case cases[] = {
        {"OK alone", MessageBox::OkOnly,
         [](MessageBox* box) { QTest::mouseClick(box->okButton(), Qt::LeftButton); },
         MessageBox::Ok},
        {"OK of two", MessageBox::OkCancel,
         [](MessageBox* box) { QTest::mouseClick(box->okButton(), Qt::LeftButton); },
         MessageBox::Ok},
        {"Cancel", MessageBox::OkCancel,
         [](MessageBox* box) { QTest::mouseClick(box->cancelButton(), Qt::LeftButton); },
         MessageBox::Cancel},
        {"Escape", MessageBox::OkCancel,
         [](MessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, MessageBox::Cancel},
        {"closed by the window", MessageBox::OkOnly, [](MessageBox* box) { box->close(); },
         MessageBox::Cancel},
    };
    for (const Case& c : cases) {
        whenOpen(c.close);
        EXPECT_EQ(MessageBox::show(nullptr, "Text", "Title", c.style), c.expected) << c.name;
    }
}

TEST_F(MessageBoxTest, ButtonsAnswerWhileBusy) {
    busy_ = true;
    whenOpen([](MessageBox* box) { QTest::mouseClick(box->okButton(), Qt::LeftButton); });
    EXPECT_EQ(MessageBox::show(nullptr, "Text", "Title"), MessageBox::Ok);
}

TEST_F(MessageBoxTest, StringTableNumbersGiveTextAndTitle) {
    dir_.write("data/strings.bin", "1:TSClient\n52:The connection was lost.\n");
    QString title, text;
    whenOpen([&](MessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    EXPECT_EQ(MessageBox::show(nullptr, 52, 1), MessageBox::Ok);
    EXPECT_EQ(title, "TSClient");
    EXPECT_EQ(text, "The connection was lost.");
}

TEST_F(MessageBoxTest, OpeningPlaysMboxWhenSoundsAreOn) {
    desktop::SoundPlayer player;
    if (!player.hasDevice()) GTEST_SKIP() << "no audio device";
    skinEnvironment().sounds = &player;
    writeSound("mbox.wav", 500);
    for (bool on : {false, true}) {
        soundsOn_ = on;
        bool playing = false;
        whenOpen([&](MessageBox* box) {
            playing = player.isPlaying();
            box->accept();
        });
        MessageBox::show(nullptr, "Text", "Title");
        EXPECT_EQ(playing, on);
        player.stop();
    }
}

}  // namespace
}  // namespace tessary::skin
