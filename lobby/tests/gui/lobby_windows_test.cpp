#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "../support/fake_client.h"
#include "../support/gui_driving.h"
#include "../support/test_app_directory.h"
#include "controls/chat_box.h"
#include "controls/choice_dialogs.h"
#include "controls/chat_panel.h"
#include "controls/skinned_list_box.h"
#include "lobby/account_window.h"
#include "lobby/credits_box.h"
#include "lobby/lobby_app.h"
#include "lobby/lobby_settings.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "lobby/session_panel.h"
#include "skin/bitmap_button.h"
#include "skin/font_table.h"
#include "skin/skin_environment.h"
#include "skin/message_box.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;
using testing::answerTo;
using testing::click;
using testing::fake;
using testing::MessageAnswerer;
using testing::typeText;
using testing::TestAppDirectory;

class LobbyWindowsTest : public ::testing::Test {
protected:
    LobbyWindowsTest() {
        ::setenv("TESSARY_REGISTRY", (appDir_.path() + "registry.ini").c_str(), 1);
        appDir_.activate();
        testing::resetFake();
        api_ = testing::fakeApi();
    }

    LobbyWindow& window() {
        if (!window_) {
            LobbyWindowSetup setup{"127.0.0.1", 7000, 3, false, {"France", "Chile", "United Kingdom"}};
            window_ = std::make_unique<LobbyWindow>(api_, setup);
            window_->create();
        }
        return *window_;
    }

    // The lobby's poll has taken every queued message; each is handled
    // within the poll that takes it.
    static ::testing::AssertionResult messagesHandled() {
        if (QTest::qWaitFor([] { return fake().messages.empty(); })) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << fake().messages.size() << " messages never polled";
    }

    void loggedIn() {
        window().loginWindow()->setFields({"Ann", "pw"});
        click(*window().loginWindow(), skin::SkinnedDialog::kCommandOk);
        fake().messages.push_back(answerTo(LOGIN));
        ASSERT_TRUE(messagesHandled());
    }

    void inTheArena() {
        ASSERT_NO_FATAL_FAILURE(loggedIn());
        window().flow().joinArena("North");
        for (int32_t type : {answerTo(CONNECTIONREQUEST), answerTo(LOGINARENA)}) fake().messages.push_back(type);
        ASSERT_TRUE(messagesHandled());
    }

    TestAppDirectory appDir_;
    ClientApi api_;
    std::unique_ptr<LobbyWindow> window_;
};

TEST_F(LobbyWindowsTest, NameFieldsApplyTheirRuleToTypingAndPasting) {
    struct Row {
        const char* name;
        bool paste;
        QString input;
        QString login;
        QString account;
    };
    const Row rows[] = {
        {"letter semicolon letter typed", false, "a;b", "ab", "ab"},
        {"pasted with a semicolon", true, "ab;cd", "ab", "abcd"},
        {"pasted with two refused", true, "a|b+c", "a", "abc"},
        {"accented letter", false, QString::fromUtf8("Ren\xc3\xa9"), QString::fromUtf8("Ren\xc3\xa9"),
         QString::fromUtf8("Ren\xc3\xa9")},
        {"delete character", true, QString("x") + QChar(127) + "y", "x", "xy"},
        {"comma", false, "a,b", "ab", "ab"},
        {"plus", true, "a+b", "a", "ab"},
        {"bar", true, "a|b", "a", "ab"},
        {"sixteen characters", false, "abcdefghijklmnop", "abcdefghijklmno", "abcdefghijklmno"},
    };
    auto* login = window().loginWindow()->nameField();
    auto* account = window().accountWindow()->nameField();
    for (const auto& row : rows) {
        for (QLineEdit* field : {static_cast<QLineEdit*>(login), static_cast<QLineEdit*>(account)}) {
            field->clear();
            if (row.paste) {
                QApplication::clipboard()->setText(row.input);
                field->paste();
            } else {
                typeText(field, row.input);
            }
        }
        EXPECT_EQ(login->text(), row.login) << row.name;
        EXPECT_EQ(account->text(), row.account) << row.name;
    }
}

TEST_F(LobbyWindowsTest, FieldLimits) {
    auto* password = window().loginWindow()->passwordField();
    typeText(password, "12345678901");
    EXPECT_EQ(password->text(), "1234567890");
    struct Row {
        int id;
        int limit;
    };
    for (const Row row : {Row{1001, 10}, Row{1002, 10}, Row{1003, 32}, Row{1004, 32}, Row{1005, 128}}) {
        auto* field = window().accountWindow()->field(row.id);
        field->setText(QString(row.limit + 1, 'x'));
        EXPECT_EQ(field->text().size(), row.limit) << row.id;
    }
    auto* description = window().accountWindow()->descriptionField();
    description->setPlainText(QString(1100, 'd'));
    EXPECT_EQ(description->toPlainText().size(), 1024);
}

TEST_F(LobbyWindowsTest, PlaceholderUserStartsWithEmptyFieldsAndALoginIsRemembered) {
    EXPECT_EQ(window().loginWindow()->fields(), LoginPair{});
    EXPECT_TRUE(window().loginWindow()->isVisible());

    ASSERT_NO_FATAL_FAILURE(loggedIn());
    EXPECT_EQ(LobbySettings().userInfo(), (LoginPair{"Ann", "pw"}));
    EXPECT_EQ(window().windowTitle(), "TSClient - Ann");
    EXPECT_FALSE(window().loginWindow()->isVisible());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().currentView(), View::Router);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].client, "TSClient 1.0");
}

TEST_F(LobbyWindowsTest, StoredUserFillsTheLoginFields) {
    TestAppDirectory other(7000, {"Bob", "secret"});
    other.activate();
    EXPECT_EQ(window().loginWindow()->fields(), (LoginPair{"Bob", "secret"}));
}

TEST_F(LobbyWindowsTest, AccountWindowInBothModes) {
    click(*window().loginWindow(), LoginWindow::kCommandNewUser);
    fake().messages.push_back(answerTo(LOGIN));
    ASSERT_TRUE(messagesHandled());
    auto* account = window().accountWindow();
    EXPECT_TRUE(account->isVisible());
    EXPECT_EQ(account->mode(), AccountMode::Create);
    EXPECT_TRUE(account->nameField()->isEnabled());
    EXPECT_EQ(account->form(), AccountForm{});
    typeText(account->nameField(), "Newcomer");
    account->countryField()->setCurrentIndex(0);

    account->hide();
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    fake().messages.push_back(PLAYERINFO);
    ASSERT_TRUE(messagesHandled());
    window().runCommand(LobbyWindow::kCommandModify);
    EXPECT_EQ(account->mode(), AccountMode::Modify);
    EXPECT_FALSE(account->nameField()->isEnabled());
    EXPECT_EQ(account->form().name, "Ann");
    EXPECT_EQ(account->form().country, "France");
    EXPECT_EQ(account->form().password, "pw");
}

TEST_F(LobbyWindowsTest, RefusedLoginShowsTheServerText) {
    fake().login = {kAnswerFailure, "Wrong password"};
    MessageAnswerer answerer;
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answerer.texts().empty(); })) << "no message box";
    EXPECT_EQ(answerer.texts(), (std::vector<QString>{"Wrong password"}));
    EXPECT_EQ(window().windowTitle(), "TSClient");
    EXPECT_EQ(window().flow().state(), LobbyState::Offline);
}

TEST_F(LobbyWindowsTest, AdiosEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    QSignalSpy ended(&window(), &LobbyWindow::programEnded);
    fake().urgent = "ADIOS";
    fake().messages.push_back(URGENTMESSAGE);
    ASSERT_TRUE(ended.wait(1000));
    EXPECT_TRUE(window().hasEnded());
    EXPECT_FALSE(window().isVisible());
}

TEST_F(LobbyWindowsTest, ExitButtonEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    QSignalSpy ended(&window(), &LobbyWindow::programEnded);
    auto* exit = window().button(LobbyWindow::kCommandExit, View::Router);
    ASSERT_NE(exit, nullptr);
    QTest::mouseClick(exit, Qt::LeftButton);
    EXPECT_EQ(ended.size(), 1);
    EXPECT_TRUE(window().hasEnded());
    EXPECT_EQ(fake().disconnects, 1);
}

TEST_F(LobbyWindowsTest, EscapeIsTheCancelCommandOfEachWindow) {
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    QSignalSpy ended(&window(), &LobbyWindow::programEnded);
    // The main window is no dialog: Escape leaves it as it is.
    auto* exit = window().button(LobbyWindow::kCommandExit, View::Router);
    QTest::keyClick(exit->parentWidget(), Qt::Key_Escape);
    // Whatever the key posted has run once the poll timer came round twice.
    const int polls = fake().polls;
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake().polls >= polls + 2; }));
    EXPECT_TRUE(exit->parentWidget()->isVisible());
    EXPECT_TRUE(ended.isEmpty());

    window().runCommand(LobbyWindow::kCommandModify);
    auto* account = window().accountWindow();
    ASSERT_TRUE(account->isVisible());
    QTest::keyClick(account, Qt::Key_Escape);
    EXPECT_FALSE(account->isVisible());
    EXPECT_TRUE(window().isVisible());
    ASSERT_FALSE(fake().logins.empty());
    EXPECT_EQ(fake().logins.back().reason, 2);

    window().runCommand(LobbyWindow::kCommandLogOut);
    ASSERT_TRUE(window().loginWindow()->isVisible());
    QTest::keyClick(window().loginWindow(), Qt::Key_Escape);
    EXPECT_TRUE(ended.wait(1000));
}

TEST(MaximiseRule, OnlyAScreenWiderAndHigherThanTheWindowDisablesIt) {
    const struct {
        int width, height;
        bool allowed;
    } cases[] = {
        {799, 599, true},   {800, 600, true},   {801, 600, true},  {800, 601, true},
        {801, 601, false},  {799, 601, true},   {801, 599, true},  {1920, 600, true},
        {1920, 1080, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LobbyWindow::maximiseAllowed(QSize(c.width, c.height)), c.allowed) << c.width << "x" << c.height;
    }
}

TEST_F(LobbyWindowsTest, MaximiseButtonFollowsTheScreen) {
    const bool allowed = LobbyWindow::maximiseAllowed(QGuiApplication::primaryScreen()->availableGeometry().size());
    for (View view : {View::Router, View::Arena}) {
        auto* button = window().button(LobbyWindow::kCommandMaximise, view);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isEnabled(), allowed);
        EXPECT_TRUE(button->hasPicture(skin::BitmapButton::Face::Dis));
        if (!allowed) {
            EXPECT_EQ(button->currentFace(), skin::BitmapButton::Face::Dis);
        }
    }
}

TEST_F(LobbyWindowsTest, StartUpWithALibraryLackingAnExportEndsAfterMessage40) {
    MessageAnswerer answerer;
    LobbyApp app({appDir_.path(), std::getenv("TESSARY_TEST_CLIENT_MISSING")});
    EXPECT_FALSE(app.start());
    EXPECT_EQ(app.mainWindow(), nullptr);
    EXPECT_EQ(answerer.texts(),
              (std::vector<QString>{"The service library is missing or incomplete."}));
}

}  // namespace
}  // namespace tessary::lobby

namespace tessary::lobby {
namespace {

TEST_F(LobbyWindowsTest, RouterNewsAndTheArenaViewsChatAndPlayers) {
    loggedIn();
    auto& news = *window().routerView().news();
    EXPECT_EQ(news.toPlainText(), "Welcome to the\nTessary.\n");
    fake().news = {"Cup tonight", "Bell\x07 rings"};
    fake().messages.push_back(NEWS);
    ASSERT_TRUE(messagesHandled());
    EXPECT_EQ(news.toPlainText(), "Cup tonight\nBell  rings\n");

    window().flow().joinArena("North");
    fake().players = {{"Ann", 5}, {"Bob", 3}};
    for (int32_t type : {answerTo(CONNECTIONREQUEST), answerTo(LOGINARENA), int32_t(PLAYERLIST)}) fake().messages.push_back(type);
    ASSERT_TRUE(messagesHandled());
    ASSERT_EQ(window().currentView(), View::Arena);
    auto& arena = window().arenaView();
    EXPECT_EQ(arena.sessionPanelSlot()->objectName(), "session panel slot");
    EXPECT_NE(arena.sessionPanelSlot()->findChild<SessionPanel*>(), nullptr) << "the session list fills the slot";
    EXPECT_EQ(window().lobby().players().model().rows.count(), 2);

    auto* input = arena.chatPanel()->input();
    input->setText("hello all");
    QTest::keyClick(input, Qt::Key_Return);
    ASSERT_EQ(fake().chatsSent.size(), 1U);
    EXPECT_EQ(fake().chatsSent[0].text, "hello all");
    EXPECT_TRUE(input->text().isEmpty());

    fake().chatIn = {"Bob", "hi Ann", 255, 0};
    fake().messages.push_back(CHATLIST);
    ASSERT_TRUE(messagesHandled());
    const auto& tabs = window().lobby().chat().tabs();
    ASSERT_EQ(tabs.count(), 2);
    EXPECT_TRUE(tabs.tab(1).unread);
    emit arena.chatPanel()->tabSelected(1);
    EXPECT_EQ(&arena.chatPanel()->pane()->pane(), &tabs.tab(1).pane) << "the pane shows the chosen tab";
    EXPECT_FALSE(tabs.tab(1).unread);
}

// A right click on the tab row with Control and the left button held shows
// the credits box (before the session tab's menu), only while the session tab
// is named "Credits"; on the session tab, on another tab or beside the tabs.
TEST_F(LobbyWindowsTest, CreditsSessionTabHidesTheCreditsBox) {
    ASSERT_NO_FATAL_FAILURE(inTheArena());
    auto* chat = window().arenaView().chatPanel();
    for (const auto& [session, tab, secret, credits, menus] :
         {std::tuple{"credits", 1, true, 1, 1}, std::tuple{"credits", 1, false, 0, 1}, std::tuple{"Duel", 1, true, 0, 1},
          std::tuple{"credits", 0, true, 1, 0}, std::tuple{"credits", -1, true, 1, 0},
          std::tuple{"Duel", -1, true, 0, 0}}) {
        window().lobby().chat().setSessionTab(session);
        // Closes whatever the click opens: the credits box, then the menu.
        int creditsSeen = 0, menusSeen = 0;
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<CreditsBox*>(QApplication::activeModalWidget())) {
                ++creditsSeen;
                box->reject();
            } else if (QWidget* menu = QApplication::activePopupWidget()) {
                ++menusSeen;
                menu->close();
            }
        });
        closer.start();
        emit chat->tabMenuRequested(tab, chat->mapToGlobal(QPoint(40, 15)), secret);
        closer.stop();
        EXPECT_EQ(creditsSeen, credits) << session << " " << tab << " " << secret;
        EXPECT_EQ(menusSeen, menus) << session << " " << tab << " " << secret;
        window().lobby().chat().setSessionTab({});
    }
    EXPECT_EQ(fake().leaves, 0) << "closing the menu leaves nothing";
}

// The chat input's menu: a colour from the sliders and a font from its row
// are shown in the input at once and written to CONFIG.INI for the next start.
TEST_F(LobbyWindowsTest, ChatColourAndFontChosenFromTheInputMenuAreShownAndKept) {
    ASSERT_NO_FATAL_FAILURE(inTheArena());
    auto* chat = window().arenaView().chatPanel();
    // Three fonts: the font dialog offers fonts 1 and 2 (0 is the default).
    skin::FontTable fonts;
    fonts.build({{13, "none", "DejaVu Sans"}, {15, "none", "DejaVu Serif"}, {11, "none", "DejaVu Sans Mono"}}, "");
    auto& environment = skin::skinEnvironment();
    skin::FontTable* before = std::exchange(environment.fonts, &fonts);
    struct Restore {
        skin::SkinEnvironment& environment;
        skin::FontTable* fonts;
        ~Restore() { environment.fonts = fonts; }
    } restore{environment, before};
    // Picks the menu's `item`th entry, then hands the dialog it opens to
    // `answer`; after 5 s it closes whatever is open, so a fault fails the test
    // instead of hanging it.
    auto choose = [&](int item, const std::function<void(QDialog&)>& answer) {
        QTimer driver;
        driver.setInterval(20);
        int ticks = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (++ticks > 250) {
                ADD_FAILURE() << "the menu or its dialog did not close";
                if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
            } else if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                menu->setActiveAction(menu->actions().at(item));
                QTest::keyClick(menu, Qt::Key_Return);
            } else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                answer(*dialog);
            }
        });
        driver.start();
        emit chat->inputMenuRequested(chat->mapToGlobal(QPoint(20, 20)));
    };
    choose(0, [](QDialog& dialog) {
        auto& colours = dynamic_cast<controls::ColourDialog&>(dialog);
        colours.slider(0)->setValue(200);
        colours.slider(1)->setValue(100);
        colours.slider(2)->setValue(50);
        colours.accept();
    });
    EXPECT_EQ(chat->input()->palette().color(QPalette::Text), QColor(200, 100, 50));
    choose(1, [](QDialog& dialog) {
        auto& fonts = dynamic_cast<controls::FontDialog&>(dialog);
        QTest::mouseClick(&fonts, Qt::LeftButton, {}, fonts.rowRect(1).center());
    });
    const ChatLook kept = LobbySettings().chatLook();
    EXPECT_EQ(kept.colour, controls::chatColour(200, 100, 50));
    EXPECT_EQ(kept.font, 2);
    EXPECT_EQ(window().lobby().chat().look().font, 2);
    EXPECT_EQ(chat->input()->palette().color(QPalette::Text), QColor(200, 100, 50)) << "the colour stays";
}

}  // namespace
}  // namespace tessary::lobby
