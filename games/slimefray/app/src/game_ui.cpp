#include "game_ui.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "desktop/ansi_text.h"
#include "platform/diag.h"
#include "slot_colours.h"

namespace tessary::slimefray {
namespace {

const char* const kSlotNames[8] = {"Blue", "Red", "Black", "Yellow", "Green", "Purple", "Turquoise", "Orange"};

// The corner nearest to `corner` at which a window of `size` lies inside the
// free area of the screen `near` is on: a window placed partly off the
// screen hides its title bar or the chat's input line from the player.
QPoint onScreen(QPoint corner, QSize size, const QWidget& near) {
    const QScreen* screen = near.screen();
    if (!screen) return corner;
    const QRect area = screen->availableGeometry();
    return {std::clamp(corner.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())),
            std::clamp(corner.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()))};
}

}  // namespace

GameUi::GameUi(std::filesystem::path gameDirectory, Pictures pictures)
    : directory_(std::move(gameDirectory)), pictures_(std::move(pictures)) {
    clock_.start();
    animator_.setStripFrames(frameCount(pictures_.blobs[0]), frameCount(pictures_.boom), frameCount(pictures_.cyclone),
                             frameCount(pictures_.mine), 1);
    start_ = std::make_unique<QLabel>(nullptr, Qt::FramelessWindowHint);
    start_->setWindowTitle("Slimefray");
    start_->setPixmap(QPixmap::fromImage(pictures_.start));
    start_->setFixedSize(pictures_.start.isNull() ? QSize(400, 300) : pictures_.start.size());
    start_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    auto* waiting = new QLabel(start_.get());
    waiting->setObjectName("waiting");
    waiting->setAlignment(Qt::AlignCenter);
    waiting->setStyleSheet("color: white; font-weight: bold;");
    waiting->setGeometry(0, start_->height() - 30, start_->width(), 24);
    waiting->setText("Waiting for the game...");
    connect(&boardTimer_, &QTimer::timeout, this, [this] { boardTick(nowMs()); });
    connect(&clockTimer_, &QTimer::timeout, this, [this] { clockTick(); });
}

GameUi::~GameUi() = default;

void GameUi::attach(ClientGame& game) {
    game_ = &game;
    board_ = std::make_unique<BoardView>(game, pictures_, animator_);
    panel_ = std::make_unique<PanelWindow>(game, pictures_);
    minimap_ = std::make_unique<MinimapWindow>(game.board(), pictures_);
    chat_ = std::make_unique<ChatWindow>();
    connect(board_.get(), &BoardView::cellPressed, this, [this](int x, int y) {
        game_->clickCell(x, y, nowMs());
        afterInput();
    });
    connect(board_.get(), &BoardView::viewChanged, this, [this] { minimap_->setFocus(board_->viewport()); });
    connect(panel_.get(), &PanelWindow::powerSquarePressed, this, [this] {
        game_->clickPowerSquare();
        afterInput();
    });
    connect(panel_.get(), &PanelWindow::previousPower, this, [this] { game_->previousPower(); });
    connect(panel_.get(), &PanelWindow::nextPower, this, [this] { game_->nextPower(); });
    connect(panel_->endTurnButton(), &QPushButton::clicked, this, [this] {
        game_->endTurnCommand(nowMs());
        afterInput();
    });
    connect(panel_->mapButton(), &QPushButton::clicked, this, [this] {
        minimap_->show();
        minimap_->raise();
    });
    connect(chat_.get(), &ChatWindow::send, this, [this](const QString& text) {
        game_->sendChat(desktop::toAnsi(text));
        afterInput();
    });
}

void GameUi::showStartWindow() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        start_->move(screen->geometry().center() - start_->rect().center());
    }
    start_->show();
}

void GameUi::afterInput() {
    if (afterInput_) afterInput_();
}

void GameUi::restartBoardTimer() {
    int period = animator_.periodMs();
    if (!boardTimer_.isActive() || boardTimer_.interval() != period) boardTimer_.start(period);
}

void GameUi::boardTick(int64_t now) {
    if (!game_ || !game_->boardBuilt()) return;
    const BoardModel& board = game_->board();
    const QRect view = board_->viewport();
    auto pick = [&](std::mt19937& random) -> std::pair<CellRef, BoardAnimator::Idle> {
        const int firstX = view.left() / BoardView::kCell, firstY = view.top() / BoardView::kCell;
        const int lastX = std::min(board.side() - 1, view.right() / BoardView::kCell);
        const int lastY = std::min(board.side() - 1, view.bottom() / BoardView::kCell);
        if (lastX < firstX || lastY < firstY) return {{}, BoardAnimator::Idle::Nothing};
        int x = std::uniform_int_distribution<int>(firstX, lastX)(random);
        int y = std::uniform_int_distribution<int>(firstY, lastY)(random);
        const BoardCell& cell = board.at(x, y);
        const auto& control = game_->controller();
        bool selected = control.pending() && control.sourceX() == x && control.sourceY() == y;
        if (cell.isSlotBlob() && !selected) return {{x, y}, BoardAnimator::Idle::Blob};
        if (cell.blob == kMineBlob) return {{x, y}, BoardAnimator::Idle::Mine};
        if (cell.tile == kDebris) return {{x, y}, BoardAnimator::Idle::Obstacle};
        return {{x, y}, BoardAnimator::Idle::Nothing};
    };
    bool wasBusy = animator_.busy();
    if (animator_.tick(now, pick)) board_->update();
    game_->setAnimating(animator_.busy());
    if (wasBusy && !animator_.busy()) {
        board_->update();
        minimap_->update();
        panel_->update();
    }
    restartBoardTimer();
}

void GameUi::playSound(std::string_view file) {
    if (panel_ && !panel_->soundToggle()->isChecked()) return;
    (void)sounds_.play(directory_ / std::string(file), desktop::SoundWait::Async, desktop::WhenBusy::Interrupt);
}

void GameUi::boardBuilt() {
    std::array<QImage, 3> tiles;
    for (int i = 0; i < 3; ++i) {
        if (const auto& picture = game_->themePicture(i)) tiles[size_t(i)] = toQImage(*picture, false);
    }
    board_->setThemePictures(tiles);
    if (!windowsPlaced_) {  // a rejoin builds the board again where the player left it
        // The board takes the start picture's place, grown up and to the left.
        board_->resize(600, 600);
        board_->move(onScreen(start_->pos() - QPoint(125, 125), board_->size(), *start_));
    }
    board_->show();
    boardTimer_.start(BoardAnimator::kIdlePeriodMs);
    changed();
}

void GameUi::slotAssigned(int) {
    start_->hide();
    board_->show();
    if (!windowsPlaced_) {
        panel_->move(onScreen(board_->frameGeometry().topRight() + QPoint(8, 0), panel_->size(), *board_));
        chat_->move(onScreen(board_->frameGeometry().bottomLeft() + QPoint(0, 8), chat_->size(), *board_));
        windowsPlaced_ = true;
    }
    panel_->show();
    chat_->show();
    minimap_->show();
    updateStatus();
}

void GameUi::moveShown(const MoveShown& shown) {
    animator_.startMove(shown);
    game_->setAnimating(true);
    boardTimer_.start(BoardAnimator::kEffectPeriodMs);
}

void GameUi::explosion(const std::vector<CellRef>& cells) {
    animator_.startExplosion(cells);
    game_->setAnimating(true);
    restartBoardTimer();
}

void GameUi::cyclone(CellRef cell) {
    animator_.startCyclone(cell);
    game_->setAnimating(true);
    restartBoardTimer();
}

void GameUi::shieldFlash(CellRef cell) {
    animator_.startShieldFlash(cell);
    game_->setAnimating(true);
    restartBoardTimer();
}

void GameUi::turnBegan(int slot) {
    currentSlot_ = slot;
    panel_->setCurrentSlot(slot);
    clockTimer_.start(1000);
    clockTick();
    updateStatus();
}

void GameUi::myTurnBegan() {
    updateStatus();
    QApplication::alert(board_.get());
}

void GameUi::myTurnEnded() {
    board_->setCursor(Qt::ArrowCursor);
    if (!game_->clockMode()) panel_->setClock("");
    updateStatus();
}

void GameUi::gameOver() {
    clockTimer_.stop();
    panel_->setClock("");
    updateStatus();
}

void GameUi::chatLine(const std::string& text, int slot) { chat_->addLine(desktop::fromAnsi(text), slot); }

void GameUi::playersLine(const std::string& text) {
    playersLine_ = QString::fromStdString(text);
    if (auto* waiting = start_->findChild<QLabel*>("waiting")) waiting->setText(playersLine_);
    updateStatus();
}

void GameUi::connectionNote(const std::string& text) {
    connectionNote_ = QString::fromStdString(text);
    const int number = ++noteNumber_;
    updateStatus();
    // "Reconnected" is news for a few seconds; "reconnecting" stays until it changes.
    if (text.rfind("Reconnected", 0) == 0) {
        QTimer::singleShot(4000, this, [this, number] {
            if (number != noteNumber_) return;
            connectionNote_.clear();
            updateStatus();
        });
    }
}

void GameUi::obstacleAnimation(int number) {
    const std::string name = "bitmaps/anim/" + std::to_string(number) + ".bmp";
    QImage strip;
    if (std::filesystem::exists(directory_ / name)) {
        PictureLoader loader(directory_);
        strip = loader.load(name, false);
    }
    board_->setObstacleStrip(strip);
    animator_.setObstacleAnimation(!strip.isNull());
    animator_.setStripFrames(frameCount(pictures_.blobs[0]), frameCount(pictures_.boom), frameCount(pictures_.cyclone),
                             frameCount(pictures_.mine), std::max(1, frameCount(strip)));
}

void GameUi::slotLeft(int) { panel_->update(); }

void GameUi::changed() {
    if (!board_) return;
    board_->setCursor(game_->controller().powerMode() ? Qt::CrossCursor : Qt::ArrowCursor);
    board_->update();
    panel_->update();
    minimap_->update();
}

void GameUi::updateStatus() {
    if (!panel_) return;
    QString status;
    if (!connectionNote_.isEmpty() && !game_->over()) {
        status = connectionNote_;
    } else if (game_->over()) {
        status = "Game Over";
    } else if (!game_->started()) {
        status = playersLine_;
    } else if (game_->controller().myTurn()) {
        status = "Your turn";
    } else if (currentSlot_ >= 0 && currentSlot_ < 8) {
        status = QString("%1 plays").arg(kSlotNames[currentSlot_]);
    }
    panel_->setStatus(status);
}

void GameUi::clockTick() {
    if (!game_ || game_->over()) return;
    panel_->setClock(QString::fromStdString(game_->clockText(nowMs())));
    bool mine = game_->controller().myTurn();
    game_->clockTick(nowMs());
    if (mine && !game_->controller().myTurn()) afterInput();
}

void GameUi::quit(const std::string& message, int exitCode) {
    if (quitting_) return;
    quitting_ = true;
    if (quitHandler_) quitHandler_(message, exitCode);
}

void GameUi::refused(std::string_view why) {
    platform::diag("Slimefray: message ignore (" + std::string(why) + ")\n");
}

}  // namespace tessary::slimefray
