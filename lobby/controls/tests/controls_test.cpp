#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "controls/arena_list.h"
#include "controls/chat_tab_row.h"
#include "controls/choice_dialogs.h"
#include "controls/label_list.h"
#include "controls/picture_list.h"
#include "controls/picture_switch.h"
#include "controls/player_list.h"
#include "controls/scrollbar.h"
#include "controls/skinned_combo_box.h"
#include "controls/skinned_list_box.h"
#include "controls/spinner.h"
#include "controls_fixture.h"
#include "skin/bitmap_button.h"

namespace tessary::controls {
namespace {

using Controls = testing::ControlsFixture;

std::vector<ScrollRequest> requests(const QSignalSpy& spy) {
    std::vector<ScrollRequest> result;
    for (const auto& call : spy) result.push_back(call.at(0).value<ScrollRequest>());
    return result;
}

TEST_F(Controls, ScrollbarHidesForOnePositionAndNarrowsItsTarget) {
    QWidget window;
    QWidget target(&window);
    Scrollbar bar(&window);
    bar.attach(&target, QRect(10, 10, 200, 100));
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(target.geometry(), QRect(10, 10, 200, 100));
    bar.setRange(0, 10, 3);
    EXPECT_FALSE(bar.isHidden());
    EXPECT_EQ(target.geometry(), QRect(10, 10, 184, 100));
    EXPECT_EQ(bar.geometry(), QRect(194, 10, 16, 100));
    bar.setRange(0, 0, 0);
    EXPECT_EQ(target.width(), 200);
}

TEST_F(Controls, ScrollbarArrowsRepeatAndTheThumbDrags) {
    QWidget window;
    QWidget target(&window);
    Scrollbar bar(&window);
    bar.attach(&target, QRect(0, 0, 100, 140));
    bar.setRange(0, 9, 5);
    window.show();
    QSignalSpy spy(&bar, &Scrollbar::scrollRequested);

    QElapsedTimer clock;
    clock.start();
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(requests(spy), std::vector{ScrollRequest::LineUp});
    EXPECT_EQ(bar.pressedPart(), ScrollPart::UpArrow);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 2000);
    EXPECT_GE(clock.elapsed(), Scrollbar::kFirstRepeatMs - 20);
    const qint64 second = clock.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 5, 2000);
    EXPECT_LT(clock.elapsed() - second, 3 * Scrollbar::kFirstRepeatMs);  // faster now
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(bar.pressedPart(), ScrollPart::None);
    spy.clear();

    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 30));  // above the thumb
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 30));
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 110));  // below it
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 110));
    EXPECT_EQ(requests(spy), (std::vector{ScrollRequest::PageUp, ScrollRequest::PageDown}));
    spy.clear();

    const int thumbMiddle = bar.scrollGeometry().thumb().y + 4;
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(8, thumbMiddle));
    QTest::mouseMove(&bar, QPoint(8, thumbMiddle + 25));
    QTest::mouseMove(&bar, QPoint(8, thumbMiddle + 26));  // the same position: nothing sent
    QTest::mouseMove(&bar, QPoint(8, 400));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(8, 400));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 7);
    EXPECT_EQ(spy.at(1).at(1).toInt(), 9);
}

TEST_F(Controls, ListsScrollWithinTheirRows) {
    QWidget window;
    LabelList labels(&window);
    labels.place(QRect(0, 0, 200, labels.lineHeight() * 4));
    labels.setRows({"Name", "Age", "Town", "Game", "Wins", "Losses"},
                   {"Ann", "31", "Oslo", "Poker", "10", "2"});
    EXPECT_EQ(labels.scrollbar()->range().maximum, 2);
    EXPECT_EQ(labels.rowText(2), "Town: Oslo");
    struct Step {
        ScrollRequest request;
        int position;
        int first;
    };
    for (auto [request, position, first] : {Step{ScrollRequest::LineDown, 0, 1},
                                            Step{ScrollRequest::PageDown, 0, 2},
                                            Step{ScrollRequest::LineUp, 0, 1},
                                            Step{ScrollRequest::PageUp, 0, 0},
                                            Step{ScrollRequest::ThumbTrack, 9, 2}}) {
        labels.scroll(request, position);
        EXPECT_EQ(labels.firstRow(), first);
        EXPECT_EQ(labels.scrollbar()->range().position, first);
    }

    SkinnedListBox list(&window);
    list.place(QRect(0, 0, 150, 100));
    for (int i = 0; i < 30; ++i) list.addItem(QString("Item %1").arg(i));
    window.show();
    const int visible = list.visibleRows();
    EXPECT_EQ(list.scrollbar()->range().maximum, 30 - visible);
    list.scroll(ScrollRequest::PageDown);
    EXPECT_EQ(list.topRow(), visible);
    EXPECT_EQ(list.scrollbar()->range().position, visible);
}

TEST_F(Controls, SpinnerPictureListAndSwitch) {
    QWidget window;
    Spinner spinner(&window, 2, 8, 20);
    EXPECT_EQ(spinner.value(), 5);
    spinner.scroll(ScrollRequest::LineUp);  // the upper arrow lowers the number
    EXPECT_EQ(spinner.value(), 4);
    spinner.scroll(ScrollRequest::PageUp);  // a quarter of 8 - 2
    EXPECT_EQ(spinner.value(), 3);
    spinner.scroll(ScrollRequest::ThumbTrack, 50);
    EXPECT_EQ(spinner.value(), 8);
    EXPECT_EQ(spinner.scrollbar()->range().position, 8);
    EXPECT_EQ(Spinner(&window, 0, 100, 1).pageStep(), 25);

    PictureList pictures(&window, QRect(0, 0, 100, 80), "games\\none\\");
    pictures.setItems({{"red", skin::skinPath("a.bmp")},
                       {"green", skin::skinPath("b.bmp")},
                       {"red", skin::skinPath("b.bmp")}});
    pictures.previous();
    EXPECT_EQ(pictures.current(), 2);
    pictures.next();
    EXPECT_EQ(pictures.current(), 0);
    QTest::mouseClick(pictures.nextButton(), Qt::LeftButton);
    EXPECT_EQ(pictures.currentValue(), "green");
    EXPECT_TRUE(pictures.setValue("red"));
    EXPECT_EQ(pictures.current(), 2);
    EXPECT_FALSE(pictures.setValue("blue"));

    PictureSwitch toggle(&window, QPoint(0, 0), skin::skinPath("off.bmp"), skin::skinPath("on.bmp"));
    QSignalSpy toggled(&toggle, &PictureSwitch::toggled);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isOn());
    QTest::mouseDClick(&toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle.isOn());
    EXPECT_EQ(toggled.count(), 2);
}

TEST_F(Controls, PlayerListRowsHoverAndMenus) {
    QWidget window;
    PlayerRows rows;
    rows.assign({{"Ann", "", 0, 5}, {"Bob", "Friday", PlayerRow::kPlaying, 2},
                 {"Cid", "Friday", PlayerRow::kWatching | PlayerRow::kHighlighted, 0}});
    PlayerList list(&window, &rows);
    list.place(QRect(0, 0, 200, 100));
    window.show();
    EXPECT_EQ(list.rowHeight(), 18);  // the ping pictures are the tallest
    EXPECT_EQ(list.rowAt(QPoint(5, 20)), 1);
    EXPECT_EQ(list.rowAt(QPoint(5, 90)), -1);

    QPoint cursor = list.mapToGlobal(QPoint(5, 40));
    list.setCursorProbe([&cursor] { return cursor; });
    QTest::mouseMove(&list, QPoint(5, 40));
    EXPECT_EQ(list.hoveredRow(), 2);
    cursor = QPoint(-100, -100);
    QTRY_COMPARE_WITH_TIMEOUT(list.hoveredRow(), -1, 1000);

    QSignalSpy menu(&list, &PlayerList::rowMenuRequested);
    QSignalSpy doubleClicks(&list, &PlayerList::rowDoubleClicked);
    QTest::mouseClick(&list, Qt::RightButton, {}, QPoint(5, 20));
    EXPECT_EQ(list.selectedRow(), 1);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toInt(), 1);
    QTest::mouseDClick(&list, Qt::LeftButton, {}, QPoint(5, 2));
    ASSERT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(doubleClicks.at(0).at(0).toInt(), 0);

    rows.remove("Cid");
    list.refresh();
    EXPECT_EQ(list.rowAt(QPoint(5, 40)), -1);
}

TEST_F(Controls, ArenaListSelectsAndJoinsUnlessBusy) {
    QWidget window;
    ArenaList arenas(&window);
    arenas.place(QRect(0, 0, 175, 183));
    arenas.setRows({{"North", "h", "12", 40, -1}, {"South", "h", "3", -1, 300}});
    window.show();
    QSignalSpy joined(&arenas, &ArenaList::rowActivated);
    const int secondRow = arenas.rowHeight(0) + 2;
    QTest::mouseClick(&arenas, Qt::LeftButton, {}, QPoint(30, secondRow));
    EXPECT_EQ(arenas.selectedRow(), 1);
    QTest::mouseClick(&arenas, Qt::RightButton, {}, QPoint(30, 170));
    EXPECT_EQ(arenas.selectedRow(), -1);
    busy_ = true;
    QTest::mouseDClick(&arenas, Qt::LeftButton, {}, QPoint(30, 2));
    EXPECT_EQ(joined.count(), 0);
    busy_ = false;
    QTest::mouseDClick(&arenas, Qt::LeftButton, {}, QPoint(30, 2));
    ASSERT_EQ(joined.count(), 1);
    EXPECT_EQ(joined.at(0).at(0).toInt(), 0);
    arenas.setPing(1, 151);
    EXPECT_EQ(pingPicture(arenas.rows()[1].ping), 4);
}

TEST_F(Controls, TabRowHitsTheTopmostTab) {
    ChatTabs tabs("Arena");
    for (const char* name : {"Bob", "Cid", "Dan", "Eve", "Fay"}) tabs.openPrivate(name, 0);
    tabs.select(2);
    QWidget window;
    ChatTabRow row(&window, &tabs);
    row.setGeometry(0, 0, 467, 30);
    QSignalSpy clicked(&row, &ChatTabRow::tabClicked);
    QSignalSpy closed(&row, &ChatTabRow::tabDoubleClicked);
    QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(160, 10));
    QTest::mouseDClick(&row, Qt::LeftButton, {}, QPoint(80, 10));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 2);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).toInt(), 1);
    EXPECT_EQ(ChatTabRow::caption(tabs.tab(1)), "<Bob>");
}

TEST_F(Controls, ColourAndFontDialogs) {
    ColourDialog colours(nullptr, QColor(10, 20, 30));
    EXPECT_EQ(colours.colour(), QColor(10, 20, 30));
    EXPECT_EQ(colours.size(), QSize(300, 150));
    QTest::mouseClick(colours.slider(1), Qt::LeftButton, {}, QPoint(149, 10));
    EXPECT_EQ(colours.colour(), QColor(10, 255, 30));

    FontDialog fonts(nullptr);
    EXPECT_EQ(fonts.rowCount(), 1);  // only the cancel row without a font table
    QTest::mouseClick(&fonts, Qt::LeftButton, {}, fonts.rowRect(0).center());
    EXPECT_EQ(fonts.result(), QDialog::Rejected);
    EXPECT_EQ(fonts.chosenFont(), -1);
}

TEST_F(Controls, ComboBoxOpensASkinnedList) {
    skin::SkinnedDialog window;
    window.resize(300, 300);
    SkinnedComboBox combo(&window);
    combo.setGeometry(10, 10, 180, 19);
    for (int i = 0; i < 40; ++i) combo.addItem(QString("Country %1").arg(i));
    window.show();
    combo.showPopup();
    ASSERT_NE(combo.popupList(), nullptr);
    EXPECT_EQ(combo.popupList()->count(), 40);
    EXPECT_FALSE(combo.popupList()->scrollbar()->isHidden());
    QSignalSpy activated(&combo, &QComboBox::activated);
    combo.popupList()->setCurrentRow(7);
    QTest::keyClick(combo.popupList(), Qt::Key_Return);
    EXPECT_EQ(combo.currentIndex(), 7);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(combo.popupList(), nullptr);
}

}  // namespace
}  // namespace tessary::controls
