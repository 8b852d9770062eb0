// The lobby's controls on the real artwork, filled with sample content.
#include <QPainter>
#include <cstdio>

#include "controls/arena_list.h"
#include "controls/chat_panel.h"
#include "controls/choice_dialogs.h"
#include "controls/label_list.h"
#include "controls/picture_list.h"
#include "controls/player_list.h"
#include "controls/scrollbar.h"
#include "controls/skinned_combo_box.h"
#include "controls/skinned_list_box.h"
#include "controls/spinner.h"
#include "preview.h"
#include "skin/skin_environment.h"

namespace {

using namespace tessary;
using namespace tessary::controls;

void save(QWidget& widget, const QString& file) {
    widget.grab().save(file);
    std::printf("%s\n", qPrintable(file));
}

void renderRouterView(const QString& outDirectory) {
    skin::SkinnedDialog window;
    populateWindow(window, *skin::findWindowLayout("router view"));
    auto* routers = new SkinnedListBox(&window);
    routers->setTransparent(true);
    routers->place(QRect(500, 78, 97, 183));
    routers->addItems({"Tessary", "Europe", "Asia", "Test"});
    routers->setCurrentRow(0);
    auto* arenas = new ArenaList(&window);
    arenas->place(QRect(605, 78, 175, 183));
    std::vector<ArenaRow> rows;
    const std::pair<const char*, int> samples[] = {
        {"Main Hall", 40},   {"Poker Lounge", 170}, {"Slime Pit", 320},
        {"Far Away Arena With A Long Name", 650}, {"Sleepy", 900}, {"New", -1},
        {"Late night", 120}, {"Tournament", 260}};
    int count = 3;
    for (auto [name, ping] : samples) {
        rows.push_back({name, "127.0.0.1", std::to_string(count), ping, -1});
        count = count * 7 % 31;
    }
    arenas->setRows(std::move(rows));
    arenas->setSelectedRow(1);
    auto* news = new SkinnedTextEdit(&window, 1);
    news->setReadOnly(true);
    news->place(QRect(500, 347, 281, 195));
    QString text;
    for (int i = 1; i <= 14; ++i) text += QString("News %1: the Tessary service has a new arena.\r\n").arg(i);
    news->setPlainText(text);
    window.show();
    save(window, outDirectory + "/router_view_controls.png");
}

void renderArenaView(const QString& outDirectory) {
    skin::SkinnedDialog window;
    populateWindow(window, *skin::findWindowLayout("arena view"));

    ChatTabs tabs(skin::stringText(21).empty() ? "Arena" : skin::stringText(21));
    tabs.setSessionTab("Friday poker");
    tabs.openPrivate("Bob", 1);
    tabs.openPrivate("Carla", 2);
    tabs.select(0);
    const std::pair<const char*, std::string> chat[] = {
        {"Ann", "hello everyone!"},
        {"Bob", "/me waves"},
        {"Carla", "anyone for a game of poker? the table is open, bring your best face"},
        {"Dan", "rules are at www.tessary.example/poker/rules if you need them"},
        {"Eve", std::string(120, 'W')},
        {"Ann", "see you there"}};
    for (auto [sender, text] : chat) {
        tabs.addLine(0, formatChatLine(sender, text, chatColour(200, 220, 255), 0), 3);
    }
    tabs.addLine(0, makeChatLine("Frank has joined the arena", kSystemGrey, 0), 4);
    tabs.addLine(3, formatChatLine("Carla", "psst", kWhite, 0), 5);

    auto* chatBox = new ChatPanel(&window, QRect(18, 250, 467, 332), &tabs);
    chatBox->setInputLook(QColor(200, 220, 255), 0);
    chatBox->input()->setText("Hello everyone!");

    PlayerRows players;
    const char* names[] = {"Ann", "Bob", "Carla", "Dan", "Eve", "Frank", "Gina", "Hugo",
                           "Ines", "Jon", "Kim", "Lou", "Mo", "Nina", "Otto", "Pia",
                           "Quentin", "Rosa", "Sam", "Tina", "Ulf", "Vera"};
    int index = 0;
    for (const char* name : names) {
        PlayerRow row{name, "", 0, index % 6};
        if (index % 4 == 1) row = {name, "Friday poker", PlayerRow::kPlaying, index % 6};
        if (index % 7 == 3) row = {name, "Friday poker", PlayerRow::kWatching, 5};
        if (index == 2) row.flags |= PlayerRow::kHighlighted;
        players.add(row);
        ++index;
    }
    players.sortBy(PlayerSort::ByName);
    auto* list = new PlayerList(&window, &players);
    list->place(QRect(503, 68, 278, 408));
    list->setColumnBoundary(139);
    window.show();
    save(window, outDirectory + "/arena_view_controls.png");
}

void renderSheet(const QString& outDirectory) {
    skin::SkinnedDialog sheet;
    sheet.setBackgroundColor(QColor(20, 24, 48));
    sheet.resize(640, 360);
    auto* labels = new LabelList(&sheet);
    labels->place(QRect(10, 10, 200, 90));
    labels->setRows({"Name", "Country", "Games played", "Wins", "Member since", "Favourite"},
                    {"Alexandra", "New Zealand", "128", "64", "2026", "Slimefray"});
    auto* spinner = new Spinner(&sheet, 2, 8, 4);
    spinner->place(QRect(230, 10, 60, 40));
    auto* pictures = new PictureList(&sheet, QRect(310, 10, 120, 110), "games\\Slimefray\\");
    pictures->setItems({{"Session", skin::skinPath("session\\open.bmp")}});
    auto* combo = new SkinnedComboBox(&sheet);
    combo->setGeometry(10, 120, 180, 19);
    for (const char* country : {"Argentina", "Australia", "Austria", "Belgium", "Brazil", "Canada",
                                "Chile", "Denmark", "Finland", "France", "Germany", "Greece"}) {
        combo->addItem(country);
    }
    combo->setCurrentIndex(5);
    auto* list = new SkinnedListBox(&sheet);
    list->place(QRect(10, 150, 180, 120));
    for (int i = 0; i < 20; ++i) list->addItem(QString("List row %1").arg(i + 1));
    list->setCurrentRow(2);
    sheet.show();
    save(sheet, outDirectory + "/controls_sheet.png");

    combo->showPopup();
    if (QWidget* popup = combo->popupList() ? combo->popupList()->window() : nullptr) {
        save(*popup, outDirectory + "/controls_drop_down.png");
    }
    combo->hidePopup();

    ColourDialog colours(nullptr, QColor(200, 220, 255));
    colours.show();
    save(colours, outDirectory + "/colour_dialog.png");
    FontDialog fonts(nullptr);
    fonts.show();
    save(fonts, outDirectory + "/font_dialog.png");
}

}  // namespace

void renderControls(const QString& outDirectory) {
    renderRouterView(outDirectory);
    renderArenaView(outDirectory);
    renderSheet(outDirectory);
}
