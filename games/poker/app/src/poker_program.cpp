#include "poker_program.h"

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "artwork.h"
#include "library_link.h"
#include "platform/registry.h"
#include "platform/window_titles.h"
#include "poker/poker_game.h"
#include "sound_player.h"
#include "table_window.h"

namespace tessary::poker {
namespace {

constexpr const char* kClientKey = "SOFTWARE\\Quillon\\Tessary Client";
constexpr const char* kGameKey = "SOFTWARE\\Quillon\\Tessary Games\\POKER";
constexpr size_t kDirectoryLimit = 1000;
constexpr int32_t kLobbyAlreadyRunning = -18;
constexpr int32_t kNoLobby = -19;

QString gameDirectory() { return QCoreApplication::applicationDirPath(); }

}  // namespace

PokerProgram::PokerProgram() = default;

PokerProgram::~PokerProgram() { finish(); }

int PokerProgram::start() {
    std::string lobbyDirectory = platform::Registry::shared().get(kClientKey, "Directory").value_or("");
    if (lobbyDirectory.size() > kDirectoryLimit) lobbyDirectory.resize(kDirectoryLimit);
    if (library_.bind(lobbyDirectory) != 1) {
        const QString why = QString("The game library %1 could not be loaded, so the table cannot open.\n\n%2")
                                .arg(GameLibrary::kFileName, QString::fromStdString(library_.error()));
        std::fprintf(stderr, "poker: %s\n", qPrintable(why));
        // Without a screen nobody could close the box.
        if (QGuiApplication::platformName() != "offscreen") {
            QMessageBox::critical(nullptr, TableWindow::kTitle, why);
        }
        return 1;
    }

    link_ = std::make_unique<LibraryLink>(library_);
    game_ = std::make_unique<PokerGame>(*link_);
    library_->TS_Initialisation(kGameName, static_cast<int32_t>(getpid()));
    connectCallbacks(library_, *game_);
    if (library_->TS_StartTessaryInterface() != kLobbyAlreadyRunning) {
        finish();
        return 0;
    }

    art_ = std::make_unique<Artwork>(Artwork::load(gameDirectory() + "/pictures"));
    sound_ = std::make_unique<SoundPlayer>((gameDirectory() + "/sound").toStdString());
    window_ = std::make_unique<TableWindow>(*game_, *art_, sound_.get(), gameDirectory() + "/help/poker.html");
    connect(window_.get(), &TableWindow::closing, this, [this] { finish(); });

    signals_ = std::make_unique<desktop::SignalPipe>(desktop::SignalPipe::Watch::TerminateAndWake);
    connect(signals_.get(), &desktop::SignalPipe::terminateRequested, window_.get(), &QWidget::close);
    connect(signals_.get(), &desktop::SignalPipe::wakeRequested, window_.get(), [this] {
        window_->showNormal();
        window_->raise();
        window_->activateWindow();
    });

    window_->show();
    // The lobby's library finds a running table by its title.
    platform::publishWindowTitle(TableWindow::kTitle);
    if (!platform::Registry::shared().get(kGameKey, "window")) {
        (void)platform::Registry::shared().set(kGameKey, "window", TableWindow::kTitle);
    }

    connect(&engineTimer_, &QTimer::timeout, this, [this] { engineTick(); });
    engineTimer_.start(kEngineIntervalMs);
    connect(&countdownTimer_, &QTimer::timeout, this, [this] { game_->tick(); });
    countdownTimer_.start(1000);
    return -1;
}

void PokerProgram::engineTick() {
    if (finished_) return;
    if (admitted_) {
        library_->TS_Engine();
        return;
    }
    char name[TS_GAME_TEXT_OUT_SIZE] = {};
    char extra[TS_GAME_TEXT_OUT_SIZE] = {};
    const int32_t allowed = library_->TS_IsGameAllowed(name, extra);
    if (allowed == kNoLobby) {
        window_->close();
        return;
    }
    if (allowed != 1) return;
    name[sizeof name - 1] = '\0';
    library_->TS_ConnectGame();
    library_->TS_Registration(name);
    admitted_ = true;
}

void PokerProgram::finish() {
    if (finished_ || !library_->TS_Free) return;
    finished_ = true;
    engineTimer_.stop();
    countdownTimer_.stop();
    platform::withdrawWindowTitle(TableWindow::kTitle);
    disconnectCallbacks();
    if (!admitted_) {
        // Closed before a tick took the start order: take it now, or the
        // finish report has no session and the lobby waits for ever.
        char name[TS_GAME_TEXT_OUT_SIZE] = {};
        char extra[TS_GAME_TEXT_OUT_SIZE] = {};
        (void)library_->TS_IsGameAllowed(name, extra);
    }
    library_->TS_InformInterfaceGameFinished("");
    library_->TS_Free();
    library_.unload();
    QCoreApplication::quit();
}

}  // namespace tessary::poker
