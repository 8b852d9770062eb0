#include "table_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "poker/testing/hub.h"
#include "table_layout.h"

namespace tessary::poker {
namespace {

using testing::Hub;

const Artwork& artwork() {
    static const Artwork art = Artwork::load(POKER_PICTURES_DIR);
    return art;
}

void settle(Hub& hub) {
    for (int i = 0; i < 10000 && hub.deliverOne(); ++i) {
    }
    QApplication::processEvents();
}

// Alice (10) opens; the window shows bob's (20) table.
struct TableWindowTest : ::testing::Test {
    Hub hub;
    PokerGame* alice = nullptr;
    PokerGame* bob = nullptr;
    std::unique_ptr<TableWindow> window;

    void SetUp() override {
        alice = &hub.join(10, "alice");
        settle(hub);
        bob = &hub.join(20, "bob");
        settle(hub);
        window = std::make_unique<TableWindow>(*bob, artwork(), nullptr, QString());
        window->show();
        settle(hub);
    }
    QWidget* control(int id) { return window->view()->control(id); }
    QPoint inWindow(QWidget* w) { return w->mapTo(window.get(), QPoint(0, 0)); }
    bool enabled(int id) { return control(id)->isEnabled(); }
};

TEST_F(TableWindowTest, FixedSizeFramelessWindow) {
    EXPECT_TRUE(artwork().complete());
    EXPECT_EQ(window->size(), QSize(645, 503));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->view()->size(), layout::kClientSize);
}

TEST_F(TableWindowTest, ControlsSitWhereTheTableWantsThem) {
    struct Row {
        int id;
        QPoint at;
    };
    const int top = TitleBar::kHeight;
    const Row rows[] = {
        {layout::kChatInputId, {436, 304 + top}}, {layout::kRaiseListId, {560, 345 + top}},
        {1066, {14, 440 + top}},                  {1067, {87, 440 + top}},
        {1068, {160, 440 + top}},                 {1069, {233, 440 + top}},
        {1070, {306, 440 + top}},                 {layout::kAnteId, layout::kAnteButton + QPoint(0, top)},
        {layout::kCallId, layout::kCallButton + QPoint(0, top)},
        {layout::kFoldId, layout::kFoldButton + QPoint(0, top)},
        {layout::kRaiseId, layout::kRaiseButton + QPoint(0, top)},
        {layout::kOkId, layout::kOkButton + QPoint(0, top)},
        {layout::kExitId, layout::kExitButton + QPoint(0, top)},
    };
    for (const Row& r : rows) {
        QWidget* w = control(r.id);
        ASSERT_NE(w, nullptr) << r.id;
        EXPECT_EQ(inWindow(w), r.at) << r.id;
    }
    EXPECT_EQ(control(layout::kChatInputId)->size(), QSize(197, 18));
    EXPECT_EQ(window->view()->chatHistory()->geometry(), layout::kChatHistory);
    EXPECT_EQ(window->view()->raiseList()->width(), 62);
}

TEST_F(TableWindowTest, HelpAndSoundButtonsLeftOfTheCaptionButtons) {
    TitleBar* bar = window->titleBar();
    const int w = TitleBar::kButtonWidth;
    EXPECT_EQ(bar->helpButton(), QRect(645 - 4 * w - 1, TitleBar::kFrame + 2, w - 2, TitleBar::kButtonHeight - 4));
    EXPECT_EQ(bar->soundButton(), bar->helpButton().translated(-w, 0));
    EXPECT_LT(bar->helpButton().right(), bar->minimiseButton().left());
    EXPECT_TRUE(bar->soundOn());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->soundButton().center());
    EXPECT_FALSE(bar->soundOn());
}

TEST_F(TableWindowTest, OnlyTheMovesOfThePhaseAreEnabled) {
    using namespace layout;
    const int all[] = {kAnteId, kCallId, kFoldId, kRaiseId, kRaiseListId, kOkId, kHold1Id};
    auto enabledSet = [&] {
        std::set<int> on;
        for (int id : all) {
            if (enabled(id)) on.insert(id);
        }
        return on;
    };
    EXPECT_EQ(enabledSet(), std::set<int>{});
    EXPECT_TRUE(enabled(kExitId));
    EXPECT_TRUE(enabled(kChatInputId));

    alice->ante();
    settle(hub);
    EXPECT_EQ(enabledSet(), std::set<int>{kAnteId});
    QTest::mouseClick(static_cast<QAbstractButton*>(control(kAnteId)), Qt::LeftButton);
    settle(hub);
    EXPECT_EQ(bob->table().pot(), 10);
    EXPECT_EQ(enabledSet(), std::set<int>{});

    alice->call();
    settle(hub);
    EXPECT_EQ(enabledSet(), (std::set<int>{kCallId, kFoldId, kRaiseId, kRaiseListId}));
    EXPECT_EQ(window->view()->raiseList()->count(), 10);
    window->view()->raiseList()->setCurrentIndex(2);  // 15$
    QTest::mouseClick(static_cast<QAbstractButton*>(control(kRaiseId)), Qt::LeftButton);
    settle(hub);
    EXPECT_EQ(bob->table().highestBet(), 20);

    alice->call();  // closes the round: the draw starts with bob
    settle(hub);
    EXPECT_EQ(enabledSet(), (std::set<int>{kOkId, kHold1Id}));
    const Hand before = bob->table().local()->cards;
    QTest::mouseClick(static_cast<QAbstractButton*>(control(kHold1Id)), Qt::LeftButton);
    QTest::mouseClick(static_cast<QAbstractButton*>(control(kOkId)), Qt::LeftButton);
    settle(hub);
    EXPECT_EQ(bob->table().local()->cards[0], before[0]);
    EXPECT_EQ(enabledSet(), std::set<int>{});
}

TEST_F(TableWindowTest, RunningOutOfTimeDisablesTheMoves) {
    alice->ante();
    settle(hub);
    ASSERT_TRUE(enabled(layout::kAnteId));
    hub.milliseconds += 45'000;
    bob->tick();
    settle(hub);
    EXPECT_FALSE(enabled(layout::kAnteId));
    EXPECT_FALSE(bob->table().local()->inHand);
}

TEST_F(TableWindowTest, ChatLinesAreSentAndColouredBySeat) {
    auto* input = static_cast<QLineEdit*>(control(layout::kChatInputId));
    QTest::keyClicks(input, "hello table");
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_TRUE(input->text().isEmpty());
    alice->sendChat("hi bob");
    settle(hub);
    const QString html = window->view()->chatHistory()->toHtml();
    EXPECT_TRUE(html.contains("&lt;bob&gt; hello table")) << html.toStdString();
    EXPECT_TRUE(html.contains("#00ff00"));  // the local seat
    EXPECT_TRUE(html.contains("&lt;alice&gt; hi bob"));
    EXPECT_TRUE(html.contains("#ffffff"));  // seat 0
}

TEST_F(TableWindowTest, TheGrabShowsTheTable) {
    alice->ante();
    settle(hub);
    window->view()->finishAnimations();
    const QImage shot = window->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(645, 503));
    // The title bar is drawn (dark red), and the felt below it is green.
    const QColor title = shot.pixelColor(5, 5);
    const QColor felt = shot.pixelColor(100, 400);
    EXPECT_GT(title.red(), title.green());
    EXPECT_GT(felt.green(), felt.red());
}

}  // namespace
}  // namespace tessary::poker
