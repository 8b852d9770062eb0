#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "../support/fake_client.h"
#include "../support/test_app_directory.h"
#include "lobby/account_window.h"
#include "lobby/lobby_app.h"
#include "lobby/lobby_settings.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "skin/bitmap_button.h"
#include "skin/message_box.h"

namespace tessary::lobby {
namespace {

using testing::fake;
using testing::TestAppDirectory;

// Answers the next message box that opens within two seconds; records its text.
class MessageAnswerer {
public:
    explicit MessageAnswerer(int result = skin::MessageBox::Ok) : result_(result) { arm(); }
    const std::vector<QString>& texts() const { return texts_; }

private:
    void arm() {
        QTimer::singleShot(20, [this] {
            if (auto* box = qobject_cast<skin::MessageBox*>(QApplication::activeModalWidget())) {
                texts_.push_back(box->text());
                box->done(result_);
            } else if (++tries_ < 100) {
                arm();
            }
        });
    }
    int result_;
    int tries_{0};
    std::vector<QString> texts_;
};

// Types `text` key by key, accented letters included.
void typeText(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

void savePreview(QWidget& widget, const char* name) {
    const char* dir = std::getenv("TESSARY_PREVIEW_DIR");
    if (dir == nullptr) return;
    std::filesystem::create_directories(dir);
    widget.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

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

    // Lets the 50 ms poll run a few times.
    static void ticks() { QTest::qWait(3 * LobbyWindow::kPollPeriodMs); }

    void click(skin::SkinnedDialog& dialog, int command) {
        for (auto* button : dialog.findChildren<skin::BitmapButton*>()) {
            if (button->commandId() == command && button->isVisibleTo(&dialog)) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        FAIL() << "no visible button " << command;
    }

    void loggedIn() {
        window().loginWindow()->setFields({"Ann", "pw"});
        click(*window().loginWindow(), skin::SkinnedDialog::kCommandOk);
        fake().messages.push_back(206);
        ticks();
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
    savePreview(*window().loginWindow(), "login");

    loggedIn();
    EXPECT_EQ(LobbySettings().userInfo(), (LoginPair{"Ann", "pw"}));
    EXPECT_EQ(window().windowTitle(), "TSClient - Ann");
    EXPECT_FALSE(window().loginWindow()->isVisible());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().currentView(), View::Router);
    ASSERT_EQ(fake().logins.size(), 1u);
    EXPECT_EQ(fake().logins[0].client, "TSClient 1.0");
    savePreview(window(), "router_view");
}

TEST_F(LobbyWindowsTest, StoredUserFillsTheLoginFields) {
    TestAppDirectory other(7000, {"Bob", "secret"});
    other.activate();
    EXPECT_EQ(window().loginWindow()->fields(), (LoginPair{"Bob", "secret"}));
}

TEST_F(LobbyWindowsTest, AccountWindowInBothModes) {
    click(*window().loginWindow(), LoginWindow::kCommandNewUser);
    fake().messages.push_back(206);
    ticks();
    auto* account = window().accountWindow();
    EXPECT_TRUE(account->isVisible());
    EXPECT_EQ(account->mode(), AccountMode::Create);
    EXPECT_TRUE(account->nameField()->isEnabled());
    EXPECT_EQ(account->form(), AccountForm{});
    typeText(account->nameField(), "Newcomer");
    account->countryField()->setCurrentIndex(0);
    savePreview(*account, "account_create");

    account->hide();
    loggedIn();
    fake().messages.push_back(26);
    ticks();
    window().runCommand(LobbyWindow::kCommandModify);
    EXPECT_EQ(account->mode(), AccountMode::Modify);
    EXPECT_FALSE(account->nameField()->isEnabled());
    EXPECT_EQ(account->form().name, "Ann");
    EXPECT_EQ(account->form().country, "France");
    EXPECT_EQ(account->form().password, "pw");
    savePreview(*account, "account_modify");
}

TEST_F(LobbyWindowsTest, RefusedLoginShowsTheServerText) {
    fake().login = {kAnswerFailure, "Wrong password"};
    MessageAnswerer answerer;
    loggedIn();
    QTest::qWait(100);
    EXPECT_EQ(answerer.texts(), (std::vector<QString>{"Wrong password"}));
    EXPECT_EQ(window().windowTitle(), "TSClient");
    EXPECT_EQ(window().flow().state(), LobbyState::Offline);
}

TEST_F(LobbyWindowsTest, AdiosEndsTheProgram) {
    loggedIn();
    QSignalSpy ended(&window(), &LobbyWindow::programEnded);
    fake().urgent = "ADIOS";
    fake().messages.push_back(61);
    ASSERT_TRUE(ended.wait(1000));
    EXPECT_TRUE(window().hasEnded());
    EXPECT_FALSE(window().isVisible());
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
