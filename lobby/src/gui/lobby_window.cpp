#include "lobby/lobby_window.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <thread>

#include "lobby/account_window.h"
#include "lobby/lobby_settings.h"
#include "lobby/login_window.h"
#include "lobby/main_canvas.h"
#include "lobby/skin_extras.h"
#include "lobby/toggle_switch.h"
#include "lobby/user_files.h"
#include "platform/clock.h"
#include "skin/ansi_text.h"
#include "skin/bitmap_button.h"
#include "skin/message_box.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {
namespace {

const QString kServiceSite = "https://www.tessary.example/";
const QString kMakerSite = "https://www.quillon.example/";

// Helper windows that are the main window's business alone.
constexpr int kRouterHelpContext = 130;
constexpr int kArenaHelpContext = 114;

}  // namespace

LobbyWindow::LobbyWindow(const ClientApi& api, const LobbyWindowSetup& setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      flow_(api, *this),
      scroll_(new QScrollArea(this)),
      canvas_(new MainCanvas) {
    setWindowTitle("TSClient");
    setAttribute(Qt::WA_DeleteOnClose, false);
    flow_.setRouter(setup.routerHost, setup.routerPort);

    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(canvas_);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    canvas_->setBackground(skin::skinPath("window\\1connect.jpg"));
    canvas_->setFixedSize(kWidth, kHeight);
    canvas_->installEventFilter(this);
    connect(canvas_, &skin::SkinnedDialog::command, this, &LobbyWindow::runCommand);
    resize(kWidth, kHeight);
    scroll_->setGeometry(rect());

    pageToggle_ = new ToggleSwitch(canvas_, {674, 10}, skin::skinPath("pageoff.bmp"),
                                   skin::skinPath("pageon.bmp"), true);
    soundToggle_ = new ToggleSwitch(canvas_, {692, 10}, skin::skinPath("soundoff.bmp"),
                                    skin::skinPath("soundon.bmp"), setup.soundOn);
    skin::skinEnvironment().soundsOn = [this] { return soundOn(); };
    skin::skinEnvironment().busy = [this] { return flow_.busy().busy(); };
    skin::skinEnvironment().mainWindow = this;
    createControls();

    login_ = new LoginWindow(nullptr);
    login_->setFields(initialLoginFields(LobbySettings().userInfo()));
    connect(login_, &LoginWindow::logInRequested, this, [this] { flow_.logIn(); });
    connect(login_, &LoginWindow::newUserRequested, this, [this] { flow_.newUser(); });
    connect(login_, &LoginWindow::quitRequested, this, &LobbyWindow::endProgram);
    connect(login_, &LoginWindow::helpRequested, this, &LobbyWindow::openHelp);
    connect(login_, &LoginWindow::logoClicked, this, [this] { openWebPage(kMakerSite); });

    account_ = new AccountWindow(this, setup.countries, setup.pictureCount);
    account_->hide();
    connect(account_, &AccountWindow::saveRequested, this, [this] { flow_.saveAccount(); });
    connect(account_, &AccountWindow::cancelRequested, this, [this] { flow_.cancelAccount(); });
    connect(account_, &AccountWindow::ownPhotoRequested, this, &LobbyWindow::chooseOwnPhoto);
    connect(account_, &AccountWindow::stockPhotoRequested, this, &LobbyWindow::chooseStockPhoto);
    connect(account_, &AccountWindow::helpRequested, this, &LobbyWindow::openHelp);
    connect(account_, &AccountWindow::logoClicked, this, [this] { openWebPage(kMakerSite); });

    connect(&pollTimer_, &QTimer::timeout, this, [this] { flow_.poll(); });
}

LobbyWindow::~LobbyWindow() {
    if (busyCursorShown_) QApplication::restoreOverrideCursor();
    delete login_;
    if (skin::skinEnvironment().mainWindow == this) skin::skinEnvironment().mainWindow = nullptr;
    skin::skinEnvironment().soundsOn = nullptr;
    skin::skinEnvironment().busy = nullptr;
}

void LobbyWindow::createControls() {
    for (View view : {View::Router, View::Arena}) {
        addViewButton(view, {733, 10}, kCommandMinimise, "button\\min", 2);
        addViewButton(view, {751, 10}, kCommandMaximise, "button\\max", 2);
        addViewButton(view, {769, 10}, kCommandExit, "button\\exit", 2);
    }
    addViewButton(View::Router, {500, 262}, kCommandJoinArena, "button\\1connect", 3, "connectarena.wav");
    addViewButton(View::Router, {640, 262}, kCommandLogOut, "button\\1returnlogin", 3);
    addViewButton(View::Router, {500, 299}, kCommandSearch, "button\\1search", 3);
    addViewButton(View::Router, {640, 299}, kCommandPage, "button\\1page", 3);
    addViewButton(View::Router, {500, 542}, kCommandMoreInfo, "button\\1moreinfo", 3, "web.wav");
    addViewButton(View::Router, {18, 542}, kCommandModify, "button\\1modify", 3);
    addViewButton(View::Router, {261, 542}, kCommandBuddy, "button\\1buddy", 3);
    addViewButton(View::Arena, {497, 488}, kCommandCreateSession, "button\\2create", 4);
    addViewButton(View::Arena, {497, 521}, kCommandJoinSession, "button\\2join", 3);
    addViewButton(View::Arena, {497, 521}, kCommandLeaveSession, "button\\2leave", 3);
    addViewButton(View::Arena, {497, 554}, kCommandGameInfo, "button\\2gameinfo", 3, "web.wav");
    addViewButton(View::Arena, {644, 488}, kCommandBegin, "button\\2start", 4);
    addViewButton(View::Arena, {644, 521}, kCommandBackToRouter, "button\\2arena", 3);
    addViewButton(View::Arena, {644, 554}, kCommandPage, "button\\2page", 3);
    addOptionalButton(*canvas_, {498, 12}, kCommandLogo, "button\\quillon", "web.wav");
    addOptionalButton(*canvas_, {710, 12}, kCommandHelpButton, "button\\help");
}

void LobbyWindow::addViewButton(View view, QPoint topLeft, int command, const char* prefix,
                                int pictures, std::string_view sound) {
    auto* button = canvas_->addButton(topLeft, command, skin::skinPath(prefix), pictures, sound);
    if (button == nullptr) return;
    viewButtons_.emplace_back(view, button);
    if (command == kCommandMaximise) {
        (void)button->loadPicture(skin::BitmapButton::Face::Dis, skin::skinPath("button\\maxdis.bmp"));
        maxButtons_.push_back(button);
    }
}

skin::BitmapButton* LobbyWindow::button(int command, View view) const {
    for (const auto& [buttonView, button] : viewButtons_) {
        if (buttonView == view && button->commandId() == command) return button;
    }
    return nullptr;
}

void LobbyWindow::create() {
    using namespace std::chrono_literals;
    const LobbyFlow::WallClock clock{[] { return static_cast<int64_t>(::time(nullptr)); },
                                     [] { std::this_thread::sleep_for(100ms); }};
    if (!flow_.initialiseSharedMemory(static_cast<int32_t>(::getpid()), clock)) return;
    // Photos of an earlier run belong to whoever was logged in then.
    std::error_code ignored;
    std::filesystem::remove(cacheFilePath("photo.jpg"), ignored);
    std::filesystem::remove(cacheFilePath("infophoto.jpg"), ignored);
    pollTimer_.start(kPollPeriodMs);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        connect(screen, &QScreen::availableGeometryChanged, this, &LobbyWindow::applyDisplayRule);
    }
    applyDisplayRule();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    if (flow_.resumeFinishedGame()) return;
    showLoginWindow();
    selectView(View::Router);
}

// ---------------------------------------------------------------- commands

void LobbyWindow::runCommand(int command) {
    switch (command) {
        case kCommandExit: exitProgram(); break;
        case kCommandMinimise: showMinimized(); break;
        case kCommandMaximise: toggleMaximised(); break;
        case kCommandLogOut: flow_.logOut(); break;
        case kCommandModify: flow_.modifyAccount(); break;
        case kCommandBackToRouter: flow_.backToRouter(); break;
        case kCommandJoinArena:
            // Without an arena list nothing can be selected yet.
            showMessage(14, 15, MessageStyle::Ok);
            break;
        case kCommandMoreInfo: openWebPage(kServiceSite); break;
        case kCommandGameInfo: openWebPage(kServiceSite + "game_info.html"); break;
        case kCommandLogo: openWebPage(kMakerSite); break;
        case kCommandHelpButton: openHelp(helpContext_); break;
        default: commandForLaterWindow(command); break;
    }
}

void LobbyWindow::commandForLaterWindow(int) {}

void LobbyWindow::toggleMaximised() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QSize size = screen->availableGeometry().size();
    if (size.width() > kWidth && size.height() > kHeight) return;
    isMaximized() ? showNormal() : showMaximized();
}

void LobbyWindow::applyDisplayRule() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->availableGeometry().size() : QSize(kWidth, kHeight);
    const bool small = screenSize.width() < kWidth || screenSize.height() < kHeight;
    for (auto* button : maxButtons_) button->setEnabled(small);
    if (small) {
        resize(std::min(screenSize.width(), kWidth), std::min(screenSize.height(), kHeight));
    } else {
        resize(kWidth, kHeight);
    }
    scroll_->setGeometry(rect());
}

void LobbyWindow::openWebPage(const QString& address) {
    if (!QDesktopServices::openUrl(QUrl(address))) showMessage(50, 1, MessageStyle::Ok);
}

void LobbyWindow::openHelp(int context) {
    const auto page = skin::applicationPath("help\\" + std::to_string(context) + ".html");
    if (!std::filesystem::exists(page) ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())))) {
        showMessage(50, 1, MessageStyle::Ok);
    }
}

void LobbyWindow::chooseStockPhoto() {
    if (account_->form().photoNumber == 0 &&
        showMessage(6, 7, MessageStyle::OkCancel) == MessageResult::Cancel) {
        return;
    }
    skin::MessageBox::show(messageParent(), "The choice of a stock photo comes in a later version.",
                           "TSClient");
}

void LobbyWindow::chooseOwnPhoto() {
    if (showMessage(8, 9, MessageStyle::OkCancel) == MessageResult::Cancel) return;
    const QString title = skin::fromAnsi(text(11));
    QString filter = skin::fromAnsi(text(67));
    if (!filter.contains('(')) filter = "Pictures (*.bmp *.gif *.jpg *.BMP *.GIF *.JPG)";
    const QString path = QFileDialog::getOpenFileName(account_, title, QString(), filter, nullptr,
                                                      QFileDialog::ReadOnly);
    if (path.isEmpty()) return;
    flow_.chooseOwnPhoto(path.toStdString());
}

// ---------------------------------------------------------------- ending

void LobbyWindow::endProgram() {
    QMetaObject::invokeMethod(this, [this] { exitProgram(); }, Qt::QueuedConnection);
}

void LobbyWindow::exitProgram() {
    if (ended_) return;
    ended_ = true;
    pollTimer_.stop();
    flow_.disconnect();
    const bool sounds = soundOn();
    const LobbySettings settings;
    try {
        (void)settings.writeSound(sounds);
    } catch (const std::exception&) {
        // The settings file went away while the lobby ran: nothing to keep.
    }
    if (sounds && !flow_.quietExit()) {
        skin::playLobbySound("exittsc.wav", skin::SoundWait::Sync, skin::WhenBusy::Skip);
    }
    login_->hide();
    account_->hide();
    hide();
    emit programEnded();
}

void LobbyWindow::requestClose() {
    if (!flow_.gameRunning()) exitProgram();
}

void LobbyWindow::closeEvent(QCloseEvent* event) {
    if (flow_.gameRunning()) {
        event->ignore();
        return;
    }
    exitProgram();
    event->accept();
}

void LobbyWindow::resizeEvent(QResizeEvent*) { scroll_->setGeometry(rect()); }

bool LobbyWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != canvas_ || isMaximized()) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            dragOffset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
        }
    } else if (event->type() == QEvent::MouseMove && dragOffset_) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        move(mouse->globalPosition().toPoint() - *dragOffset_);
    } else if (event->type() == QEvent::MouseButtonRelease) {
        dragOffset_.reset();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- LobbyView

QWidget* LobbyWindow::messageParent() {
    if (account_->isVisible()) return account_;
    if (login_->isVisible()) return login_;
    return isVisible() ? this : nullptr;
}

MessageResult LobbyWindow::showMessage(int textNumber, int titleNumber, MessageStyle style) {
    const int result = skin::MessageBox::show(messageParent(), textNumber, titleNumber,
                                              static_cast<int>(style));
    return result == skin::MessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

void LobbyWindow::showServerText(const std::string& text) {
    skin::MessageBox::show(messageParent(), text, "TSClient");
}

std::string LobbyWindow::text(int number) { return skin::stringText(number); }

void LobbyWindow::setMainTitle(const std::string& title) { setWindowTitle(skin::fromAnsi(title)); }

void LobbyWindow::showMainWindow() {
    show();
    raise();
    activateWindow();
}

void LobbyWindow::hideMainWindow() { hide(); }

void LobbyWindow::restoreMainWindow() {
    showNormal();
    raise();
    activateWindow();
}

void LobbyWindow::selectView(View view) {
    view_ = view;
    activateWindow();
    canvas_->setBackground(skin::skinPath(view == View::Router ? "window\\1connect.jpg"
                                                               : "window\\2chat.jpg"));
    helpContext_ = view == View::Router ? kRouterHelpContext : kArenaHelpContext;
    for (const auto& [buttonView, button] : viewButtons_) {
        // The leave button waits for the player to be in a session.
        const bool leave = button->commandId() == kCommandLeaveSession;
        button->setVisible(buttonView == view && !leave);
    }
    canvas_->update();
}

void LobbyWindow::setBusyCursor(bool busy) {
    if (busy == busyCursorShown_) return;
    busyCursorShown_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void LobbyWindow::addChatSystemLine(int, const std::string&) {}
void LobbyWindow::prepareArena() {}
void LobbyWindow::stopArenaPingTimer() {}

bool LobbyWindow::runUpdate(const std::string&, const std::string&, int32_t) {
    return false;  // the download dialog does not exist yet
}

void LobbyWindow::showLoginWindow() {
    login_->centreOnScreen();
    login_->show();
    login_->raise();
    login_->activateWindow();
}

void LobbyWindow::hideLoginWindow() { login_->hide(); }
LoginPair LobbyWindow::loginFields() { return login_->fields(); }
void LobbyWindow::setLoginFields(const LoginPair& fields) { login_->setFields(fields); }

void LobbyWindow::focusLoginField(LoginField field) {
    (field == LoginField::Name ? static_cast<QWidget*>(login_->nameField())
                               : static_cast<QWidget*>(login_->passwordField()))
        ->setFocus();
}

void LobbyWindow::showAccountWindow(AccountMode mode) {
    account_->setMode(mode);
    account_->centreOnScreen();
    account_->show();
    account_->raise();
    account_->activateWindow();
}

void LobbyWindow::hideAccountWindow() { account_->hide(); }
AccountForm LobbyWindow::accountForm() { return account_->form(); }
void LobbyWindow::setAccountForm(const AccountForm& form) { account_->setForm(form); }

void LobbyWindow::storeUserInfo(const LoginPair& pair) {
    try {
        (void)LobbySettings().writeUserInfo(pair);
    } catch (const std::exception&) {
        // Not remembering the login is no reason to stop the lobby.
    }
}

bool LobbyWindow::soundOn() const { return soundToggle_->isOn(); }
bool LobbyWindow::pageOn() const { return pageToggle_->isOn(); }

}  // namespace tessary::lobby
