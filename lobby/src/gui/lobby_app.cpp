#include "lobby/lobby_app.h"

#include <unistd.h>

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSplashScreen>
#include <array>

#include "lobby/game_catalog.h"
#include "lobby/lobby_settings.h"
#include "lobby/lobby_window.h"
#include "lobby/termination_signal.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "skin/country_list.h"
#include "skin/fatal_error.h"
#include "skin/message_box.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {
namespace {

constexpr const char* kClientKey = "SOFTWARE\\Quillon\\Tessary Client";
constexpr const char* kGamesKey = "SOFTWARE\\Quillon\\Tessary Games\\";

QPixmap splashPicture() {
    QPixmap picture(360, 140);
    picture.fill(QColor(0, 0, 90));
    QPainter painter(&picture);
    painter.setPen(QColor(255, 168, 0));
    QFont font = painter.font();
    font.setPointSize(28);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, "Tessary");
    return picture;
}

}  // namespace

LobbyApp::LobbyApp(LobbyAppOptions options) : options_(std::move(options)) {}

LobbyApp::~LobbyApp() {
    window_.reset();
    if (library_.loaded() && api_.TS_FreeSharedMemory != nullptr) api_.TS_FreeSharedMemory();
    auto& environment = skin::skinEnvironment();
    if (environment.fonts == &fonts_) environment.fonts = nullptr;
    if (environment.sounds == &sounds_) environment.sounds = nullptr;
}

int LobbyApp::run() {
    // Watched from the start: a close request that comes during start-up is
    // answered once the main window exists.
    TerminationSignal termination;
    bool closeAsked = false;
    QObject::connect(&termination, &TerminationSignal::closeRequested, [this, &closeAsked] {
        if (window_) {
            window_->requestClose();
        } else {
            closeAsked = true;
        }
    });
    if (!start()) return 0;
    QObject::connect(window_.get(), &LobbyWindow::programEnded, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (closeAsked) window_->requestClose();
    QApplication::exec();
    return 0;
}

bool LobbyApp::start() {
    showSplash();
    bool started = false;
    try {
        started = startSteps();
    } catch (const skin::SkinFatalError& error) {
        splash_.reset();
        skin::showFatalErrorAndEnd(error);
        return false;
    }
    splash_.reset();
    return started;
}

bool LobbyApp::startSteps() {
    findApplicationDirectory();

    const LobbySettings settings;
    const bool soundOn = settings.soundOn();
    skin::skinEnvironment().soundsOn = [soundOn] { return soundOn; };
    skin::playLobbySound("starttsc.wav", skin::SoundWait::Async, skin::WhenBusy::Skip);

    if (!bindClientLibrary()) {
        splash_.reset();
        skin::MessageBox::show(nullptr, number(Text::ClientLibraryMissing),
                               number(Text::TitleFatalError));
        return false;
    }

    fonts_.load("data\\font\\font.ini", "data\\font\\");
    skin::skinEnvironment().fonts = &fonts_;
    writeRegistry();

    LobbyWindowSetup setup;
    const auto router = settings.router();
    setup.routerHost = router.host;
    setup.routerPort = router.port;
    setup.pictureCount = settings.pictureCount();
    setup.soundOn = soundOn;
    setup.countries = skin::loadCountryList("data\\country.bin");

    window_ = std::make_unique<LobbyWindow>(api_, setup);
    window_->create();
    return true;
}

void LobbyApp::showSplash() {
    splash_ = std::make_unique<QSplashScreen>(splashPicture());
    splash_->show();
    QApplication::processEvents();
}

void LobbyApp::findApplicationDirectory() {
    directory_ = options_.applicationDirectory.empty() ? platform::applicationDirectory()
                                                       : options_.applicationDirectory;
    if (!directory_.empty() && directory_.back() != '/') directory_ += '/';
    std::filesystem::current_path(directory_);
    auto& environment = skin::skinEnvironment();
    environment.applicationDirectory = directory_;
    environment.strings = skin::StringTable(platform::nativePath("data\\strings.bin", directory_));
    environment.sounds = &sounds_;
}

bool LobbyApp::bindClientLibrary() {
    const std::string file =
        options_.clientLibrary.empty() ? directory_ + kClientLibraryName : options_.clientLibrary;
    return library_.bindTable(file, api_).bound;
}

void LobbyApp::writeRegistry() {
    auto registry = platform::Registry::shared();
    (void)registry.set(kClientKey, "Directory", directory_);
    const auto games = readGameCatalog(platform::nativePath("game\\game.tsc", directory_));
    if (!games) return;
    for (const auto& game : *games) {
        // A blank line taken as a name would write into the parent key.
        if (game.name.empty()) continue;
        const std::string key = kGamesKey + game.name;
        (void)registry.set(key, "directory", game.directory);
        (void)registry.set(key, "exec", game.program);
        (void)registry.set(key, "version", game.version);
    }
}

}  // namespace tessary::lobby
