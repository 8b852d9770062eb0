// Slimefray: started by the lobby's library with "child" as its first
// argument; plays one session through the game library.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "desktop/signal_pipe.h"
#include "game_ui.h"
#include "pictures.h"
#include "platform/window_titles.h"
#include "slimefray/client_game.h"
#include "slimefray/game_library.h"
#include "slimefray/library_link.h"
#include "slimefray/net_play.h"

using namespace tessary::slimefray;
namespace desktop = tessary::desktop;
namespace platform = tessary::platform;

namespace {

constexpr const char* kWindowTitle = "Slimefray";

int fail(const QString& text, const QString& title, int code) {
    QMessageBox::critical(nullptr, title, text);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("Slimefray");
    app.setQuitOnLastWindowClosed(false);
    const std::filesystem::path directory = QCoreApplication::applicationDirPath().toStdString();

    PictureLoader loader(directory);
    Pictures pictures = Pictures::load(loader);
    for (const PictureProblem& problem : loader.problems()) {
        if (!problem.fatal) QMessageBox::warning(nullptr, problem.title, problem.text);
    }
    if (auto fatal = loader.firstFatal()) return fail(fatal->text, fatal->title, 1);

    GameUi ui(directory, std::move(pictures));
    ClientGame game(ui, directory);
    ui.attach(game);
    ui.showStartWindow();

    GameLibrary library;
    if (!library.load(lobbyDirectoryFromRegistry())) return fail("No Game Dll Found.", "Slimefray", 0);
    LibraryLink link(library);
    NetPlay net(link, game, ui, [&ui] { return ui.nowMs(); });

    QTimer poll;
    int exitCode = 0;
    bool ending = false;
    // Called from inside the library's callbacks too: nothing here may run a
    // nested event loop, so the message box waits for the next turn of the loop.
    auto end = [&](const std::string& message, int code) {
        if (ending) return;
        ending = true;
        exitCode = code;
        poll.stop();
        QTimer::singleShot(0, &app, [&app, message] {
            if (!message.empty()) QMessageBox::critical(nullptr, "Slimefray", QString::fromStdString(message));
            app.exit();
        });
    };
    ui.setQuitHandler(end);
    ui.setAfterInput([&net] { net.flush(); });

    // The lobby's library finds the running game by its window title.
    platform::publishWindowTitle(kWindowTitle);
    struct Withdraw {
        ~Withdraw() { platform::withdrawWindowTitle(kWindowTitle); }
    } withdraw;
    desktop::SignalPipe signalPipe(desktop::SignalPipe::Watch::TerminateAndWake);
    // The lobby's close request ends the program even while a message box is open.
    QObject::connect(&signalPipe, &desktop::SignalPipe::terminateRequested, [&] {
        poll.stop();
        ending = true;
        QCoreApplication::exit(exitCode);
    });
    QObject::connect(&signalPipe, &desktop::SignalPipe::wakeRequested, [&] {
        QWidget* front = ui.boardView()->isVisible() ? static_cast<QWidget*>(ui.boardView()) : ui.startWindow();
        front->raise();
        front->activateWindow();
    });

    if (!net.start(int32_t(::getpid()))) return exitCode;
    QObject::connect(&poll, &QTimer::timeout, [&net] { net.poll(); });
    poll.start(NetPlay::kPollMs);

    // Closing the game window ends the program.
    class CloseWatch : public QObject {
    public:
        explicit CloseWatch(std::function<void()> onClose) : onClose_(std::move(onClose)) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Close) onClose_();
            return false;
        }

    private:
        std::function<void()> onClose_;
    } closeWatch([&] { end("", 0); });
    ui.boardView()->installEventFilter(&closeWatch);

    app.exec();
    poll.stop();
    net.shutdown();
    return exitCode;
}
