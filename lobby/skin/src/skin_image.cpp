#include "skin/skin_image.h"

#include <QPainter>
#include <cstring>

namespace tessary::skin {

QImage toQImage(const desktop::DecodedImage& decoded) {
    if (decoded.width <= 0 || decoded.height <= 0) return {};
    QImage image(decoded.width, decoded.height, QImage::Format_RGB32);
    const std::size_t rowBytes = static_cast<std::size_t>(decoded.width) * 4;
    for (int y = 0; y < decoded.height; ++y) {
        std::memcpy(image.scanLine(y),
                    decoded.pixels.data() + static_cast<std::size_t>(y) * decoded.width, rowBytes);
    }
    return image;
}

void SkinImage::setImage(const QImage& image) {
    image_ = image.convertToFormat(QImage::Format_RGB32);
    transparent_ = QImage();
}

void SkinImage::setImage(const desktop::DecodedImage& decoded) {
    setImage(toQImage(decoded));
}

void SkinImage::clear() {
    image_ = QImage();
    transparent_ = QImage();
}

void SkinImage::draw(QPainter& painter, QPoint topLeft) const {
    if (!isNull()) painter.drawImage(topLeft, image_);
}

void SkinImage::drawStretched(QPainter& painter, const QRect& target) const {
    if (!isNull()) painter.drawImage(target, image_);
}

void SkinImage::drawTiled(QPainter& painter, const QRect& target) const {
    if (isNull() || target.isEmpty()) return;
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    for (int y = target.top(); y <= target.bottom(); y += height()) {
        for (int x = target.left(); x <= target.right(); x += width()) {
            painter.drawImage(QPoint(x, y), image_);
        }
    }
    painter.restore();
}

void SkinImage::drawTransparent(QPainter& painter, QPoint topLeft) const {
    if (isNull()) return;
    if (transparent_.isNull()) {
        transparent_ = image_.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < transparent_.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(transparent_.scanLine(y));
            for (int x = 0; x < transparent_.width(); ++x) {
                if ((row[x] & 0x00FFFFFF) == 0) row[x] = 0;
            }
        }
    }
    painter.drawImage(topLeft, transparent_);
}

}  // namespace tessary::skin
