// Draws the table's pictures and synthesises its sounds at build time.
//   poker_artgen <game directory>
// writes pictures/ (background, 52 card faces and the backs, the buttons in
// their states, the turn marker), sound/ (four short waves) and session.bmp.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

#include "poker/card.h"

namespace {

using tessary::poker::Card;
using tessary::poker::rankOf;
using tessary::poker::suitOf;

constexpr QSize kCard{71, 96};
constexpr QSize kSmallCard{42, 58};
constexpr QSize kClient{645, 479};

const char16_t kSuitSymbols[] = {u'\u2663', u'\u2666', u'\u2665', u'\u2660'};  // clubs diamonds hearts spades
const char* const kRankTexts[] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A"};

bool save(const QImage& image, const QString& path) {
    if (image.save(path)) return true;
    std::fprintf(stderr, "poker_artgen: cannot write %s\n", qPrintable(path));
    return false;
}

QImage canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QFont font(int pixels, bool bold = true) {
    QFont f("DejaVu Sans");
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QColor suitColour(int suit) { return suit == 1 || suit == 2 ? QColor(200, 16, 32) : QColor(20, 20, 20); }

// ------------------------------------------------------------------ cards

QImage cardFace(Card card) {
    QImage image = canvas(kCard);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(252, 251, 246));
    p.drawRoundedRect(QRectF(0.5, 0.5, kCard.width() - 1, kCard.height() - 1), 5, 5);

    const int rank = rankOf(card);
    const int suit = suitOf(card);
    const QString rankText = kRankTexts[rank];
    const QString suitText = QString(QChar(kSuitSymbols[suit]));
    p.setPen(suitColour(suit));

    // Corner indices, the lower one turned round.
    for (int corner = 0; corner < 2; ++corner) {
        p.save();
        if (corner == 1) {
            p.translate(kCard.width(), kCard.height());
            p.rotate(180);
        }
        p.setFont(font(rankText.size() > 1 ? 12 : 14));
        p.drawText(QRect(2, 2, 18, 15), Qt::AlignCenter, rankText);
        p.setFont(font(12, false));
        p.drawText(QRect(2, 16, 18, 14), Qt::AlignCenter, suitText);
        p.restore();
    }

    // The middle: a large rank over a large suit, readable when scaled down.
    const QRect middle(14, 16, kCard.width() - 28, kCard.height() - 32);
    if (rank >= 9 && rank <= 11) {
        p.setPen(QPen(suitColour(suit), 1.5));
        p.setBrush(QColor(250, 236, 190));
        p.drawRoundedRect(middle.adjusted(1, 2, -1, -2), 3, 3);
        p.setPen(suitColour(suit));
    }
    p.setFont(font(rank == 8 ? 26 : 30));
    p.drawText(QRect(middle.x(), middle.y() + 2, middle.width(), 34), Qt::AlignCenter, rankText);
    p.setFont(font(30, false));
    p.drawText(QRect(middle.x(), middle.y() + 30, middle.width(), 34), Qt::AlignCenter, suitText);
    return image;
}

QImage cardBack(QSize size) {
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(250, 250, 250));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    const QRectF inner(3.5, 3.5, size.width() - 7, size.height() - 7);
    QLinearGradient blue(inner.topLeft(), inner.bottomRight());
    blue.setColorAt(0, QColor(30, 60, 150));
    blue.setColorAt(1, QColor(15, 30, 95));
    p.setBrush(blue);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(inner, 3, 3);
    p.setClipRect(inner);
    p.setPen(QPen(QColor(120, 150, 230, 140), 1));
    for (int d = -size.height(); d < size.width() + size.height(); d += 6) {
        p.drawLine(QPointF(d, 0), QPointF(d + size.height(), size.height()));
        p.drawLine(QPointF(d + size.height(), 0), QPointF(d, size.height()));
    }
    p.setClipping(false);
    p.setBrush(QColor(200, 160, 40));
    p.setPen(QPen(QColor(90, 60, 10), 1));
    const qreal r = size.width() / 5.0;
    p.drawEllipse(QPointF(size.width() / 2.0, size.height() / 2.0), r, r);
    return image;
}

// ------------------------------------------------------------------ table

QImage background() {
    QImage image(kClient, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient felt(QPointF(220, 200), 420);
    felt.setColorAt(0, QColor(28, 122, 62));
    felt.setColorAt(1, QColor(10, 62, 30));
    p.fillRect(image.rect(), felt);

    // Fine felt grain.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> x(0, kClient.width() - 1), y(0, kClient.height() - 1), a(8, 22);
    for (int i = 0; i < 9000; ++i) {
        p.setPen(QColor(0, 0, 0, a(rng)));
        p.drawPoint(x(rng), y(rng));
    }

    // The opponents' rail and the local player's rail.
    p.setPen(QPen(QColor(120, 80, 30), 3));
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawRoundedRect(QRectF(183, 8, 246, 318), 14, 14);
    p.drawRoundedRect(QRectF(4, 314, 376, 160), 14, 14);
    p.drawRoundedRect(QRectF(378, 330, 262, 144), 10, 10);

    // The house's name on the free felt at the left.
    p.setPen(QColor(230, 190, 80));
    p.setFont(font(26));
    p.drawText(QRect(6, 90, 172, 36), Qt::AlignCenter, "TESSARY");
    p.setFont(font(38));
    p.drawText(QRect(6, 122, 172, 48), Qt::AlignCenter, "POKER");
    p.setFont(font(12, false));
    p.setPen(QColor(200, 220, 200));
    p.drawText(QRect(6, 172, 172, 40), Qt::AlignCenter, "five-card draw\nante 5$  raises 5$-50$");

    // A few chips for decoration.
    const QColor chips[] = {QColor(200, 30, 30), QColor(30, 60, 180), QColor(240, 240, 240)};
    for (int i = 0; i < 3; ++i) {
        for (int h = 0; h < 4 - i; ++h) {
            const QRectF chip(40 + i * 40, 262 - h * 5, 30, 12);
            p.setPen(QPen(QColor(20, 20, 20), 1));
            p.setBrush(chips[i]);
            p.drawEllipse(chip);
        }
    }
    return image;
}

QImage marker() {
    QImage image = canvas({18, 18});
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 50, 0), 1));
    QRadialGradient gold(QPointF(7, 7), 10);
    gold.setColorAt(0, QColor(255, 240, 140));
    gold.setColorAt(1, QColor(220, 150, 20));
    p.setBrush(gold);
    p.drawEllipse(QRectF(1, 1, 16, 16));
    QPolygonF arrow;
    arrow << QPointF(6, 4.5) << QPointF(13, 9) << QPointF(6, 13.5);
    p.setBrush(QColor(150, 20, 20));
    p.setPen(Qt::NoPen);
    p.drawPolygon(arrow);
    return image;
}

// ------------------------------------------------------------------ buttons

enum class State { Up, Down, Sel, Dis };

QImage button(QSize size, const QString& label, State state, bool hold) {
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QColor top, bottom, text;
    switch (state) {
        case State::Up:
            top = hold ? QColor(240, 240, 230) : QColor(250, 220, 130);
            bottom = hold ? QColor(190, 190, 180) : QColor(190, 130, 40);
            text = QColor(50, 25, 0);
            break;
        case State::Sel:
            top = hold ? QColor(255, 255, 245) : QColor(255, 238, 170);
            bottom = hold ? QColor(215, 215, 205) : QColor(220, 160, 60);
            text = QColor(70, 35, 0);
            break;
        case State::Down:
            top = hold ? QColor(250, 200, 40) : QColor(170, 110, 30);
            bottom = hold ? QColor(255, 235, 120) : QColor(230, 180, 90);
            text = hold ? QColor(90, 20, 0) : QColor(40, 20, 0);
            break;
        case State::Dis:
            top = QColor(150, 150, 140);
            bottom = QColor(110, 110, 100);
            text = QColor(175, 175, 165);
            break;
    }
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0, top);
    face.setColorAt(1, bottom);
    p.setPen(QPen(QColor(60, 35, 10), 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 5, 5);
    p.setPen(text);
    p.setFont(font(hold ? 11 : 12));
    const QRect box = state == State::Down ? image.rect().translated(1, 1) : image.rect();
    p.drawText(box, Qt::AlignCenter, state == State::Down && hold ? "HELD" : label);
    return image;
}

bool writeButtons(const QString& dir) {
    struct PictureJob {
        const char* file;
        const char* label;
        QSize size;
        bool hold;
    };
    const PictureJob pictureJobs[] = {
        {"ante", "Ante", {62, 24}, false}, {"call", "Call", {62, 24}, false}, {"raise", "Raise", {62, 24}, false},
        {"fold", "Fold", {62, 24}, false}, {"ok", "OK", {62, 24}, false},    {"exit", "Exit", {62, 24}, false},
        {"hold", "HOLD", {63, 18}, true},
    };
    const std::pair<State, const char*> states[] = {
        {State::Up, "up"}, {State::Down, "down"}, {State::Sel, "sel"}, {State::Dis, "dis"}};
    bool ok = true;
    for (const PictureJob& s : pictureJobs) {
        for (const auto& [state, name] : states) {
            ok = save(button(s.size, s.label, state, s.hold), QString("%1/%2_%3.png").arg(dir, s.file, name)) && ok;
        }
    }
    return ok;
}

QImage sessionPicture() {
    QImage image(80, 60, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient felt(QPointF(40, 30), 50);
    felt.setColorAt(0, QColor(30, 130, 65));
    felt.setColorAt(1, QColor(10, 60, 30));
    p.fillRect(image.rect(), felt);
    const Card fan[] = {tessary::poker::makeCard(12, 3), tessary::poker::makeCard(12, 2)};
    for (int i = 0; i < 2; ++i) {
        p.save();
        p.translate(28 + i * 14, 6);
        p.rotate(-10 + i * 20);
        p.drawImage(QRect(0, 0, 24, 33), cardFace(fan[i]));
        p.restore();
    }
    p.setPen(QColor(240, 200, 90));
    p.setFont(font(12));
    p.drawText(QRect(0, 42, 80, 16), Qt::AlignCenter, "POKER");
    return image;
}

// ------------------------------------------------------------------ sounds

constexpr int kRate = 22050;

bool writeWave(const QString& path, const std::vector<double>& samples) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + dataSize);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(dataSize);
    for (double s : samples) u16(static_cast<uint16_t>(static_cast<int16_t>(std::clamp(s, -1.0, 1.0) * 30000)));
    if (!out) std::fprintf(stderr, "poker_artgen: cannot write %s\n", qPrintable(path));
    return static_cast<bool>(out);
}

std::vector<double> tone(double hz, double seconds, double decay, double volume = 0.5) {
    std::vector<double> s(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t * 400);
        s[i] = volume * attack * std::exp(-decay * t) * std::sin(2 * M_PI * hz * t);
    }
    return s;
}

void append(std::vector<double>& to, const std::vector<double>& more) { to.insert(to.end(), more.begin(), more.end()); }

bool writeSounds(const QString& dir) {
    std::vector<double> click = tone(1500, 0.04, 120, 0.6);

    std::vector<double> flick(static_cast<size_t>(0.09 * kRate));
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-1, 1);
    double low = 0;
    for (size_t i = 0; i < flick.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        low = 0.6 * low + 0.4 * noise(rng);
        flick[i] = 0.7 * low * std::exp(-45 * t);
    }

    std::vector<double> beeps = tone(880, 0.12, 6);
    append(beeps, std::vector<double>(static_cast<size_t>(0.08 * kRate), 0.0));
    append(beeps, tone(880, 0.12, 6));

    std::vector<double> fanfare;
    for (double hz : {523.25, 659.25, 783.99}) append(fanfare, tone(hz, 0.11, 8, 0.45));
    append(fanfare, tone(1046.5, 0.35, 5, 0.45));

    return writeWave(dir + "/button.wav", click) && writeWave(dir + "/card.wav", flick) &&
           writeWave(dir + "/timer.wav", beeps) && writeWave(dir + "/winner.wav", fanfare);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: poker_artgen <game directory>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString pictures = root + "/pictures";
    for (const QString& dir : {pictures + "/cards", pictures + "/buttons", root + "/sound"}) QDir().mkpath(dir);

    bool ok = save(background(), pictures + "/background.png");
    ok = save(marker(), pictures + "/marker.png") && ok;
    for (Card c = 0; c < tessary::poker::kCardCount; ++c) {
        ok = save(cardFace(c), QString("%1/cards/card%2.png").arg(pictures).arg(c, 2, 10, QChar('0'))) && ok;
    }
    ok = save(cardBack(kCard), pictures + "/cards/back.png") && ok;
    ok = save(cardBack(kSmallCard), pictures + "/cards/back_small.png") && ok;
    ok = writeButtons(pictures + "/buttons") && ok;
    ok = save(sessionPicture(), root + "/session.bmp") && ok;
    ok = writeSounds(root + "/sound") && ok;
    return ok ? 0 : 1;
}
