#include "lobby/credits_box.h"

#include <QPainter>

#include "lobby/skin_extras.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {

namespace {
constexpr int kWidth = 420;
constexpr int kHeight = 320;
constexpr int kClosingHeight = 90;
constexpr int kPicture = 96;
}  // namespace

CreditsBox::CreditsBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Credits");
    setFixedSize(kWidth, kHeight);
    // The stock photos stand for the team's pictures.
    const std::pair<const char*, const char*> team[] = {
        {"The lobby", "windows, skins and sounds"},
        {"The service", "Router, Arenas and game server"},
        {"Slimefray", "rules, referee and artwork"},
        {"Poker", "tables and cards"},
        {"Testing", "every visit, end to end"},
    };
    int number = 1;
    for (const auto& [name, role] : team) {
        QPixmap picture(QString::fromStdString(
            skin::applicationPath("data\\Picture\\" + std::to_string(number++) + ".jpg").string()));
        credits_.push_back({name, role, picture});
    }
    connect(&timer_, &QTimer::timeout, this, &CreditsBox::tick);
    timer_.start(kTickMs);
}

int CreditsBox::contentHeight() const { return static_cast<int>(credits_.size()) * kRowHeight + kClosingHeight; }

void CreditsBox::tick() {
    const int end = std::max(0, contentHeight() - height());
    offset_ = std::min(offset_ + kStep, end);
    if (offset_ >= end) timer_.stop();
    update();
}

void CreditsBox::mousePressEvent(QMouseEvent*) { accept(); }

void CreditsBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(12, 18, 32));
    QFont font = defaultFont();
    font.setFamily("Arial");  // DejaVu Sans stands in where Arial is missing
    for (size_t i = 0; i < credits_.size(); ++i) {
        const int top = static_cast<int>(i) * kRowHeight - offset_;
        if (top + kRowHeight < 0 || top > height()) continue;
        const bool left = i % 2 == 0;
        const QRect pictureRect(left ? 16 : width() - 16 - kPicture, top + (kRowHeight - kPicture) / 2, kPicture,
                                kPicture);
        if (!credits_[i].picture.isNull()) p.drawPixmap(pictureRect, credits_[i].picture);
        const QRect textRect(left ? 16 + kPicture + 16 : 16, top + 30, width() - kPicture - 48, 70);
        const auto align = (left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop;
        font.setBold(true);
        font.setPointSize(14);
        p.setFont(font);
        p.setPen(QColor(255, 168, 0));
        p.drawText(textRect, align, credits_[i].name);
        font.setBold(false);
        font.setPointSize(10);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(textRect.adjusted(0, 28, 0, 0), align, credits_[i].role);
    }
    const int closing = static_cast<int>(credits_.size()) * kRowHeight - offset_;
    p.setPen(Qt::white);
    p.drawText(QRect(0, closing, width(), 30), Qt::AlignCenter, "Thank you for playing on Tessary!");
    p.drawText(QRect(0, closing + 30, width(), 50), Qt::AlignCenter | Qt::TextWordWrap,
               "This software is based in part on the work of the Independent JPEG Group.");
}

}  // namespace tessary::lobby
