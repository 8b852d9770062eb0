#include "table_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "sound_player.h"

namespace tessary::poker {

TableWindow::TableWindow(PokerGame& game, const Artwork& art, SoundPlayer* sound, QString helpPage)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      game_(game),
      sound_(sound),
      helpPage_(std::move(helpPage)) {
    setWindowTitle(kTitle);
    setFixedSize(kSize);
    titleBar_ = new TitleBar(this);
    titleBar_->setGeometry(0, 0, kSize.width(), TitleBar::kHeight);
    view_ = new TableView(game, art, sound, this);
    view_->move(0, TitleBar::kHeight);
    game.setObserver(view_);
    if (sound_ != nullptr) titleBar_->setSoundOn(sound_->enabled());

    connect(titleBar_, &TitleBar::helpClicked, this, [this] { openHelp(); });
    connect(titleBar_, &TitleBar::soundToggled, this, [this](bool on) {
        if (sound_ != nullptr) sound_->setEnabled(on);
    });
    connect(titleBar_, &TitleBar::minimiseClicked, this, [this] { showMinimized(); });
    connect(titleBar_, &TitleBar::closeClicked, this, [this] { close(); });
}

TableWindow::~TableWindow() { game_.setObserver(nullptr); }

void TableWindow::openHelp() {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(helpPage_))) {
        QMessageBox::information(this, kTitle, "The help page could not be opened:\n" + helpPage_);
    }
}

void TableWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

}  // namespace tessary::poker
