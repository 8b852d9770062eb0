#include "skin/bitmap_button.h"

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "skin/skin_environment.h"
#include "skin/skin_error.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

using Face = BitmapButton::Face;

class BitmapButtonTest : public testing::SkinFixture {
protected:
    BitmapButtonTest() {
        writeButton("two", 2, QSize(40, 20));
        writeButton("three", 3, QSize(40, 20));
        writeButton("four", 4, QSize(40, 20));
        parent_.resize(200, 100);
    }

    BitmapButton* make(const std::string& name, int count, QPoint at = QPoint(10, 10)) {
        auto* button = new BitmapButton(&parent_, 42);
        EXPECT_TRUE(button->create(at, skinPath("button\\" + name), count));
        return button;
    }

    void hover(BitmapButton* button) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(button, &enter);
    }

    // The colour the button paints at its centre.
    static QColor painted(BitmapButton* button) {
        return button->grab().toImage().pixelColor(button->width() / 2, button->height() / 2);
    }

    QWidget parent_;
};

TEST_F(BitmapButtonTest, PictureCountDecidesWhichFacesExist) {
    struct Case {
        const char* name;
        int count;
        Face hovered;
        Face disabled;
    };
    const Case cases[] = {
        {"two", 2, Face::Up, Face::Up},     // never a hover picture
        {"three", 3, Face::Sel, Face::Up},  // never a disabled picture
        {"four", 4, Face::Sel, Face::Dis},
    };
    for (const Case& c : cases) {
        BitmapButton* button = make(c.name, c.count);
        EXPECT_TRUE(button->hasPicture(Face::Up)) << c.name;
        EXPECT_TRUE(button->hasPicture(Face::Down)) << c.name;
        EXPECT_EQ(button->hasPicture(Face::Sel), c.count >= 3) << c.name;
        EXPECT_EQ(button->hasPicture(Face::Dis), c.count == 4) << c.name;
        EXPECT_EQ(button->currentFace(), Face::Up) << c.name;
        EXPECT_EQ(painted(button), testing::faceColor(0)) << c.name;

        hover(button);
        EXPECT_EQ(button->currentFace(), c.hovered) << c.name;
        EXPECT_EQ(painted(button), testing::faceColor(static_cast<int>(c.hovered))) << c.name;

        button->setDown(true);
        EXPECT_EQ(button->currentFace(), Face::Down) << c.name;
        EXPECT_EQ(painted(button), testing::faceColor(1)) << c.name;
        button->setDown(false);

        button->setEnabled(false);
        EXPECT_EQ(button->currentFace(), c.disabled) << c.name;
        EXPECT_EQ(painted(button), testing::faceColor(static_cast<int>(c.disabled))) << c.name;
    }
}

TEST_F(BitmapButtonTest, OtherPictureCountsCreateNothing) {
    for (int count : {-1, 0, 1, 5}) {
        BitmapButton button(&parent_, 1);
        EXPECT_FALSE(button.create(QPoint(0, 0), skinPath("button\\four"), count)) << count;
        EXPECT_FALSE(button.hasPicture(Face::Up)) << count;
    }
}

TEST_F(BitmapButtonTest, EveryPictureIsRequired) {
    BitmapButton button(&parent_, 1);
    try {
        (void)button.create(QPoint(0, 0), skinPath("button\\two"), 3);
        FAIL() << "no error";
    } catch (const SkinFatalError& error) {
        EXPECT_EQ(error.textNumber(), kTextCannotOpenImage);
        EXPECT_NE(error.path().find("twosel.bmp"), std::string::npos);
    }
}

TEST_F(BitmapButtonTest, TakesTheUpPicturesSizeAtItsCorner) {
    writePicture("data/default/button/oddup.bmp", QSize(33, 17), testing::faceColor(0));
    writePicture("data/default/button/odddown.bmp", QSize(33, 17), testing::faceColor(1));
    BitmapButton* button = make("odd", 2, QPoint(25, 40));
    EXPECT_EQ(button->geometry(), QRect(25, 40, 33, 17));
}

TEST_F(BitmapButtonTest, ClickEmitsItsCommand) {
    BitmapButton* button = make("three", 3);
    QSignalSpy commands(button, &BitmapButton::command);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 42);
}

TEST_F(BitmapButtonTest, ClicksAreIgnoredWhileBusy) {
    BitmapButton* button = make("three", 3);
    QSignalSpy commands(button, &BitmapButton::command);
    busy_ = true;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(commands.count(), 0);
    EXPECT_FALSE(button->isDown());

    button->setIgnoreWhileBusy(false);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(commands.count(), 1);

    button->setIgnoreWhileBusy(true);
    busy_ = false;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(commands.count(), 2);
}

TEST_F(BitmapButtonTest, DoubleClickCountsAsTwoClicks) {
    BitmapButton* button = make("three", 3);
    QSignalSpy commands(button, &BitmapButton::command);
    const QPoint at(5, 5);
    auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, at, button->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
    EXPECT_EQ(commands.count(), 2);
}

TEST_F(BitmapButtonTest, HoverEndsWhenTheTimerFindsTheCursorOutside) {
    BitmapButton* button = make("three", 3);
    QPoint cursor = button->mapToGlobal(QPoint(3, 3));
    button->setCursorProbe([&] { return cursor; });
    hover(button);
    ASSERT_TRUE(button->isHovered());

    QTest::qWait(3 * BitmapButton::kHoverPeriodMs);
    EXPECT_TRUE(button->isHovered());  // still inside

    cursor = button->mapToGlobal(QPoint(button->width() + 5, 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !button->isHovered(); }, 1000));
    EXPECT_EQ(button->currentFace(), Face::Up);
}

TEST_F(BitmapButtonTest, PressClearsTheHover) {
    BitmapButton* button = make("three", 3);
    hover(button);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_FALSE(button->isHovered());
    EXPECT_EQ(button->currentFace(), Face::Down);
    QTest::mouseRelease(button, Qt::LeftButton);
}

TEST_F(BitmapButtonTest, ClickPlaysItsSoundWhenSoundsAreOn) {
    desktop::SoundPlayer player;
    if (!player.hasDevice()) GTEST_SKIP() << "no audio device (SDL_AUDIODRIVER=dummy gives one)";
    skinEnvironment().sounds = &player;
    writeSound("button.wav", 400);
    writeSound("web.wav", 400);
    BitmapButton* button = make("three", 3);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(player.isPlaying());  // sounds are off

    soundsOn_ = true;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(player.isPlaying());
    player.stop();

    button->setSound("web.wav");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(player.isPlaying());
    player.stop();

    button->setSound("missing.wav");  // a missing sound is silent, the click still counts
    QSignalSpy commands(button, &BitmapButton::command);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(commands.count(), 1);
}

}  // namespace
}  // namespace tessary::skin
