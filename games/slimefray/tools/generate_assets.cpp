// Generates Slimefray's data at build time: the program's pictures, sounds,
// maps and theme names, and the service's themes.
//
//   generate_assets <game directory> <service theme directory>
//
// Pictures are 24-bit .bmp files; black (0, 0, 0) is the transparent colour of
// sprites, so sprites never use it for themselves.
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <random>

#include "desktop/image_writers.h"
#include "slimefray/map_file.h"

namespace fs = std::filesystem;
using namespace tessary::slimefray;

namespace {

constexpr int kCell = 50;
constexpr double kPi = std::numbers::pi;

// Qt's pictures into our writer, so the program reads exactly what we wrote.
void saveBmp(const QImage& picture, const fs::path& path) {
    QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    tessary::desktop::DecodedImage image{rgb.width(), rgb.height(), {}};
    image.pixels.reserve(size_t(rgb.width()) * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) image.pixels.push_back(rgb.pixel(x, y) | 0xFF000000u);
    }
    fs::create_directories(path.parent_path());
    Bytes bytes = tessary::desktop::encodeBmp24(image);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

QImage canvas(int width, int height, QColor fill = Qt::black) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Never pure black inside a sprite: that colour is see-through.
QColor solid(QColor c) {
    if (c.red() == 0 && c.green() == 0 && c.blue() == 0) c = QColor(1, 1, 1);
    return c;
}

void drawBlob(QPainter& p, QRectF box, QColor colour, double squash, double lookX) {
    const double w = box.width() * (0.80 + 0.08 * squash);
    const double h = box.height() * (0.74 - 0.08 * squash);
    QRectF body(box.center().x() - w / 2, box.bottom() - 5 - h, w, h);
    QRadialGradient shade(body.center() + QPointF(-w * 0.18, -h * 0.22), w * 0.75);
    shade.setColorAt(0, solid(colour.lighter(165)));
    shade.setColorAt(0.55, solid(colour));
    shade.setColorAt(1, solid(colour.darker(210)));
    p.setPen(QPen(solid(colour.darker(300)), 1.5));
    p.setBrush(shade);
    QPainterPath shape;
    shape.moveTo(body.left(), body.bottom());
    shape.cubicTo(body.left() - 2, body.top() + h * 0.2, body.left() + w * 0.2, body.top() - 2, body.center().x(), body.top());
    shape.cubicTo(body.right() - w * 0.2, body.top() - 2, body.right() + 2, body.top() + h * 0.2, body.right(), body.bottom());
    shape.closeSubpath();
    p.drawPath(shape);
    // Eyes and a highlight.
    const double eyeY = body.top() + h * 0.42;
    for (double side : {-1.0, 1.0}) {
        QPointF eye(body.center().x() + side * w * 0.16, eyeY);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 250, 250));
        p.drawEllipse(eye, w * 0.10, h * 0.14);
        p.setBrush(QColor(20, 20, 30));
        p.drawEllipse(eye + QPointF(lookX * w * 0.04, h * 0.02), w * 0.045, h * 0.07);
    }
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(body.left() + w * 0.28, body.top() + h * 0.2), w * 0.09, h * 0.06);
}

void makeBlobStrip(const fs::path& path, QColor colour) {
    constexpr int kFrames = 8;
    QImage image = canvas(kCell * kFrames, kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < kFrames; ++f) {
        double phase = 2 * kPi * f / kFrames;
        drawBlob(p, QRectF(f * kCell + 2, 2, kCell - 4, kCell - 4), colour, std::sin(phase), std::cos(phase));
    }
    p.end();
    saveBmp(image, path);
}

void makeExplosion(const fs::path& path) {
    constexpr int kFrames = 7;
    QImage image = canvas(kCell * kFrames, kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    std::mt19937 random(7);
    for (int f = 0; f < kFrames; ++f) {
        QPointF centre(f * kCell + 25, 25);
        double radius = 6 + f * 3.2;
        QRadialGradient fire(centre, radius);
        fire.setColorAt(0, QColor(255, 255, 200));
        fire.setColorAt(0.4, QColor(255, 190, 40));
        fire.setColorAt(0.8, QColor(220, 60, 10));
        fire.setColorAt(1, QColor(90, 20, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(fire);
        QPainterPath star;
        for (int i = 0; i < 16; ++i) {
            double a = 2 * kPi * i / 16;
            double r = radius * (i % 2 ? 0.65 : 1.0) * (0.85 + 0.3 * (random() % 100) / 100.0);
            QPointF point = centre + QPointF(std::cos(a) * r, std::sin(a) * r);
            i ? star.lineTo(point) : star.moveTo(point);
        }
        star.closeSubpath();
        p.drawPath(star);
    }
    p.end();
    saveBmp(image, path);
}

void makeCyclone(const fs::path& path) {
    constexpr int kFrames = 8;
    QImage image = canvas(kCell * kFrames, kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < kFrames; ++f) {
        QPointF centre(f * kCell + 25, 25);
        for (int arm = 0; arm < 3; ++arm) {
            QPainterPath spiral;
            for (int s = 0; s <= 40; ++s) {
                double t = s / 40.0;
                double a = 2 * kPi * (arm / 3.0 + t * 1.3) + f * kPi / 4;
                QPointF point = centre + QPointF(std::cos(a), std::sin(a) * 0.8) * (3 + t * 21);
                s ? spiral.lineTo(point) : spiral.moveTo(point);
            }
            p.setPen(QPen(QColor(170 + arm * 25, 200 + arm * 15, 230), 3.2 - arm * 0.6, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(spiral);
        }
    }
    p.end();
    saveBmp(image, path);
}

void makeMineStrip(const fs::path& path) {
    constexpr int kFrames = 4;
    QImage image = canvas(kCell * kFrames, kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < kFrames; ++f) {
        QPointF centre(f * kCell + 25, 27);
        p.setPen(QPen(QColor(60, 60, 70), 3));
        for (int i = 0; i < 8; ++i) {
            double a = kPi * i / 4;
            p.drawLine(centre, centre + QPointF(std::cos(a), std::sin(a)) * 15);
        }
        QRadialGradient metal(centre + QPointF(-3, -3), 12);
        metal.setColorAt(0, QColor(150, 150, 160));
        metal.setColorAt(1, QColor(40, 40, 50));
        p.setPen(Qt::NoPen);
        p.setBrush(metal);
        p.drawEllipse(centre, 11, 11);
        p.setBrush(f % 2 ? QColor(255, 40, 40) : QColor(110, 20, 20));
        p.drawEllipse(centre + QPointF(0, -2), 3.5, 3.5);
    }
    p.end();
    saveBmp(image, path);
}

void makeHyper(const fs::path& path) {
    QImage image = canvas(kCell, kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 220, 255), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(25, 25), 22, 22);
    p.setPen(QPen(QColor(200, 245, 255), 1.5));
    p.drawEllipse(QPointF(25, 25), 18.5, 18.5);
    p.end();
    saveBmp(image, path);
}

void makeHighlight(const fs::path& path) {
    QImage image = canvas(kCell, kCell);
    QPainter p(&image);
    p.setPen(QPen(QColor(255, 240, 90), 3));
    p.drawRect(QRectF(2.5, 2.5, 45, 45));
    p.setPen(QPen(QColor(255, 255, 200), 1));
    p.drawRect(QRectF(5.5, 5.5, 39, 39));
    p.end();
    saveBmp(image, path);
}

// Power icons, 50x50 on an opaque dark tile.
void makePowerIcon(const fs::path& path, int kind) {
    QImage image = canvas(kCell, kCell, QColor(30, 26, 50));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(25, 25, 25);
    glow.setColorAt(0, QColor(90, 80, 150));
    glow.setColorAt(1, QColor(30, 26, 50));
    p.fillRect(image.rect(), glow);
    p.setPen(QPen(QColor(200, 190, 255), 2));
    p.drawRoundedRect(QRectF(1.5, 1.5, 47, 47), 6, 6);
    switch (kind) {
        case 0: {  // mine
            p.setPen(QPen(QColor(220, 220, 230), 3));
            for (int i = 0; i < 8; ++i) {
                double a = kPi * i / 4;
                p.drawLine(QPointF(25, 26), QPointF(25 + std::cos(a) * 16, 26 + std::sin(a) * 16));
            }
            p.setBrush(QColor(80, 80, 90));
            p.drawEllipse(QPointF(25, 26), 10, 10);
            p.setBrush(QColor(255, 50, 50));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(25, 24), 3, 3);
            break;
        }
        case 1: {  // kamikaze: a burst
            QPainterPath star;
            for (int i = 0; i < 18; ++i) {
                double a = 2 * kPi * i / 18;
                double r = i % 2 ? 8 : 20;
                QPointF point(25 + std::cos(a) * r, 25 + std::sin(a) * r);
                i ? star.lineTo(point) : star.moveTo(point);
            }
            star.closeSubpath();
            p.setPen(QPen(QColor(255, 240, 150), 1));
            p.setBrush(QColor(255, 120, 30));
            p.drawPath(star);
            break;
        }
        case 2: {  // cyclone
            QPainterPath spiral;
            for (int s = 0; s <= 60; ++s) {
                double t = s / 60.0;
                double a = 2 * kPi * t * 2.2;
                QPointF point(25 + std::cos(a) * (2 + t * 18), 25 + std::sin(a) * (2 + t * 15));
                s ? spiral.lineTo(point) : spiral.moveTo(point);
            }
            p.setPen(QPen(QColor(190, 230, 255), 3, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(spiral);
            break;
        }
        case 3: {  // hyper: a shield
            QPainterPath shield;
            shield.moveTo(25, 8);
            shield.lineTo(40, 14);
            shield.cubicTo(40, 30, 33, 38, 25, 43);
            shield.cubicTo(17, 38, 10, 30, 10, 14);
            shield.closeSubpath();
            p.setPen(QPen(QColor(220, 250, 255), 2));
            p.setBrush(QColor(60, 170, 230));
            p.drawPath(shield);
            break;
        }
        case 4: {  // teleport: two rings and an arrow
            p.setPen(QPen(QColor(255, 150, 255), 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(15, 33), 8, 4);
            p.drawEllipse(QPointF(35, 17), 8, 4);
            p.setPen(QPen(QColor(255, 220, 255), 2.5, Qt::DashLine));
            p.drawLine(QPointF(17, 29), QPointF(33, 19));
            break;
        }
    }
    p.end();
    saveBmp(image, path);
}

using TilePainter = std::function<void(QPainter&, std::mt19937&)>;

QImage tile(QColor base, QColor speckle, int speckles, uint32_t seed, const TilePainter& extra = {}) {
    QImage image = canvas(kCell, kCell, base);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    std::mt19937 random(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < speckles; ++i) {
        QColor c = speckle;
        int shade = int(random() % 40) - 20;
        c.setRgb(std::clamp(c.red() + shade, 1, 255), std::clamp(c.green() + shade, 1, 255), std::clamp(c.blue() + shade, 1, 255));
        p.setBrush(c);
        p.drawEllipse(QPointF(random() % 50, random() % 50), 1 + random() % 3, 1 + random() % 2);
    }
    if (extra) extra(p, random);
    p.setPen(QPen(base.darker(125), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kCell - 1, kCell - 1);
    p.end();
    return image;
}

void rock(QPainter& p, QColor colour) {
    QPainterPath stone;
    stone.moveTo(6, 42);
    stone.cubicTo(4, 20, 14, 6, 28, 7);
    stone.cubicTo(42, 8, 47, 24, 45, 42);
    stone.closeSubpath();
    QLinearGradient shade(10, 8, 40, 45);
    shade.setColorAt(0, colour.lighter(140));
    shade.setColorAt(1, colour.darker(160));
    p.setPen(QPen(colour.darker(220), 1.5));
    p.setBrush(shade);
    p.drawPath(stone);
}

struct ThemeStyle {
    const char* name;
    QColor floor, speckle, stone, special, specialLight;
};

const ThemeStyle kThemes[] = {
    {"Meadow", QColor(84, 140, 62), QColor(120, 180, 80), QColor(130, 125, 115), QColor(40, 110, 40), QColor(90, 170, 70)},
    {"Cavern", QColor(72, 66, 78), QColor(100, 92, 110), QColor(120, 110, 130), QColor(70, 150, 200), QColor(170, 230, 255)},
    {"Lava", QColor(58, 48, 44), QColor(90, 70, 60), QColor(100, 80, 72), QColor(200, 70, 20), QColor(255, 190, 60)},
};

QImage specialTile(const ThemeStyle& style, int frame) {
    return tile(style.floor, style.speckle, 30, 11, [&](QPainter& p, std::mt19937&) {
        // Kind 2: a bush, a crystal or a lava pool, pulsing with the frame.
        double pulse = 0.5 + 0.5 * std::sin(frame * kPi / 3);
        QRadialGradient glow(25, 27, 22);
        glow.setColorAt(0, style.specialLight);
        glow.setColorAt(0.6 + 0.2 * pulse, style.special);
        glow.setColorAt(1, style.special.darker(170));
        p.setPen(QPen(style.special.darker(200), 1.5));
        p.setBrush(glow);
        p.drawEllipse(QPointF(25, 27), 19 + pulse, 16 + pulse);
    });
}

void makeThemes(const fs::path& serverThemes, const fs::path& gameDirectory) {
    fs::create_directories(gameDirectory / "theme");
    int number = 1;
    for (const ThemeStyle& style : kThemes) {
        fs::path dir = serverThemes / style.name;
        saveBmp(tile(style.floor, style.speckle, 40, 3), dir / "1.bmp");
        saveBmp(tile(style.floor, style.speckle, 30, 5, [&](QPainter& p, std::mt19937&) { rock(p, style.stone); }),
                dir / "2.bmp");
        saveBmp(specialTile(style, 0), dir / "3.bmp");
        std::ofstream(dir / "anim") << number << "\n";
        // The obstacle animation strip of kind 2 cells, 6 frames.
        QImage strip = canvas(kCell * 6, kCell);
        QPainter p(&strip);
        for (int f = 0; f < 6; ++f) p.drawImage(f * kCell, 0, specialTile(style, f));
        p.end();
        saveBmp(strip, gameDirectory / "bitmaps" / "anim" / (std::to_string(number) + ".bmp"));
        std::ofstream(gameDirectory / "theme" / (std::string(style.name) + ".thm"));
        ++number;
    }
}

// The start picture's evening sky with four blobs in a row, `step` apart.
void drawBlobRow(QPainter& p, const QRect& area, QRectF first, double step) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, area.height());
    sky.setColorAt(0, QColor(20, 30, 80));
    sky.setColorAt(1, QColor(70, 30, 90));
    p.fillRect(area, sky);
    const QColor colours[] = {QColor(0, 0, 255), QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 255, 0)};
    for (int i = 0; i < 4; ++i) {
        drawBlob(p, first.translated(i * step, 0), colours[i], i % 2 ? 0.6 : -0.4, i - 1.5);
    }
}

void makeStartPicture(const fs::path& path) {
    QImage image = canvas(400, 300);
    QPainter p(&image);
    drawBlobRow(p, image.rect(), QRectF(40, 170, 70, 70), 85);
    QFont font("DejaVu Sans", 42, QFont::Bold);
    p.setFont(font);
    p.setPen(QColor(1, 1, 1));
    p.drawText(QRect(3, 43, 400, 80), Qt::AlignCenter, "Slimefray");
    p.setPen(QColor(140, 255, 120));
    p.drawText(QRect(0, 40, 400, 80), Qt::AlignCenter, "Slimefray");
    p.setFont(QFont("DejaVu Sans", 11));
    p.setPen(QColor(220, 220, 255));
    p.drawText(QRect(0, 115, 400, 30), Qt::AlignCenter, "a battle of spreading blobs");
    p.end();
    saveBmp(image, path);
}

// The lobby's session tile: the same size as the other games' tiles.
void makeSessionPicture(const fs::path& path) {
    QImage image = canvas(80, 60);
    QPainter p(&image);
    drawBlobRow(p, image.rect(), QRectF(4, 30, 16, 16), 19);
    p.setFont(QFont("DejaVu Sans", 9, QFont::Bold));
    p.setPen(QColor(140, 255, 120));
    p.drawText(QRect(0, 4, 80, 20), Qt::AlignCenter, "Slimefray");
    p.end();
    saveBmp(image, path);
}

void makeMinimapBackground(const fs::path& path) {
    QImage image = canvas(162, 185, QColor(40, 40, 60));
    QPainter p(&image);
    QLinearGradient strip(0, 0, 0, 29);
    strip.setColorAt(0, QColor(90, 90, 150));
    strip.setColorAt(1, QColor(50, 50, 90));
    p.fillRect(0, 0, 162, 29, strip);
    p.setPen(QColor(230, 230, 255));
    p.setFont(QFont("DejaVu Sans", 9, QFont::Bold));
    p.drawText(QRect(8, 0, 120, 29), Qt::AlignVCenter | Qt::AlignLeft, "Map");
    p.setPen(QColor(20, 20, 30));
    p.drawRect(5, 28, 151, 151);
    p.end();
    saveBmp(image, path);
}

void makePanel(const fs::path& path) {
    QImage image = canvas(240, 400, QColor(28, 24, 44));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient top(0, 0, 0, 400);
    top.setColorAt(0, QColor(50, 40, 90));
    top.setColorAt(1, QColor(20, 18, 34));
    p.fillRect(image.rect(), top);
    p.setPen(QPen(QColor(150, 130, 220), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2, 2, 236, 396), 8, 8);
    p.setFont(QFont("DejaVu Sans", 10, QFont::Bold));
    p.setPen(QColor(200, 190, 255));
    p.drawText(QRect(12, 174, 110, 20), Qt::AlignLeft, "Players");
    p.drawText(QRect(150, 290, 84, 20), Qt::AlignHCenter, "Power");
    p.setPen(QPen(QColor(150, 130, 220), 1));
    p.drawRect(175, 313, 53, 53);
    p.end();
    saveBmp(image, path);
}

void makeSwitch(const fs::path& path, bool on) {
    QImage image = canvas(40, 20, QColor(30, 30, 40));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(on ? QColor(60, 180, 70) : QColor(90, 90, 100));
    p.setPen(QColor(200, 200, 210));
    p.drawRoundedRect(QRectF(1, 1, 38, 18), 9, 9);
    p.setBrush(QColor(240, 240, 240));
    p.drawEllipse(QPointF(on ? 30 : 10, 10), 7, 7);
    p.end();
    saveBmp(image, path);
}

// 16-bit mono PCM.
void saveWav(const fs::path& path, const std::vector<int16_t>& samples, int rate) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t bytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(uint32_t(rate));
    u32(uint32_t(rate) * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    out.write(reinterpret_cast<const char*>(samples.data()), std::streamsize(bytes));
}

// A sound from a function of time (seconds) giving -1..1.
void makeSound(const fs::path& path, double seconds, const std::function<double(double)>& wave) {
    constexpr int kRate = 22050;
    std::vector<int16_t> samples(size_t(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i) {
        double t = double(i) / kRate;
        double fade = std::min(1.0, (seconds - t) * 40);  // no click at the end
        samples[i] = int16_t(std::clamp(wave(t) * fade, -1.0, 1.0) * 26000);
    }
    saveWav(path, samples, kRate);
}

void makeSounds(const fs::path& dir) {
    std::mt19937 random(3);
    auto noise = [&]() { return (double(random() % 20001) - 10000) / 10000; };
    makeSound(dir / "intro.wav", 1.2, [](double t) {
        const double notes[] = {392, 523.25, 659.25, 783.99};
        int n = std::min(3, int(t / 0.22));
        double local = t - n * 0.22;
        return 0.5 * std::sin(2 * kPi * notes[n] * t) * std::exp(-local * 3);
    });
    makeSound(dir / "minearm.wav", 0.25, [](double t) { return 0.6 * std::sin(2 * kPi * (t < 0.1 ? 880 : 660) * t) * std::exp(-t * 8); });
    makeSound(dir / "explo.wav", 0.8, [&](double t) { return noise() * std::exp(-t * 5) * 0.9; });
    double low = 0;
    makeSound(dir / "mineboom.wav", 1.0, [&](double t) {
        low += 0.08 * (noise() - low);
        return 3 * low * std::exp(-t * 3.5) + 0.4 * std::sin(2 * kPi * 55 * t) * std::exp(-t * 4);
    });
    double smooth = 0;
    makeSound(dir / "cyclone.wav", 1.0, [&](double t) {
        double cut = 0.02 + 0.3 * std::sin(kPi * t);
        smooth += cut * (noise() - smooth);
        return smooth * 1.4 * std::sin(kPi * t);
    });
    makeSound(dir / "shield.wav", 0.5, [](double t) { return 0.5 * std::sin(2 * kPi * (300 + 900 * t) * t) * (1 - t * 1.6); });
    makeSound(dir / "tele.wav", 0.6, [](double t) { return 0.45 * std::sin(2 * kPi * (1200 - 800 * t + 80 * std::sin(60 * t)) * t); });
    makeSound(dir / "power.wav", 0.5, [](double t) {
        return 0.4 * (std::sin(2 * kPi * 1046.5 * t) + (t > 0.12 ? std::sin(2 * kPi * 1568 * t) : 0)) * std::exp(-t * 5);
    });
}

MapData symmetricMap(int side, const std::function<uint8_t(int, int)>& quarter) {
    MapData map{side, Bytes(size_t(side) * size_t(side), 0)};
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            int qx = std::min(x, side - 1 - x), qy = std::min(y, side - 1 - y);
            map.columns[size_t(x) * side + y] = quarter(std::min(qx, qy), std::max(qx, qy));
        }
    }
    return map;
}

void saveMap(const fs::path& path, const MapData& map) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << formatMap(map);
}

void makeMaps(const fs::path& dir) {
    // Small and open, four pillars.
    saveMap(dir / "Duel.map", symmetricMap(8, [](int a, int b) -> uint8_t { return a == 2 && b == 2 ? 1 : 0; }));
    // Pillars in a grid.
    saveMap(dir / "Arena.map", symmetricMap(12, [](int a, int b) -> uint8_t { return a % 3 == 2 && b % 3 == 2 ? 1 : 0; }));
    // A cross of kind 2 walls with gaps.
    saveMap(dir / "Crossroads.map", symmetricMap(20, [](int a, int b) -> uint8_t {
        if (b >= 9 && a != 4 && a != 0) return 2;
        return (a == 3 && b == 3) ? 1 : 0;
    }));
    // Islands of floor in rock.
    saveMap(dir / "Islands.map", symmetricMap(16, [](int a, int b) -> uint8_t {
        bool channel = a == 5 || b == 5 || (a + b) % 11 == 10;
        return channel && a != 2 && b != 2 ? 1 : 0;
    }));
    // A maze of short walls.
    MapData maze{24, Bytes(24 * 24, 0)};
    for (int x = 0; x < 24; ++x) {
        for (int y = 0; y < 24; ++y) {
            bool wall = (x % 6 == 3 && y % 8 < 5) || (y % 6 == 3 && x % 8 > 3);
            maze.columns[size_t(x) * 24 + y] = wall ? ((x + y) % 2 ? 1 : 2) : 0;
        }
    }
    saveMap(dir / "Maze.map", maze);
    // A large field with scattered rocks.
    MapData grand = symmetricMap(40, [&](int a, int b) -> uint8_t {
        unsigned roll = (unsigned(a) * 7919u + unsigned(b) * 104729u) % 23u;
        if (a < 2) return 0;
        return roll == 0 ? 1 : roll == 1 ? 2 : 0;
    });
    saveMap(dir / "Grand.map", grand);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <game directory> <service theme directory>\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const fs::path game = argv[1];
    const fs::path themes = argv[2];
    const fs::path bitmaps = game / "bitmaps";

    const std::pair<const char*, QColor> blobs[] = {
        {"bleublob.bmp", QColor(40, 60, 255)},     {"redblob.bmp", QColor(230, 30, 30)},
        {"blackblob.bmp", QColor(55, 55, 60)},     {"yellowblob.bmp", QColor(245, 225, 30)},
        {"greenblob.bmp", QColor(40, 210, 40)},    {"purpleblob.bmp", QColor(200, 40, 210)},
        {"turquoiseblob.bmp", QColor(30, 215, 215)}, {"orangeblob.bmp", QColor(255, 135, 20)},
    };
    for (const auto& [file, colour] : blobs) makeBlobStrip(bitmaps / "Blobs" / file, colour);
    makeExplosion(bitmaps / "anim" / "boom.bmp");
    makeCyclone(bitmaps / "powers" / "cycl.bmp");
    makeHyper(bitmaps / "powers" / "hyper.bmp");
    makeMineStrip(bitmaps / "powers" / "mine.bmp");
    const char* icons[] = {"lmine.bmp", "lKam.bmp", "lcycl.bmp", "lhyper.bmp", "ltele.bmp"};
    for (int kind = 0; kind < 5; ++kind) makePowerIcon(bitmaps / "powers" / icons[kind], kind);
    makeHighlight(bitmaps / "hilight.bmp");
    makeStartPicture(bitmaps / "quillon2.bmp");
    makeMinimapBackground(bitmaps / "map.bmp");
    makePanel(bitmaps / "panel.bmp");
    makeSessionPicture(game / "session.bmp");
    makeSwitch(game / "on.bmp", true);
    makeSwitch(game / "off.bmp", false);
    makeThemes(themes, game);
    makeSounds(game / "sounds");
    makeMaps(game / "map");
    return 0;
}
