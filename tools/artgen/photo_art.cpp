// Stock player photos, the default photo and the advertisement panel's
// default banner.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "artgen.h"
#include "default_settings.h"
#include "theme.h"

namespace tessary::artgen {
namespace {

constexpr int kPhotoSide = 128;

// A stylised portrait: a coloured backdrop, shoulders, a head and hair, in
// colours that differ from photo to photo.
QImage portrait(int number) {
    const int hue = (number * 47) % 360;
    const QColor backdrop = QColor::fromHsv(hue, 150, 170);
    const QColor shirt = QColor::fromHsv((hue + 180) % 360, 170, 200);
    static const QColor kSkins[] = {QColor(241, 203, 170), QColor(224, 172, 130),
                                    QColor(176, 122, 84), QColor(120, 80, 52)};
    static const QColor kHair[] = {QColor(60, 40, 20), QColor(20, 16, 14), QColor(200, 150, 60),
                                   QColor(150, 60, 30), QColor(120, 120, 130)};
    const QColor skin = kSkins[number % 4];
    const QColor hair = kHair[(number * 3) % 5];

    QImage image(kPhotoSide, kPhotoSide, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(64, 50, 110);
    glow.setColorAt(0, backdrop.lighter(130));
    glow.setColorAt(1, backdrop.darker(170));
    p.fillRect(image.rect(), glow);

    p.setPen(Qt::NoPen);
    p.setBrush(shirt);
    p.drawRoundedRect(QRectF(18, 96, 92, 60), 30, 30);
    p.setBrush(skin.darker(110));
    p.drawRect(QRectF(56, 80, 16, 20));
    // Hair behind the head for long styles.
    if (number % 3 == 0) {
        p.setBrush(hair);
        p.drawRoundedRect(QRectF(34, 30, 60, 70), 26, 26);
    }
    p.setBrush(skin);
    p.drawEllipse(QRectF(40, 30, 48, 58));
    p.setBrush(hair);
    QPainterPath fringe;
    fringe.moveTo(38, 56);
    fringe.cubicTo(36, 20, 92, 14, 90, 56);
    fringe.cubicTo(80, 40, 50, 38, 38, 56);
    p.drawPath(fringe);
    p.setBrush(QColor(30, 30, 40));
    p.drawEllipse(QRectF(53, 57, 5, 5));
    p.drawEllipse(QRectF(70, 57, 5, 5));
    p.setPen(QPen(skin.darker(160), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(55, 66, 18, 10), -20 * 16, -140 * 16);
    if (number % 4 == 1) {  // glasses
        p.setPen(QPen(QColor(30, 30, 40), 2));
        p.drawEllipse(QRectF(48, 53, 13, 12));
        p.drawEllipse(QRectF(66, 53, 13, 12));
        p.drawLine(QPointF(61, 58), QPointF(66, 58));
    }
    p.setPen(QColor(255, 255, 255, 170));
    p.setFont(theme::font(11, true));
    p.drawText(QRect(0, 108, 120, 18), Qt::AlignRight | Qt::AlignVCenter, QString::number(number));
    return image;
}

QImage defaultPhoto() {
    QImage image(kPhotoSide, kPhotoSide, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, kPhotoSide);
    gradient.setColorAt(0, QColor(44, 56, 92));
    gradient.setColorAt(1, QColor(20, 26, 48));
    p.fillRect(image.rect(), gradient);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 110, 150));
    p.drawEllipse(QRectF(42, 24, 44, 50));
    p.drawRoundedRect(QRectF(20, 84, 88, 64), 32, 32);
    p.setPen(theme::kOrange);
    p.setFont(theme::font(26, true));
    p.drawText(QRect(42, 24, 44, 50), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

QImage banner() {
    const int width = 468, height = 60;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    theme::paintBackdrop(p, image.rect());
    QLinearGradient sweep(0, 0, width, 0);
    sweep.setColorAt(0, QColor(255, 168, 0, 0));
    sweep.setColorAt(0.5, QColor(255, 168, 0, 60));
    sweep.setColorAt(1, QColor(255, 168, 0, 0));
    p.fillRect(QRect(0, 40, width, 3), sweep);
    p.setPen(theme::kOrange);
    p.setFont(theme::font(26, true));
    p.drawText(QRect(0, 2, width, 40), Qt::AlignCenter, QStringLiteral("TESSARY"));
    p.setPen(theme::kText);
    p.setFont(theme::font(12));
    p.drawText(QRect(0, 40, width, 20), Qt::AlignCenter,
               QStringLiteral("Meet, chat and play together"));
    return image;
}

// The two sample advertisements that the local service's FTP server offers.
QImage advertisement(const QString& headline, const QString& line, QColor accent) {
    const int width = 468, height = 60;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, width, height);
    ground.setColorAt(0, accent.darker(260));
    ground.setColorAt(1, accent.darker(140));
    p.fillRect(image.rect(), ground);
    p.setPen(QPen(accent.lighter(150), 2));
    p.drawRoundedRect(QRectF(3, 3, width - 6, height - 6), 8, 8);
    p.setPen(Qt::white);
    p.setFont(theme::font(20, true));
    p.drawText(QRect(16, 4, width - 32, 32), Qt::AlignLeft | Qt::AlignVCenter, headline);
    p.setFont(theme::font(11));
    p.drawText(QRect(16, 34, width - 32, 20), Qt::AlignLeft | Qt::AlignVCenter, line);
    return image;
}

}  // namespace

void writeAdvertisements(ArtWriter& out) {
    out.writeJpeg("server/ftp/ads/slimefray.jpg",
                  advertisement(QStringLiteral("Slimefray"), QStringLiteral("Eight blobs, one board. Play it now!"),
                                QColor(40, 200, 90)),
                  90);
    out.writeJpeg("server/ftp/ads/poker.jpg",
                  advertisement(QStringLiteral("Poker night"), QStringLiteral("Tables open every evening"),
                                QColor(60, 110, 240)),
                  90);
}

void writePhotos(ArtWriter& out) {
    for (int number = 1; number <= kStockPhotoCount; ++number) {
        out.writeJpeg("data/Picture/" + std::to_string(number) + ".jpg", portrait(number), 88);
    }
    out.writeJpeg("data/Picture/defaultphoto.jpg", defaultPhoto(), 88);
    out.writeJpeg("data/default/logoquillon.jpg", banner(), 92);
}

}  // namespace tessary::artgen
