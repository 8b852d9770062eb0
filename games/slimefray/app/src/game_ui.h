// The program's windows around the model: it shows what the model reports
// (GameEvents), forwards the player's input, runs the board timer and the
// turn clock, and plays the sounds.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>

#include "board_animator.h"
#include "board_view.h"
#include "chat_window.h"
#include "desktop/sound_player.h"
#include "minimap_window.h"
#include "panel_window.h"
#include "pictures.h"
#include "slimefray/client_game.h"

namespace tessary::slimefray {

class GameUi : public QObject, public GameEvents {
    Q_OBJECT

public:
    GameUi(std::filesystem::path gameDirectory, Pictures pictures);
    ~GameUi() override;

    // REQUIRES: called once, before any message reaches the model.
    void attach(ClientGame& game);
    // Called after every input that may have produced requests.
    void setAfterInput(std::function<void()> afterInput) { afterInput_ = std::move(afterInput); }
    // How the program ends: message box text (may be empty) and exit code.
    void setQuitHandler(std::function<void(const std::string&, int)> handler) { quitHandler_ = std::move(handler); }

    void showStartWindow();
    int64_t nowMs() const { return timeSource_ ? timeSource_() : clock_.elapsed(); }
    // Replaces the monotonic clock (tests and previews that simulate time).
    void setTimeSource(std::function<int64_t()> source) { timeSource_ = std::move(source); }

    BoardView* boardView() const { return board_.get(); }
    PanelWindow* panel() const { return panel_.get(); }
    MinimapWindow* minimap() const { return minimap_.get(); }
    ChatWindow* chat() const { return chat_.get(); }
    QLabel* startWindow() const { return start_.get(); }
    BoardAnimator& animator() { return animator_; }
    // Advances the board timer by hand (tests and previews).
    void boardTick(int64_t nowMs);

    // GameEvents
    void playSound(std::string_view file) override;
    void boardBuilt() override;
    void slotAssigned(int slot) override;
    void moveShown(const MoveShown& shown) override;
    void explosion(const std::vector<CellRef>& cells) override;
    void cyclone(CellRef cell) override;
    void shieldFlash(CellRef cell) override;
    void turnBegan(int slot) override;
    void myTurnBegan() override;
    void myTurnEnded() override;
    void gameOver() override;
    void chatLine(const std::string& text, int slot) override;
    void playersLine(const std::string& text) override;
    void connectionNote(const std::string& text) override;
    void obstacleAnimation(int number) override;
    void slotLeft(int slot) override;
    void changed() override;
    void quit(const std::string& message, int exitCode) override;
    void refused(std::string_view why) override;

private:
    void afterInput();
    void restartBoardTimer();
    void clockTick();
    void updateStatus();

    std::filesystem::path directory_;
    Pictures pictures_;
    ClientGame* game_ = nullptr;
    BoardAnimator animator_;
    desktop::SoundPlayer sounds_;
    QElapsedTimer clock_;
    QTimer boardTimer_;
    QTimer clockTimer_;
    std::unique_ptr<QLabel> start_;
    std::unique_ptr<BoardView> board_;
    std::unique_ptr<PanelWindow> panel_;
    std::unique_ptr<MinimapWindow> minimap_;
    std::unique_ptr<ChatWindow> chat_;
    std::function<void()> afterInput_;
    std::function<int64_t()> timeSource_;
    std::function<void(const std::string&, int)> quitHandler_;
    QString playersLine_;
    QString connectionNote_;
    bool windowsPlaced_ = false;  // once: a rejoin leaves the windows where they are  // shown instead of the status while it says something
    int noteNumber_ = 0;      // a newer note outlives an older note's timer
    int currentSlot_ = -1;
    bool quitting_ = false;
};

}  // namespace tessary::slimefray
