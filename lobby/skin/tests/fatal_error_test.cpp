#include "skin/fatal_error.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "skin/message_box.h"
#include "skin/skin_environment.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

class FatalErrorTest : public testing::SkinFixture {
protected:
    FatalErrorTest() {
        skinEnvironment().exitProgram = [this](int code) { exitCodes_.push_back(code); };
    }

    // Shows the fatal message for `error`, closing the box once it is open,
    // and returns the text the box showed.
    QString showAndDismiss(const SkinFatalError& error) {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->text();
            box->accept();
        });
        showFatalErrorAndEnd(error);
        return shown;
    }

    std::vector<int> exitCodes_;
};

TEST_F(FatalErrorTest, TextIsTheNumberedTextWithThePath) {
    dir_.write("data/strings.bin", "35:Fatal error\n36:Cannot open\\n%s\n19:Picture %s lost\n");
    EXPECT_EQ(fatalErrorText(SkinFatalError(36, "/a/CONFIG.INI")), "Cannot open \n/a/CONFIG.INI");
    EXPECT_EQ(fatalErrorText(SkinFatalError(19, "/a/x.bmp")), "Picture /a/x.bmp lost");
    EXPECT_EQ(fatalErrorTitle(), "Fatal error");
}

TEST_F(FatalErrorTest, WithoutTheTextsTheUserStillLearnsThePath) {
    std::filesystem::remove(dir_.path() / "data/strings.bin");
    for (int number : {19, 20, 36, 37}) {
        std::string text = fatalErrorText(SkinFatalError(number, "/a/broken.file"));
        EXPECT_NE(text.find("/a/broken.file"), std::string::npos) << number;
    }
    EXPECT_EQ(fatalErrorTitle(), "TSClient");
}

TEST_F(FatalErrorTest, MissingFileAsksTheMainWindowToClose) {
    QWidget mainWindow;
    mainWindow.show();
    skinEnvironment().mainWindow = &mainWindow;
    EXPECT_EQ(showAndDismiss(SkinFatalError(36, "/a/font.ini")), "Cannot open /a/font.ini");
    EXPECT_TRUE(mainWindow.isVisible());  // the close request is queued
    QApplication::processEvents();
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_TRUE(exitCodes_.empty());
}

TEST_F(FatalErrorTest, BrokenFileDestroysTheMainWindowAndEnds) {
    QPointer<QWidget> mainWindow = new QWidget;
    mainWindow->show();
    skinEnvironment().mainWindow = mainWindow;
    EXPECT_EQ(showAndDismiss(SkinFatalError(37, "/a/config.tsc")), "Broken /a/config.tsc");
    EXPECT_TRUE(mainWindow.isNull());
    EXPECT_EQ(exitCodes_, std::vector<int>{0});
}

TEST_F(FatalErrorTest, WithoutAMainWindowTheProgramEndsAtOnce) {
    showAndDismiss(SkinFatalError(19, "/a/3login.jpg"));
    EXPECT_EQ(exitCodes_, std::vector<int>{0});
}

}  // namespace
}  // namespace tessary::skin
