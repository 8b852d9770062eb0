#include "table_view.h"

#include <QPainter>

#include "desktop/ansi_text.h"
#include "poker/evaluate.h"
#include "sound_player.h"
#include "table_layout.h"

namespace tessary::poker {

using namespace layout;

TableView::TableView(PokerGame& game, const Artwork& art, SoundPlayer* sound, QWidget* parent)
    : QWidget(parent), game_(game), art_(art), sound_(sound) {
    setFixedSize(kClientSize);
    ante_ = addButton("Ante", kAnteId, "ante", kAnteButton);
    call_ = addButton("call", kCallId, "call", kCallButton);
    fold_ = addButton("Fold", kFoldId, "fold", kFoldButton);
    raise_ = addButton("Raise", kRaiseId, "raise", kRaiseButton);
    ok_ = addButton("ok", kOkId, "ok", kOkButton);
    exit_ = addButton("Exit", kExitId, "exit", kExitButton);
    for (int i = 0; i < kHandSize; ++i) {
        hold_[i] = addButton(QString("hold%1").arg(i + 1), kHold1Id + i, "hold", holdToggle(i));
        hold_[i]->setCheckable(true);
    }

    raiseList_ = new QComboBox(this);
    raiseList_->setObjectName("raiseList");
    raiseList_->setProperty("controlId", kRaiseListId);
    raiseList_->setGeometry(kRaiseList.x(), kRaiseList.y(), kRaiseList.width(), 22);
    raiseList_->setMaxVisibleItems(6);

    chatHistory_ = new QTextEdit(this);
    chatHistory_->setObjectName("chatHistory");
    chatHistory_->setReadOnly(true);
    chatHistory_->setGeometry(kChatHistory);
    chatHistory_->setFocusPolicy(Qt::NoFocus);
    chatHistory_->setStyleSheet("QTextEdit { background: rgb(112, 128, 118); border: 1px solid rgb(20, 30, 24); }");

    chatInput_ = new QLineEdit(this);
    chatInput_->setObjectName("chatInput");
    chatInput_->setProperty("controlId", kChatInputId);
    chatInput_->setGeometry(kChatInput);
    chatInput_->setMaxLength(static_cast<int>(kMaxChatLength));
    chatInput_->setStyleSheet("QLineEdit { background: rgb(250, 246, 230); border: 1px solid rgb(20, 30, 24); }");

    connect(ante_, &QAbstractButton::clicked, this, [this] { pressed(&PokerGame::ante); });
    connect(call_, &QAbstractButton::clicked, this, [this] { pressed(&PokerGame::call); });
    connect(fold_, &QAbstractButton::clicked, this, [this] { pressed(&PokerGame::fold); });
    connect(raise_, &QAbstractButton::clicked, this, [this] { raisePressed(); });
    connect(ok_, &QAbstractButton::clicked, this, [this] { drawPressed(); });
    connect(exit_, &QAbstractButton::clicked, this, [this] {
        play(Sound::Button);
        window()->close();
    });
    for (PictureButton* hold : hold_) {
        connect(hold, &QAbstractButton::clicked, this, [this] { play(Sound::Button); });
    }
    connect(chatInput_, &QLineEdit::returnPressed, this, [this] { sendChatLine(); });

    // Dealing slides the cards in over 12 steps of a 1 ms timer.
    animationTimer_.setInterval(1);
    connect(&animationTimer_, &QTimer::timeout, this, [this] { animate(); });
    refreshControls();
}

PictureButton* TableView::addButton(const QString& text, int id, const QString& picture, QPoint at) {
    auto* button = new PictureButton(text, id, art_.button(picture), this);
    button->move(at);
    return button;
}

QWidget* TableView::control(int id) const {
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->property("controlId").toInt() == id) return w;
    }
    return nullptr;
}

// ------------------------------------------------------------------ moves

void TableView::pressed(void (PokerGame::*move)()) {
    play(Sound::Button);
    (game_.*move)();
}

void TableView::raisePressed() {
    play(Sound::Button);
    if (raiseList_->currentIndex() < 0) return;
    game_.raise(raiseList_->currentData().toInt());
}

void TableView::drawPressed() {
    play(Sound::Button);
    unsigned mask = 0;
    for (int i = 0; i < kHandSize; ++i) {
        if (hold_[i]->isChecked()) mask |= 1u << i;
    }
    game_.draw(mask);
}

void TableView::sendChatLine() {
    const QString text = chatInput_->text();
    if (text.isEmpty()) return;
    game_.sendChat(desktop::toAnsi(text.left(static_cast<int>(kMaxChatLength))));
    chatInput_->clear();
}

// ------------------------------------------------------------------ observer

void TableView::tableChanged() {
    refreshControls();
    update();
}

void TableView::handStarted() {
    notes_.fill(QString());
    revealed_ = false;
    update();
}

void TableView::seatNote(int seat, const std::string& text) {
    if (seat >= 0 && seat < kSeatCount) notes_[static_cast<size_t>(seat)] = desktop::fromAnsi(text);
    update();
}

void TableView::chatLine(int seat, const std::string& line) {
    const QColor colour = seatColour(seat);
    chatHistory_->append(QString("<span style=\"color:%1\">%2</span>")
                             .arg(colour.name(), desktop::fromAnsi(line).toHtmlEscaped()));
}

void TableView::cardsArrived(int seat) {
    if (seat < 0 || seat >= kSeatCount) return;
    animationStep_[static_cast<size_t>(seat)] = 0;
    animationTimer_.start();
}

void TableView::handsRevealed() {
    revealed_ = true;
    for (int seat = 0; seat < kSeatCount; ++seat) {
        if (const Player* p = game_.table().atSeat(seat); p != nullptr && game_.table().isWinnerSeat(seat)) {
            notes_[static_cast<size_t>(seat)] =
                QString("Winner: %1").arg(categoryName(game_.table().seatCategory(seat)));
        }
    }
    update();
}

void TableView::play(Sound sound) {
    if (sound_ != nullptr) sound_->play(sound);
}

void TableView::animate() {
    bool running = false;
    for (int& step : animationStep_) {
        if (step < kAnimationSteps) {
            ++step;
            running = running || step < kAnimationSteps;
        }
    }
    if (!running) animationTimer_.stop();
    update();
}

void TableView::finishAnimations() {
    animationStep_.fill(kAnimationSteps);
    animationTimer_.stop();
    update();
}

void TableView::refreshControls() {
    const LocalTurn turn = game_.localTurn();
    ante_->setEnabled(turn == LocalTurn::Ante);
    call_->setEnabled(turn == LocalTurn::Bet);
    fold_->setEnabled(turn == LocalTurn::Bet);

    const std::vector<int32_t> raises = game_.raiseChoices();
    const int previous = raiseList_->currentData().toInt();
    raiseList_->blockSignals(true);
    raiseList_->clear();
    for (int32_t r : raises) raiseList_->addItem(QString("%1$").arg(r), r);
    const int keep = raiseList_->findData(previous);
    raiseList_->setCurrentIndex(keep >= 0 ? keep : (raises.empty() ? -1 : 0));
    raiseList_->blockSignals(false);
    raise_->setEnabled(turn == LocalTurn::Bet && !raises.empty());
    raiseList_->setEnabled(raise_->isEnabled());

    const bool drawing = turn == LocalTurn::Draw;
    ok_->setEnabled(drawing);
    for (PictureButton* hold : hold_) {
        hold->setEnabled(drawing);
        if (!drawing) hold->setChecked(false);
    }
}

// ------------------------------------------------------------------ painting

bool TableView::showsFaces(const Player& player) const {
    if (player.seat == kLocalSeat) return true;
    return revealed_ && game_.table().newHandPending() && player.inHand;
}

QPoint TableView::animated(int seat, QPoint target) const {
    const int step = seat >= 0 && seat < kSeatCount ? animationStep_[static_cast<size_t>(seat)] : kAnimationSteps;
    if (step >= kAnimationSteps) return target;
    return kDealer + (target - kDealer) * step / kAnimationSteps;
}

void TableView::paintCard(QPainter& p, QPoint at, Card card, bool faceUp, bool small) {
    const QSize size = small ? Artwork::kSmallCardSize : Artwork::kCardSize;
    const QPixmap& picture = !isCard(card) ? (small ? art_.smallBack() : art_.back())
                             : faceUp     ? (small ? art_.smallFace(card) : art_.face(card))
                                          : (small ? art_.smallBack() : art_.back());
    if (!picture.isNull()) {
        p.drawPixmap(at, picture);
        return;
    }
    p.setPen(Qt::black);
    p.setBrush(faceUp ? QColor(250, 250, 245) : QColor(40, 60, 150));
    p.drawRoundedRect(QRect(at, size).adjusted(0, 0, -1, -1), 4, 4);
    if (faceUp && isCard(card)) {
        p.drawText(QRect(at, size), Qt::AlignCenter,
                   QString("%1%2").arg(kRankLetters[rankOf(card)]).arg(kSuitLetters[suitOf(card)]));
    }
}

void TableView::paintBox(QPainter& p, const QRect& box, const QString& text, const QColor& colour) {
    p.setPen(QColor(10, 30, 15));
    p.setBrush(QColor(15, 45, 25, 200));
    p.drawRoundedRect(box.adjusted(0, 0, -1, -1), 3, 3);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

void TableView::paintOpponent(QPainter& p, int seat) {
    const Table& table = game_.table();
    const Player* player = table.atSeat(seat);
    if (player == nullptr) return;
    const auto s = static_cast<size_t>(seat);
    const bool winner = table.isWinnerSeat(seat) && revealed_;

    p.setPen(winner ? QColor(255, 215, 0) : QColor(255, 255, 255));
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(kNameLine[s], Qt::AlignLeft | Qt::AlignVCenter, desktop::fromAnsi(player->name));
    p.setFont(font());

    paintBox(p, kMoneyLine[s], QString("%1$").arg(player->money), QColor(255, 230, 120));
    if (table.turnHolder() == player->id) p.drawPixmap(kMarker[s], art_.marker());

    if (isCompleteHand(player->cards)) {
        const bool faces = showsFaces(*player);
        for (int i = 0; i < kHandSize; ++i) {
            const QPoint target = kCardArea[s].topLeft() + QPoint(i * kSmallCardStep, 2);
            paintCard(p, animated(seat, target), player->cards[static_cast<size_t>(i)], faces, true);
        }
    }
    if (winner) {
        p.setPen(QPen(QColor(255, 215, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(kCardArea[s].adjusted(-3, -2, 3, 2), 4, 4);
    }
    p.setPen(winner ? QColor(255, 215, 0) : QColor(230, 230, 200));
    p.drawText(kNoteLine[s], Qt::AlignLeft | Qt::AlignVCenter, notes_[s]);
}

void TableView::paintLocal(QPainter& p) {
    const Table& table = game_.table();
    const Player* me = table.local();
    if (me == nullptr) return;
    const bool winner = table.isWinnerSeat(kLocalSeat) && revealed_;
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(winner ? QColor(255, 215, 0) : QColor(255, 255, 255));
    p.drawText(kLocalNameLine, Qt::AlignLeft | Qt::AlignVCenter, desktop::fromAnsi(me->name));
    p.setFont(font());
    p.setPen(winner ? QColor(255, 215, 0) : QColor(230, 230, 200));
    p.drawText(kLocalNoteLine, Qt::AlignRight | Qt::AlignVCenter, notes_[kLocalSeat]);

    for (int i = 0; i < kHandSize; ++i) {
        const QPoint target = localCard(i);
        const Card card = me->cards[static_cast<size_t>(i)];
        if (isCard(card)) {
            paintCard(p, animated(kLocalSeat, target), card, true, false);
        } else {
            p.setPen(QPen(QColor(255, 255, 255, 70), 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRect(target, Artwork::kCardSize).adjusted(0, 0, -1, -1), 5, 5);
        }
    }
    if (winner) {
        p.setPen(QPen(QColor(255, 215, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRect(localCard(0), QSize(73 * 4 + 71, 96)).adjusted(-3, -3, 3, 3), 5, 5);
    }
    if (table.turnHolder() == me->id) p.drawPixmap(kLocalMarker, art_.marker());
}

void TableView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!art_.background().isNull()) {
        p.drawPixmap(0, 0, art_.background());
    } else {
        p.fillRect(rect(), QColor(20, 90, 45));
    }
    for (int seat = 0; seat < kLocalSeat; ++seat) paintOpponent(p, seat);
    paintLocal(p);

    const Table& table = game_.table();
    const Player* me = table.local();
    QFont caption = font();
    caption.setPointSizeF(font().pointSizeF() * 0.9);
    p.setFont(caption);
    p.setPen(QColor(220, 235, 220));
    // Each caption ends just above its box, which would paint over its descenders.
    auto captionAbove = [&p](const QRect& box, const char* text) {
        p.drawText(box.translated(0, -box.height() - 1), Qt::AlignLeft | Qt::AlignBottom, text);
    };
    captionAbove(kLocalMoney, "Money");
    captionAbove(kHighestBet, "Highest bet");
    captionAbove(kPot, "Pot");
    p.setFont(font());
    paintBox(p, kLocalMoney, me != nullptr ? QString("%1$").arg(me->money) : QString(), QColor(255, 230, 120));
    paintBox(p, kHighestBet, QString("%1$").arg(table.highestBet()), QColor(255, 230, 120));
    paintBox(p, kPot, QString("%1$").arg(table.pot()), QColor(255, 230, 120));
    if (game_.countdownRunning()) {
        const int left = game_.secondsLeft();
        paintBox(p, kCountdown, QString::number(left), left <= kWarningSeconds ? QColor(255, 80, 60) : Qt::white);
    }
}

}  // namespace tessary::poker
