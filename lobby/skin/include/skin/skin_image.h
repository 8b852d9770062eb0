// One decoded skin picture and the four ways the lobby draws it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "desktop/decoded_image.h"

class QPainter;

namespace tessary::skin {

class SkinImage {
public:
    bool isNull() const { return image_.isNull(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QSize size() const { return image_.size(); }
    const QImage& image() const { return image_; }

    // Replaces the picture held (stored as opaque 32-bit pixels).
    void setImage(const QImage& image);
    void setImage(const desktop::DecodedImage& decoded);
    void clear();

    // Copy at `topLeft` at the picture's own size.
    void draw(QPainter& painter, QPoint topLeft) const;
    // Stretched into `target`.
    void drawStretched(QPainter& painter, const QRect& target) const;
    // `target` covered from its top-left corner in steps of the picture's
    // size, cut at its edges.
    void drawTiled(QPainter& painter, const QRect& target) const;
    // Like draw, but every pure black pixel leaves what lies below visible.
    void drawTransparent(QPainter& painter, QPoint topLeft) const;

private:
    QImage image_;
    mutable QImage transparent_;  // built on first transparent draw
};

// The decoder's pixels as an opaque 32-bit image.
[[nodiscard]] QImage toQImage(const desktop::DecodedImage& decoded);

}  // namespace tessary::skin
