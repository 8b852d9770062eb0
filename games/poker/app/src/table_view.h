// The table's client area: the seats, the local hand with its hold toggles,
// the action buttons and raise list, pot and bet displays, the countdown and
// the chat. It shows what PokerGame holds and forwards the player's moves.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <array>

#include "artwork.h"
#include "picture_button.h"
#include "poker/poker_game.h"

namespace tessary::poker {

class SoundPlayer;

class TableView : public QWidget, public TableObserver {
    Q_OBJECT
public:
    static constexpr int kAnimationSteps = 12;

    // `sound` may be null (silent).
    TableView(PokerGame& game, const Artwork& art, SoundPlayer* sound, QWidget* parent);

    // The control with that dialog identifier (buttons, raise list, chat input).
    QWidget* control(int id) const;
    QComboBox* raiseList() const { return raiseList_; }
    QLineEdit* chatInput() const { return chatInput_; }
    QTextEdit* chatHistory() const { return chatHistory_; }
    // Finishes every running card animation at once.
    void finishAnimations();

    // TableObserver
    void tableChanged() override;
    void handStarted() override;
    void seatNote(int seat, const std::string& text) override;
    void chatLine(int seat, const std::string& line) override;
    void cardsArrived(int seat) override;
    void handsRevealed() override;
    void play(Sound sound) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureButton* addButton(const QString& text, int id, const QString& picture, QPoint at);
    void refreshControls();
    void pressed(void (PokerGame::*move)());
    void raisePressed();
    void drawPressed();
    void sendChatLine();
    void animate();

    void paintOpponent(QPainter& p, int seat);
    void paintLocal(QPainter& p);
    void paintCard(QPainter& p, QPoint at, Card card, bool faceUp, bool small);
    void paintBox(QPainter& p, const QRect& box, const QString& text, const QColor& colour);
    QPoint animated(int seat, QPoint target) const;
    bool showsFaces(const Player& player) const;

    PokerGame& game_;
    const Artwork& art_;
    SoundPlayer* sound_;
    PictureButton* ante_ = nullptr;
    PictureButton* call_ = nullptr;
    PictureButton* raise_ = nullptr;
    PictureButton* fold_ = nullptr;
    PictureButton* ok_ = nullptr;
    PictureButton* exit_ = nullptr;
    std::array<PictureButton*, kHandSize> hold_{};
    QComboBox* raiseList_ = nullptr;
    QTextEdit* chatHistory_ = nullptr;
    QLineEdit* chatInput_ = nullptr;
    QTimer animationTimer_;
    std::array<int, kSeatCount> animationStep_{kAnimationSteps, kAnimationSteps, kAnimationSteps, kAnimationSteps};
    std::array<QString, kSeatCount> notes_;
    bool revealed_ = false;
};

}  // namespace tessary::poker
