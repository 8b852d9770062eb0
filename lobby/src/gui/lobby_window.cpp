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

#include "desktop/ansi_text.h"
#include "lobby/account_window.h"
#include "lobby/credits_box.h"
#include "lobby/lobby_settings.h"
#include "lobby/login_window.h"
#include "lobby/main_canvas.h"
#include "lobby/skin_extras.h"
#include "lobby/toggle_switch.h"
#include "lobby/publicity_panel.h"
#include "lobby/update_window.h"
#include "lobby/user_files.h"
#include "lobby/view_panel.h"
#include "platform/clock.h"
#include "skin/bitmap_button.h"
#include "skin/message_box.h"
#include "skin/skin_environment.h"
#include "skin/text_format.h"

namespace tessary::lobby {
namespace {

// Helper windows that are the main window's business alone.
constexpr int kRouterHelpContext = 130;
constexpr int kArenaHelpContext = 114;

}  // namespace

LobbyWindow::LobbyWindow(const ClientApi& api, const LobbyWindowSetup& setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      account_(this, *this, setup.countries, setup.pictureCount),
      pages_(this, *this),
      arenaView_(this),
      polling_([this] { lobby_.flow().poll(); }, kPollPeriodMs),
      sessions_(this, *this, polling_),
      lobby_(api, {*this, account_, routerView_, arenaView_, arenaView_, sessions_, pages_, routerView_, pages_}),
      scroll_(new QScrollArea(this)),
      canvas_(new MainCanvas) {
    setWindowTitle("TSClient");
    setAttribute(Qt::WA_DeleteOnClose, false);
    lobby_.flow().setRouter(setup.routerHost, setup.routerPort);

    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(canvas_);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    canvas_->setFixedSize(kWidth, kHeight);
    canvas_->installEventFilter(this);
    connect(canvas_, &skin::SkinnedDialog::command, this, &LobbyWindow::runCommand);
    resize(kWidth, kHeight);
    scroll_->setGeometry(rect());

    skin::skinEnvironment().soundsOn = [this] { return soundOn(); };
    skin::skinEnvironment().busy = [this] { return lobby_.busy().busy(); };
    skin::skinEnvironment().mainWindow = this;
    routerPanel_ = new ViewPanel(canvas_, "router view");
    arenaPanel_ = new ViewPanel(canvas_, "arena view");
    pages_.connectTo(lobby_.pages());
    pages_.setGames(&lobby_.sessions().games());
    pages_.placeOwnPanel(routerPanel_, routerPanel_->area("player information"));
    for (auto* view : {routerPanel_, arenaPanel_}) {
        connect(view, &ViewPanel::command, this, &LobbyWindow::runCommand);
    }
    createFrame(setup.soundOn);
    publicity_ = new Publicity(cacheFilePath("Pub"), skin::applicationPath("data\\Default\\logoquillon.jpg"), this);
    connect(publicity_, &Publicity::openLink, this, &LobbyWindow::openWebPage);
    routerView_.build(routerPanel_, lobby_, publicity_);
    arenaView_.build(arenaPanel_, lobby_, {[this](const QString& link) { openWebPage(link); },
                                           [this] { openCredits(); }});
    // The session list fills the arena view's slot for it.
    sessions_.connectTo(lobby_.sessions());
    QWidget* slot = arenaView_.sessionPanelSlot();
    sessions_.placePanel(slot, QRect(QPoint(0, 0), slot->size()));
    sessions_.setButtons([this](int command) { return arenaPanel_->button(command); });
    for (auto* view : {routerPanel_, arenaPanel_}) {
        auto* panel = new PublicityPanel(*publicity_, view);
        panel->setGeometry(view->area("advertisement"));
    }
    canvas_->setBackground(skin::skinPath(routerPanel_->layout().background));

    auto* login = account_.loginWindow();
    connect(login, &LoginWindow::logInRequested, this, [this] { lobby_.account().logIn(); });
    connect(login, &LoginWindow::newUserRequested, this, [this] { lobby_.account().newUser(); });
    connect(login, &LoginWindow::quitRequested, this, &LobbyWindow::endProgram);
    connect(login, &LoginWindow::helpRequested, this, &LobbyWindow::openHelp);
    connect(login, &LoginWindow::logoClicked, this, [this] { openWebPage(webAddress(&WebAddresses::makerSite)); });

    auto* account = account_.accountWindow();
    auto& accountController = lobby_.account();
    connect(account, &AccountWindow::saveRequested, this,
            [&accountController] { accountController.saveAccount(); });
    connect(account, &AccountWindow::cancelRequested, this,
            [&accountController] { accountController.cancelAccount(); });
    connect(account, &AccountWindow::ownPhotoRequested, this, &LobbyWindow::chooseOwnPhoto);
    connect(account, &AccountWindow::stockPhotoRequested, this, &LobbyWindow::chooseStockPhoto);
    connect(account, &AccountWindow::helpRequested, this, &LobbyWindow::openHelp);
    connect(account, &AccountWindow::logoClicked, this, [this] { openWebPage(webAddress(&WebAddresses::makerSite)); });

}

LobbyWindow::~LobbyWindow() {
    if (busyCursorShown_) QApplication::restoreOverrideCursor();
    if (skin::skinEnvironment().mainWindow == this) skin::skinEnvironment().mainWindow = nullptr;
    skin::skinEnvironment().soundsOn = nullptr;
    skin::skinEnvironment().busy = nullptr;
}

void LobbyWindow::createFrame(bool soundOn) {
    // Both views share the caption row and the switches; the router view's
    // layout gives their places. Created after the panels, they lie above them.
    const auto& layout = routerPanel_->layout();
    for (const auto& placement : layout.buttons) {
        if (!isCaptionButton(placement)) continue;
        auto* button = placeButton(*canvas_, placement);
        if (button == nullptr) continue;
        captionButtons_.push_back(button);
        if (placement.command == kCommandMaximise) {
            (void)button->loadPicture(skin::BitmapButton::Face::Dis,
                                      skin::skinPath("button\\maxdis.bmp"));
            maxButtons_.push_back(button);
        }
    }
    for (const auto& placement : layout.switches) {
        const bool page = placement.name == "page toggle";
        auto* toggle = new ToggleSwitch(canvas_, {placement.x, placement.y},
                                        skin::skinPath(placement.off), skin::skinPath(placement.on),
                                        page || soundOn);
        (page ? pageToggle_ : soundToggle_) = toggle;
    }
}

ViewPanel* LobbyWindow::panel(View view) const {
    return view == View::Router ? routerPanel_ : arenaPanel_;
}

skin::BitmapButton* LobbyWindow::button(int command, View view) const {
    if (auto* button = panel(view)->button(command)) return button;
    for (auto* button : captionButtons_) {
        if (button->commandId() == command) return button;
    }
    return nullptr;
}

void LobbyWindow::create() {
    using namespace std::chrono_literals;
    const LobbyFlow::WallClock clock{[] { return static_cast<int64_t>(::time(nullptr)); },
                                     [] { std::this_thread::sleep_for(100ms); }};
    if (!lobby_.flow().initialiseSharedMemory(static_cast<int32_t>(::getpid()), clock)) return;
    // Photos of an earlier run belong to whoever was logged in then.
    std::error_code ignored;
    std::filesystem::remove(cacheFilePath("photo.jpg"), ignored);
    std::filesystem::remove(cacheFilePath("infophoto.jpg"), ignored);
    lobby_.sessions().setGames(SessionGames::fromRegistry(
        platform::Registry::shared(), skin::skinEnvironment().applicationDirectory, cacheFilePath("")));
    polling_.start();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        connect(screen, &QScreen::availableGeometryChanged, this, &LobbyWindow::applyDisplayRule);
    }
    applyDisplayRule();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    if (lobby_.flow().resumeFinishedGame()) return;
    account_.showLoginWindow();
    selectView(View::Router);
}

// ---------------------------------------------------------------- commands

void LobbyWindow::runCommand(int command) {
    switch (command) {
        case kCommandExit: exitProgram(); break;
        case kCommandMinimise: showMinimized(); break;
        case kCommandMaximise: toggleMaximised(); break;
        case kCommandLogOut: lobby_.account().logOut(); break;
        case kCommandModify: lobby_.account().modifyAccount(); break;
        case kCommandBackToRouter: lobby_.flow().backToRouter(); break;
        case kCommandJoinArena: lobby_.arenaList().join({}, routerView_.selectedArenaRow()); break;
        case kCommandMoreInfo: openWebPage(webAddress(&WebAddresses::homePage)); break;
        case kCommandGameInfo: openWebPage(webAddress(&WebAddresses::gameInfoPage)); break;
        case kCommandLogo: openWebPage(webAddress(&WebAddresses::makerSite)); break;
        case kCommandHelpButton: openHelp(helpContext_); break;
        case kCommandSearch: pages_.openSearch(); break;
        case kCommandPage: lobby_.pages().writePage(); break;
        case kCommandBuddy: pages_.openBuddies(); break;
        default:
            if (!sessions_.runCommand(command)) commandForLaterWindow(command);
            break;
    }
}

void LobbyWindow::commandForLaterWindow(int) {}

void LobbyWindow::openCredits() {
    CreditsBox box(this);
    box.exec();
}

void LobbyWindow::toggleMaximised() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    if (!maximiseAllowed(screen->availableGeometry().size())) return;
    isMaximized() ? showNormal() : showMaximized();
}

void LobbyWindow::applyDisplayRule() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->availableGeometry().size() : QSize(kWidth, kHeight);
    const bool small = screenSize.width() < kWidth || screenSize.height() < kHeight;
    for (auto* button : maxButtons_) button->setEnabled(maximiseAllowed(screenSize));
    if (small) {
        resize(std::min(screenSize.width(), kWidth), std::min(screenSize.height(), kHeight));
    } else {
        resize(kWidth, kHeight);
    }
    scroll_->setGeometry(rect());
}

QString LobbyWindow::webAddress(std::string WebAddresses::*page) const {
    return QString::fromStdString(LobbySettings().webAddresses().*page);
}

void LobbyWindow::openWebPage(const QString& address) {
    if (address.isEmpty() || !QDesktopServices::openUrl(QUrl(address))) {
        showMessage(Text::NoProgramForLink, Text::TitleLobby, MessageStyle::Ok);
    }
}

void LobbyWindow::openHelp(int context) {
    const auto page = skin::applicationPath("help\\" + std::to_string(context) + ".html");
    if (!std::filesystem::exists(page) ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())))) {
        showMessage(Text::NoProgramForLink, Text::TitleLobby, MessageStyle::Ok);
    }
}

void LobbyWindow::chooseStockPhoto() {
    if (accountWindow()->form().photoNumber == 0 &&
        showMessage(Text::StockPhotoReplacesOwn, Text::TitlePhoto, MessageStyle::OkCancel) ==
            MessageResult::Cancel) {
        return;
    }
    auto* account = accountWindow();
    pages_.choosePhoto(account, account->pictureCount(), account->form().photoNumber,
                       [this](int32_t number) { lobby_.account().chooseStockPhoto(number); });
}

void LobbyWindow::chooseOwnPhoto() {
    if (showMessage(Text::OwnPhotoRules, Text::TitleOwnPhoto, MessageStyle::OkCancel) ==
        MessageResult::Cancel) {
        return;
    }
    const QString title = desktop::fromAnsi(text(Text::TitleChoosePhoto));
    QString filter = desktop::fromAnsi(text(Text::PhotoFileFilter));
    if (!filter.contains('(')) filter = "Pictures (*.bmp *.gif *.jpg *.BMP *.GIF *.JPG)";
    const QString path = QFileDialog::getOpenFileName(accountWindow(), title, QString(), filter,
                                                      nullptr, QFileDialog::ReadOnly);
    if (path.isEmpty()) return;
    lobby_.account().chooseOwnPhoto(path.toStdString());
}

// ---------------------------------------------------------------- ending

void LobbyWindow::endProgram() {
    QMetaObject::invokeMethod(this, [this] { exitProgram(); }, Qt::QueuedConnection);
}

void LobbyWindow::exitProgram() {
    if (ended_) return;
    ended_ = true;
    polling_.stop();
    lobby_.flow().disconnect();
    const bool sounds = soundOn();
    const LobbySettings settings;
    try {
        (void)settings.writeSound(sounds);
    } catch (const std::exception&) {
        // The settings file went away while the lobby ran: nothing to keep.
    }
    if (sounds && !lobby_.flow().quietExit()) {
        skin::playLobbySound("exittsc.wav", desktop::SoundWait::Sync, desktop::WhenBusy::Skip);
    }
    loginWindow()->hide();
    accountWindow()->hide();
    hide();
    emit programEnded();
}

void LobbyWindow::requestClose() {
    if (!lobby_.flow().gameRunning()) exitProgram();
}

void LobbyWindow::closeEvent(QCloseEvent* event) {
    if (lobby_.flow().gameRunning()) {
        event->ignore();
        return;
    }
    exitProgram();
    event->accept();
}

void LobbyWindow::resizeEvent(QResizeEvent*) { scroll_->setGeometry(rect()); }

void LobbyWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) arenaView_.windowActivated();
    QWidget::changeEvent(event);
}

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
    if (accountWindow()->isVisible()) return accountWindow();
    if (loginWindow()->isVisible()) return loginWindow();
    return isVisible() ? this : nullptr;
}

int LobbyWindow::showBox(const std::function<int(QWidget*)>& open) {
    int result = skin::MessageBox::Cancel;
    polling_.runModal([&] { result = open(messageParent()); });
    return result;
}

MessageResult LobbyWindow::showMessage(Text text, Text title, MessageStyle style) {
    const int result = showBox([&](QWidget* parent) {
        return skin::MessageBox::show(parent, number(text), number(title), static_cast<int>(style));
    });
    return result == skin::MessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

void LobbyWindow::showServerText(const std::string& text) {
    showBox([&](QWidget* parent) { return skin::MessageBox::show(parent, text, "TSClient"); });
}

std::string LobbyWindow::text(Text text) { return skin::stringText(number(text)); }

void LobbyWindow::setMainTitle(const std::string& title) { setWindowTitle(desktop::fromAnsi(title)); }

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
    canvas_->setBackground(skin::skinPath(panel(view)->layout().background));
    helpContext_ = view == View::Router ? kRouterHelpContext : kArenaHelpContext;
    routerPanel_->setVisible(view == View::Router);
    arenaPanel_->setVisible(view == View::Arena);
    // The session buttons follow the player's session (none on arrival).
    sessions_.showInSession(lobby_.sessions().model().joined);
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

void LobbyWindow::minimiseMainWindow() { showMinimized(); }

// The Router names the FTP host, the updater's path on it and its size.
bool LobbyWindow::runUpdate(const std::string& host, const std::string& path, int32_t size) {
    const auto target = cacheFilePath("update.exe");
    std::error_code ignored;
    std::filesystem::create_directories(target.parent_path(), ignored);
    UpdateWindow window(std::make_unique<UpdateDownload>(host, path, size, target));
    if (window.exec() != skin::SkinnedDialog::kCommandOk) return false;
    return startUpdater(target);
}

bool LobbyWindow::soundOn() const { return soundToggle_ != nullptr && soundToggle_->isOn(); }
bool LobbyWindow::pageOn() const { return pageToggle_ != nullptr && pageToggle_->isOn(); }

}  // namespace tessary::lobby
