// The session windows and the session list in the main window, against the
// fake library: the option widgets over a config.tsc of every kind, the
// create and information modes, the name filter, the questions, the tiles and
// the session menu.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "../support/every_option_kind.h"
#include "../support/fake_client.h"
#include "../support/gui_driving.h"
#include "../support/test_app_directory.h"
#include "controls/picture_switch.h"
#include "controls/spinner.h"
#include "desktop/image_writers.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "lobby/session_panel.h"
#include "lobby/session_windows.h"
#include "skin/bitmap_button.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;

namespace fs = std::filesystem;
using testing::answerTo;
using testing::click;
using testing::fake;
using testing::MessageAnswerer;
using testing::savePreview;
using testing::typeText;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string bmpOf(int width, int height, std::uint32_t colour) {
    desktop::DecodedImage image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), colour)};
    const auto bytes = desktop::encodeBmp24(image);
    return {bytes.begin(), bytes.end()};
}

class SessionWindowsTest : public ::testing::Test {
protected:
    SessionWindowsTest() {
        ::setenv("TESSARY_REGISTRY", (appDir_.path() + "registry.ini").c_str(), 1);
        appDir_.activate();
        testing::resetFake();
        api_ = testing::fakeApi();
        const fs::path every = appDir_.path() + "games/every";
        writeFile(every / "config.tsc", testing::kEveryOptionKind);
        writeFile(every / "r.bmp", bmpOf(20, 20, 0xFFC00000));
        writeFile(every / "b.bmp", bmpOf(20, 20, 0xFF0000C0));
        writeFile(every / "maps/Arena.map", "");
        writeFile(every / "maps/Duel.map", "");
        writeFile(every / "session.bmp", bmpOf(80, 60, 0xFF406080));
        const fs::path chat = appDir_.path() + "games/chat";
        writeFile(chat / "config.tsc", "[PAGE_INFO]\n1\n0\n[BUTTON]\n150 62 330 80 150 92 200 110 2 50 476 8 492 24 "
                                       "380 352 500 382 20 352 140 382 140 352 260 382\n");
        writeFile(chat / "session.bmp", "BM broken");
    }

    SessionGames games(std::vector<std::string> names) {
        SessionGames all;
        for (const auto& name : names) {
            SessionGame game;
            game.name = name;
            game.directory = appDir_.path() + (name == "CHAT" ? "games/chat" : "games/every");
            game.version = "1.0";
            game.layout = skin::loadSessionOptionsLayout((game.directory / "config.tsc").string(), name);
            game.fullName = game.layout.fullName;
            all.add(std::move(game), listDirectoriesUnder({game.directory}));
        }
        return all;
    }

    LobbyWindow& window(std::vector<std::string> installed = {"EVERY"}) {
        if (!window_) {
            window_ = std::make_unique<LobbyWindow>(api_, LobbyWindowSetup{"127.0.0.1", 7000, 3, false, {"France"}});
            window_->create();
            window_->loginWindow()->setFields({"Ann", "pw"});
            click(*window_->loginWindow(), skin::SkinnedDialog::kCommandOk);
            deliver(answerTo(LOGIN));
            window_->lobby().sessions().setGames(games(installed));
        }
        return *window_;
    }
    SessionScreens& screens() { return window().sessionScreens(); }
    SessionsController& controller() { return window().lobby().sessions(); }
    void deliver(int32_t type) {
        fake().messages.push_back(type);
        window_->flow().poll();
    }
    SessionWindow& openCreate() {
        window().runCommand(SessionScreens::kCommandCreate);
        SessionWindow* open = screens().openWindow();
        if (open == nullptr) throw std::runtime_error("no session window opened");
        return *open;
    }
    void showSessions(std::vector<testing::FakeClient::Session> list) {
        fake().sessionList = std::move(list);
        api_ = testing::fakeApi();  // rewinds the list readers
        deliver(SESSIONLIST);
    }

    testing::TestAppDirectory appDir_;
    ClientApi api_;
    std::unique_ptr<LobbyWindow> window_;
};

template <class Widget>
Widget* widgetAt(SessionWindow& window, std::size_t page, std::size_t index, OptionPages& pages) {
    return qobject_cast<Widget*>(window.options().widgetOf(*pages.page(page).controls().at(index)));
}

TEST_F(SessionWindowsTest, CreateModeWidgetsWriteTheOptionLine) {
    SessionWindow& w = openCreate();
    OptionPages& pages = controller().games().pages(0);
    EXPECT_EQ(w.mode(), SessionWindow::Mode::Create);
    EXPECT_EQ(w.windowTitle(), "Every kind");
    ASSERT_NE(w.button(SessionWindow::kCommandNext), nullptr);
    EXPECT_EQ(w.button(SessionWindow::kCommandPrevious), nullptr) << "first page";
    EXPECT_TRUE(w.spectatorsField()->isVisibleTo(&w));

    // Each kind has its own window; captions in the caption colours.
    auto* caption = widgetAt<QLabel>(w, 0, 0, pages);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), "Caption one");
    EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(0, 200, 255));
    auto* list = widgetAt<QListWidget>(w, 0, 1, pages);
    auto* edit = widgetAt<QLineEdit>(w, 0, 2, pages);
    auto* spin = widgetAt<controls::Spinner>(w, 0, 4, pages);
    auto* onOff = widgetAt<controls::PictureSwitch>(w, 0, 5, pages);
    ASSERT_TRUE(list && edit && spin && onOff);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(spin->value(), 5) << "an initial 20 outside 2..8 is the middle";
    EXPECT_TRUE(onOff->isOn());
    EXPECT_EQ(w.request().options, "ERROR") << "the EDIT is still empty";

    typeText(edit, "ab cd");
    list->setCurrentRow(2);
    spin->setValue(7);
    QTest::mouseClick(onOff, Qt::LeftButton);
    EXPECT_EQ(pages.collectPage(0), "Very|large ab|cd Joe|Bloggs 7 0 red ");

    // Page two: only the checked box's nested controls show.
    click(w, SessionWindow::kCommandNext);
    EXPECT_EQ(w.page(), 1u);
    EXPECT_FALSE(edit->isVisibleTo(&w)) << "page one's controls are hidden";
    auto& box = pages.page(1).at<CheckBoxOption>(3);
    QWidget* nestedSpin = w.options().widgetOf(*box.box(1).controls().at(0));
    QWidget* nestedSwitch = w.options().widgetOf(*box.box(2).controls().at(0));
    ASSERT_TRUE(nestedSpin && nestedSwitch);
    EXPECT_TRUE(nestedSpin->isVisibleTo(&w));
    EXPECT_FALSE(nestedSwitch->isVisibleTo(&w));
    auto boxes = w.findChildren<controls::PictureSwitch*>();
    auto second = std::find_if(boxes.begin(), boxes.end(), [](auto* s) { return s->pos() == QPoint(20, 230); });
    ASSERT_NE(second, boxes.end());
    QTest::mouseClick(*second, Qt::LeftButton);
    EXPECT_EQ(box.checked(), 2);
    EXPECT_FALSE(nestedSpin->isVisibleTo(&w));
    EXPECT_TRUE(nestedSwitch->isVisibleTo(&w));
    EXPECT_EQ(w.request().options, "Very|large ab|cd Joe|Bloggs 7 0 red 2 Arena 2 0 2 deep last ");
    EXPECT_EQ(w.button(SessionWindow::kCommandNext), nullptr) << "last page";
    savePreview(w, "session_create_every_kind");

    // Create sends the line; the spectator question is answered "spectator".
    screens().playerOrSpectator = [] { return std::optional<bool>(true); };
    typeText(w.nameField(), "Duel");
    click(w, SessionWindow::kCommandCreate);
    ASSERT_EQ(fake().created.size(), 1u);
    const auto& sent = fake().created.front();
    EXPECT_EQ(sent.name, "Duel");
    EXPECT_EQ(sent.game, "EVERY");
    EXPECT_EQ(sent.players, 4);
    EXPECT_EQ(sent.spectators, 3);
    EXPECT_EQ(sent.options, w.request().options);
    EXPECT_EQ(sent.spectator, 1);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(SessionWindowsTest, InformationModeShowsReadOnlyValuesAndCreateModeRestoresDefaults) {
    window();
    showSessions({{"Duel", "EVERY", "Bob", 4, 1, 3, 0, 0, {"Bob"}, {}}});
    fake().sessionName = "Duel";
    fake().infoOptions = "Large x|y Joe 3 0 blue 0 Duel 2 1 1 last";
    controller().askInformation("Duel");
    deliver(answerTo(GETSESSIONINFO));
    SessionWindow* info = screens().openWindow();
    ASSERT_NE(info, nullptr);
    OptionPages& pages = controller().games().pages(0);
    EXPECT_EQ(info->mode(), SessionWindow::Mode::Information);
    EXPECT_EQ(info->nameField()->text(), "Duel");
    EXPECT_FALSE(info->nameField()->isEnabled());
    EXPECT_FALSE(info->playersField()->isEnabled());
    EXPECT_EQ(info->button(SessionWindow::kCommandCreate), nullptr);
    EXPECT_EQ(info->button(SessionWindow::kCommandPrivate), nullptr);
    EXPECT_TRUE(info->findChild<skin::BitmapButton*>("close")->isVisibleTo(info));
    EXPECT_FALSE(info->findChild<skin::BitmapButton*>("quit")->isVisibleTo(info));
    auto* edit = widgetAt<QLineEdit>(*info, 0, 2, pages);
    auto* list = widgetAt<QListWidget>(*info, 0, 1, pages);
    ASSERT_TRUE(edit && list);
    EXPECT_EQ(edit->text(), "x y");
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(list->currentRow(), 1);
    savePreview(*info, "session_information_every_kind");

    // Closing the information window leaves the create button alone.
    click(*info, SessionWindow::kCommandQuit);
    EXPECT_FALSE(info->isVisible());

    SessionWindow& create = openCreate();
    EXPECT_EQ(&create, info) << "one window per game";
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(edit->text(), "");
    EXPECT_TRUE(create.nameField()->isEnabled());
    EXPECT_EQ(create.nameField()->text(), "");
    click(create, SessionWindow::kCommandQuit);
    EXPECT_TRUE(window().button(SessionScreens::kCommandCreate, View::Arena)->isEnabled());
}

TEST_F(SessionWindowsTest, SessionNameFilter) {
    struct Row {
        QString typed;
        QString shown;
    } rows[] = {
        {"Bob's table-1", "Bob's table-1"},
        {"a_b", "ab"},
        {"x!y?z", "xyz"},
        {QString::fromUtf8("caf\u00e9"), "caf"},
        {"sixteen letters!", "sixteen letters"},
    };
    SessionWindow& w = openCreate();
    for (const auto& row : rows) {
        w.nameField()->clear();
        typeText(w.nameField(), row.typed);
        EXPECT_EQ(w.nameField()->text(), row.shown) << row.typed.toStdString();
    }
    // Pasted text loses every character the filter refuses.
    w.nameField()->setText("a_b_c");
    EXPECT_EQ(w.nameField()->text(), "abc");
}

TEST_F(SessionWindowsTest, CreateWithSeveralGamesAsksWhichAndCancelGivesTheButtonBack) {
    struct Row {
        std::vector<std::string> installed;
        std::optional<std::size_t> choice;
        bool asked;
        const char* opened;  // the window's title, or nothing opened
    } rows[] = {
        {{"CHAT"}, std::nullopt, false, "CHAT"},
        {{"CHAT", "EVERY"}, 1, true, "Every kind"},
        {{"CHAT", "EVERY"}, std::nullopt, true, nullptr},
    };
    for (const auto& row : rows) {
        window_.reset();
        testing::resetFake();
        api_ = testing::fakeApi();
        window(row.installed);
        bool asked = false;
        std::vector<std::string> offered;
        screens().gameChoice = [&](const std::vector<std::string>& names) {
            asked = true;
            offered = names;
            return row.choice;
        };
        window().runCommand(SessionScreens::kCommandCreate);
        EXPECT_EQ(asked, row.asked);
        if (row.asked) {
            EXPECT_EQ(offered, (std::vector<std::string>{"CHAT", "Every kind"}));
        }
        SessionWindow* open = screens().openWindow();
        auto* create = window().button(SessionScreens::kCommandCreate, View::Arena);
        if (row.opened == nullptr) {
            EXPECT_EQ(open, nullptr);
            EXPECT_TRUE(create->isEnabled());
            continue;
        }
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->windowTitle(), row.opened);
        EXPECT_FALSE(create->isEnabled()) << "while the window is open";
        // The chat room has no spectators: no question, a plain player.
        if (row.installed.size() == 1) {
            EXPECT_FALSE(open->spectatorsField()->isVisibleTo(open));
            screens().playerOrSpectator = [] { ADD_FAILURE() << "asked player or spectator"; return std::optional<bool>(); };
            typeText(open->nameField(), "Talk");
            click(*open, SessionWindow::kCommandCreate);
            ASSERT_EQ(fake().created.size(), 1u);
            EXPECT_EQ(fake().created.front().options, "");
        }
    }
}

TEST_F(SessionWindowsTest, QuestionsAnswerFromTheirButtons) {
    struct Row {
        const char* name;
        int command;
        std::optional<bool> spectator;
    } rows[] = {{"player", skin::SkinnedDialog::kCommandOk, false},
                {"spectator", 138, true},
                {"cancel", skin::SkinnedDialog::kCommandCancel, std::nullopt}};
    for (const auto& row : rows) {
        QTimer::singleShot(50, [&] {
            auto* dialog = qobject_cast<skin::SkinnedDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            click(*dialog, row.command);
        });
        EXPECT_EQ(askPlayerOrSpectator(nullptr), row.spectator) << row.name;
    }
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<skin::SkinnedDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* field = dialog->findChild<QLineEdit*>("password");
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), "old");
        field->setText("secret-password-too-long");
        click(*dialog, skin::SkinnedDialog::kCommandOk);
    });
    EXPECT_EQ(askSessionPassword(nullptr, "old"), std::optional<std::string>("secret-pas"));
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<skin::SkinnedDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QListWidget*>("games");
        ASSERT_NE(list, nullptr);
        list->setCurrentRow(1);
        click(*dialog, skin::SkinnedDialog::kCommandOk);
    });
    EXPECT_EQ(askGameChoice(nullptr, {"Chat room", "Slimefray"}), std::optional<std::size_t>(1));
}

// A question asked while an answer is handled opens inside the poll timer's
// own slot: the link must still be polled until it closes.
TEST_F(SessionWindowsTest, TheLinkIsPolledWhileAQuestionIsOpen) {
    window({"CHAT", "EVERY"});
    showSessions({{"Secret", "CHAT", "Bob", 4, 1, 0, 0, 1, {"Bob"}, {}}});
    fake().sessionName = "Secret";
    fake().infoOptions = "";
    controller().join("Secret");
    bool asked = false;
    bool polled = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<skin::SkinnedDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->findChild<QLineEdit*>("password") == nullptr) return;
        watcher.stop();
        asked = true;
        const int polls = fake().polls;
        polled = QTest::qWaitFor([&] { return fake().polls >= polls + 3; }, 2000);
        dialog->findChild<QLineEdit*>("password")->setText("pw");
        click(*dialog, skin::SkinnedDialog::kCommandOk);
    });
    watcher.start(10);
    fake().messages.push_back(24);  // the answer, taken by the poll timer
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fake().sessionJoins.empty(); })) << "no join sent";
    EXPECT_TRUE(asked);
    EXPECT_TRUE(polled) << "the link was not polled while the password window was open";
    EXPECT_EQ(fake().sessionJoins.front().password, "pw");
}

TEST_F(SessionWindowsTest, TilesShowPictureStateAndCounts) {
    window({"CHAT", "EVERY"});
    showSessions({
        {"Plain", "EVERY", "Bob", 4, 1, 3, 0, 0, {"Bob"}, {}},
        {"Open", "EVERY", "Bob", 4, 1, 0, 0, 8 | 16, {"Bob"}, {}},
        {"Full", "EVERY", "Bob", 1, 1, 0, 0, 8 | 16, {"Bob"}, {}},
        {"Started", "EVERY", "Bob", 4, 1, 0, 0, 8, {"Bob"}, {}},
        {"Secret", "EVERY", "Bob", 4, 1, 0, 0, 1, {"Bob"}, {}},
        {"Other", "UNKNOWN", "Bob", 4, 1, 0, 0, 0, {"Bob"}, {}},
        {"Talk", "CHAT", "Bob", 4, 1, 0, 0, 0, {"Bob"}, {}},
    });
    SessionPanel& panel = *screens().panel();
    const QImage shown = panel.grab().toImage();
    struct Row {
        int index;
        QColor corner;  // the badge over the picture's top-left corner
    } rows[] = {
        {0, QColor(0x40, 0x60, 0x80)}, {1, QColor(0, 200, 0)}, {2, QColor(200, 0, 0)}, {3, QColor(200, 0, 0)},
        {4, QColor(0, 0, 200)},        {5, QColor(90, 90, 90)}, {6, QColor(90, 90, 90)},
    };
    for (const auto& row : rows) {
        const auto tile = panel.tiles().tile(row.index, 0);
        const auto place = panel.tiles().picture(tile);
        const QImage& picture = panel.pictureFor(controller().model().sessions[row.index].gameIndex);
        const QPoint corner(place.x + (place.width - picture.width()) / 2 + 4, place.y + (place.height - picture.height()) / 2 + 4);
        EXPECT_EQ(shown.pixelColor(corner), row.corner) << "tile " << row.index;
    }
    EXPECT_EQ(panel.pictureFor(0).size(), QSize(64, 48)) << "a broken session.bmp shows the unknown picture";
    savePreview(panel, "session_tiles");
}

TEST_F(SessionWindowsTest, DoubleClickJoinsAndAsksBeforeLeavingAnotherSession) {
    window();
    showSessions({{"Mine", "EVERY", "Ann", 4, 1, 0, 0, 0, {"Ann"}, {}}, {"Theirs", "EVERY", "Bob", 4, 1, 0, 0, 0, {"Bob"}, {}}});
    ASSERT_EQ(controller().model().joined, "Mine");
    struct Row {
        int answer;
        std::size_t infoRequests;
    } rows[] = {{skin::MessageBox::Cancel, 0}, {skin::MessageBox::Ok, 1}};
    for (const auto& row : rows) {
        fake().infoRequests.clear();
        MessageAnswerer answerer(row.answer);
        SessionPanel& panel = *screens().panel();
        const auto tile = panel.tiles().tile(1, 0);
        QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(tile.x + 5, tile.y + 5));
        EXPECT_EQ(panel.selected(), 1);
        ASSERT_EQ(answerer.texts().size(), 1u);
        EXPECT_EQ(fake().infoRequests.size(), row.infoRequests);
    }
    EXPECT_EQ(fake().infoRequests, (std::vector<std::string>{"Theirs"}));
}

TEST_F(SessionWindowsTest, SessionMenuListsAtMost25MembersWithTheMaster) {
    window();
    testing::FakeClient::Session big{"Big", "EVERY", "p3", 40, 30, 0, 0, 1, {}, {}};
    for (int i = 0; i < 30; ++i) big.playerNames.push_back("p" + std::to_string(i));
    showSessions({big, {"Mine", "EVERY", "Ann", 4, 1, 0, 0, 0, {"Ann"}, {}}});
    struct Row {
        int index;
        const char* first;
        int command;
    } rows[] = {{0, "Big   (EVERY)", SessionScreens::kMenuJoin}, {1, "Mine   (EVERY)", SessionScreens::kMenuLeave}};
    for (const auto& row : rows) {
        auto menu = screens().sessionMenu(row.index);
        ASSERT_NE(menu, nullptr);
        QStringList texts;
        std::vector<int> commands;
        for (auto* action : menu->actions()) {
            if (!action->isSeparator()) texts << action->text();
            if (action->data().isValid()) commands.push_back(action->data().toInt());
        }
        EXPECT_EQ(texts.front(), row.first);
        EXPECT_EQ(commands, (std::vector<int>{row.command, SessionScreens::kMenuInformation}));
        if (row.index == 0) {
            EXPECT_EQ(texts.size(), 4 + 25);
            EXPECT_TRUE(texts.contains("-  p3 (MASTER)"));
            EXPECT_FALSE(texts.contains("-  p25"));
        }
    }
    // The information command asks for the session's information only.
    auto menu = screens().sessionMenu(0);
    menu->actions().at(3)->trigger();
    EXPECT_EQ(fake().infoRequests, (std::vector<std::string>{"Big"}));
    EXPECT_EQ(fake().leaves, 0);
}

TEST(SessionPictures, ReadOnlyWithinBounds) {
    char pattern[] = "/tmp/session-pictures-XXXXXX";
    const fs::path folder = ::mkdtemp(pattern);
    struct Row {
        const char* name;
        std::string bytes;
        bool read;
    } rows[] = {
        {"fine", bmpOf(80, 60, 0xFF102030), true},
        {"too wide", bmpOf(kMaxSessionPictureSide + 1, 2, 0xFF102030), false},
        {"broken", "BM not a picture", false},
        {"large file", bmpOf(300, 300, 0xFF102030), false},
        {"empty", "", false},
    };
    for (const auto& row : rows) {
        writeFile(folder / "session.bmp", row.bytes);
        EXPECT_EQ(!readSessionPicture(folder / "session.bmp").isNull(), row.read) << row.name;
    }
    EXPECT_TRUE(readSessionPicture(folder / "missing.bmp").isNull());
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tessary::lobby
