#include <QSignalSpy>
#include <QTest>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>

#include "controls/chat_box.h"
#include "controls/chat_panel.h"
#include "controls/chat_tab_row.h"
#include "controls/scrollbar.h"
#include "controls_fixture.h"

namespace tessary::controls {
namespace {

using ChatBoxTest = testing::ControlsFixture;

TEST_F(ChatBoxTest, LinksOpenOnlyTheirOwnWord) {
    QWidget window;
    ChatBox chat(&window);
    chat.place(QRect(0, 0, 300, 200));
    chat.addLine(formatChatLine("Ann", "look at www.Tessary.example/a?b now", kWhite, 0), false);
    chat.addLine(formatChatLine("Bob", "no link here", kWhite, 0), false);
    window.show();
    (void)chat.grab();  // lays out and records the link's place

    const auto& boxes = chat.pane().lines().front().linkBoxes;
    ASSERT_FALSE(boxes.empty());
    const QPoint onLink(boxes.front().x + 3, boxes.front().y + 3);
    QSignalSpy opened(&chat, &ChatBox::linkActivated);
    QTest::mouseMove(&chat, onLink);
    EXPECT_EQ(chat.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&chat, Qt::LeftButton, {}, QPoint(2, onLink.y()));  // "<Ann>"
    QTest::mouseMove(&chat, QPoint(2, 190));
    EXPECT_NE(chat.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&chat, Qt::LeftButton, {}, onLink);
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString(), "www.Tessary.example/a?b");
}

TEST_F(ChatBoxTest, ScrollsByBarAndWheelAndFollowsNewLines) {
    QWidget window;
    ChatBox chat(&window);
    chat.place(QRect(0, 0, 300, 100));
    for (int i = 0; i < 50; ++i) chat.addLine(makeChatLine("line " + std::to_string(i), kWhite, 0), false);
    window.show();
    (void)chat.grab();
    EXPECT_EQ(chat.scrollbar()->range().maximum, 49);
    EXPECT_EQ(chat.scrollbar()->range().position, 49);
    EXPECT_GT(chat.pane().top(), 40);

    QWheelEvent half(QPointF(5, 5), chat.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 60),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chat, &half);
    EXPECT_EQ(chat.pane().bottom(), 49);
    QApplication::sendEvent(&chat, &half);
    EXPECT_EQ(chat.pane().bottom(), 48);
    EXPECT_EQ(chat.scrollbar()->range().position, 48);

    chat.scroll(ScrollRequest::ThumbTrack, 10);
    EXPECT_EQ(chat.pane().bottom(), 10);
    chat.addLine(makeChatLine("paused", kWhite, 0), true);
    EXPECT_EQ(chat.pane().bottom(), 10);
    chat.addLine(makeChatLine("new", kWhite, 0), false);
    EXPECT_EQ(chat.pane().bottom(), 51);
}

TEST_F(ChatBoxTest, ALongWordWrapsInsteadOfOverflowing) {
    QWidget window;
    ChatBox chat(&window);
    chat.place(QRect(0, 0, 300, 268));
    chat.addLine(formatChatLine("Eve", std::string(4000, 'W') + " www." + std::string(3000, 'x'),
                                kWhite, 0),
                 false);
    window.show();
    const QImage shot = chat.grab().toImage();
    const ChatLine& line = chat.pane().lines().back();
    EXPECT_GT(line.runs.size(), 20u);
    EXPECT_FALSE(line.linkBoxes.empty());
    // Ink reaches the last row's text while the right edge keeps within the pane.
    bool inked = false;
    for (int x = 0; x < shot.width() && !inked; ++x) inked = qGray(shot.pixel(x, shot.height() - 8)) > 0;
    EXPECT_TRUE(inked);
}

}  // namespace
}  // namespace tessary::controls

namespace tessary::controls {
namespace {

TEST_F(ChatBoxTest, PanelReportsWhatThePlayerDoes) {
    writePicture("data/default/play.bmp", QSize(20, 20), Qt::green);
    writePicture("data/default/pause.bmp", QSize(20, 20), Qt::red);
    ChatTabs tabs("Arena");
    tabs.addLine(0, makeChatLine("arena line", kWhite, 0), 1);
    tabs.openPrivate("Bob", 2);
    tabs.addLine(1, makeChatLine("private line", kWhite, 0), 3);
    QWidget window;
    ChatPanel panel(&window, QRect(0, 0, 467, 332), &tabs);
    window.show();
    EXPECT_EQ(panel.pane()->pane().lines().front().text, "private line");

    QSignalSpy lines(&panel, &ChatPanel::lineEntered);
    QSignalSpy selected(&panel, &ChatPanel::tabSelected);
    QSignalSpy menus(&panel, &ChatPanel::inputMenuRequested);
    QTest::keyClick(panel.input(), Qt::Key_Return);  // empty: nothing
    QTest::keyClicks(panel.input(), "/me waves");
    QTest::keyClick(panel.input(), Qt::Key_Return);
    ASSERT_EQ(lines.count(), 1);
    EXPECT_EQ(lines.at(0).at(0).toString(), "/me waves");
    EXPECT_TRUE(panel.input()->text().isEmpty());

    QApplication::clipboard()->setText("pasted");
    QTest::keySequence(panel.input(), QKeySequence::Paste);
    EXPECT_TRUE(panel.input()->text().isEmpty());
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(50, 50));
    QApplication::sendEvent(panel.input(), &menu);
    EXPECT_EQ(menus.count(), 1);
    EXPECT_EQ(panel.input()->maxLength(), ChatPanel::kInputLimit);

    QTest::mouseClick(panel.tabRow(), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(selected.count(), 1);
    tabs.select(selected.at(0).at(0).toInt());
    panel.refresh();
    EXPECT_EQ(panel.pane()->pane().lines().front().text, "arena line");
}

}  // namespace
}  // namespace tessary::controls
