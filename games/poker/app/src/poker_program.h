// The poker program from start to end: binds libTSGame.so, joins the session
// the lobby handed over, drives the library every 200 ms and the countdown
// every second, and reports the end of the game when the window closes.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "desktop/signal_pipe.h"
#include "game_library.h"

class QApplication;

namespace tessary::poker {

class Artwork;
class LibraryLink;
class PokerGame;
class SoundPlayer;
class TableWindow;

class PokerProgram : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kGameName = "POKER";
    static constexpr int kEngineIntervalMs = 200;

    PokerProgram();
    ~PokerProgram() override;

    // Runs the start-up; returns the exit code when the program must end at
    // once, or -1 when the window is up and the event loop should run.
    int start();

private:
    void engineTick();
    void finish();

    GameLibrary library_;
    std::unique_ptr<LibraryLink> link_;
    std::unique_ptr<PokerGame> game_;
    std::unique_ptr<Artwork> art_;
    std::unique_ptr<SoundPlayer> sound_;
    std::unique_ptr<TableWindow> window_;
    std::unique_ptr<desktop::SignalPipe> signals_;
    QTimer engineTimer_;
    QTimer countdownTimer_;
    bool admitted_ = false;
    bool finished_ = false;
};

}  // namespace tessary::poker
