#include "skin/skin_image.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace tessary::skin {
namespace {

// A 3x2 picture with a distinct colour per pixel, and pure black at (1, 0).
SkinImage pattern() {
    QImage picture(3, 2, QImage::Format_RGB32);
    const QRgb colors[] = {qRgb(200, 0, 0), qRgb(0, 0, 0),    qRgb(0, 0, 200),
                           qRgb(1, 0, 0),   qRgb(90, 90, 90), qRgb(250, 250, 10)};
    for (int i = 0; i < 6; ++i) picture.setPixel(i % 3, i / 3, colors[i]);
    SkinImage image;
    image.setImage(picture);
    return image;
}

QImage canvas(QSize size = QSize(10, 8)) {
    QImage target(size, QImage::Format_RGB32);
    target.fill(qRgb(0, 255, 0));
    return target;
}

TEST(SkinImageTest, CopyAtItsOwnSize) {
    SkinImage image = pattern();
    QImage target = canvas();
    {
        QPainter painter(&target);
        image.draw(painter, QPoint(4, 3));
    }
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(target.pixel(4 + x, 3 + y), image.image().pixel(x, y));
    }
    EXPECT_EQ(target.pixel(3, 3), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(7, 3), qRgb(0, 255, 0));
}

TEST(SkinImageTest, TransparentLeavesPureBlackUnpainted) {
    SkinImage image = pattern();
    QImage target = canvas();
    {
        QPainter painter(&target);
        image.drawTransparent(painter, QPoint(0, 0));
    }
    EXPECT_EQ(target.pixel(1, 0), qRgb(0, 255, 0));  // pure black shows the background
    EXPECT_EQ(target.pixel(0, 1), qRgb(1, 0, 0));    // almost black is drawn
    EXPECT_EQ(target.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(target.pixel(2, 1), qRgb(250, 250, 10));
}

TEST(SkinImageTest, TileRepeatsFromTheTopLeftAndStopsAtTheEdge) {
    SkinImage image = pattern();
    QImage target = canvas(QSize(12, 9));
    const QRect area(1, 2, 8, 5);
    {
        QPainter painter(&target);
        image.drawTiled(painter, area);
    }
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) {
            QRgb expected = area.contains(x, y)
                                ? image.image().pixel((x - area.left()) % 3, (y - area.top()) % 2)
                                : qRgb(0, 255, 0);
            EXPECT_EQ(target.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(SkinImageTest, StretchFillsTheRectangle) {
    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(255, 0, 0));
    two.setPixel(1, 0, qRgb(0, 0, 255));
    SkinImage image;
    image.setImage(two);
    QImage target = canvas(QSize(10, 10));
    {
        QPainter painter(&target);
        image.drawStretched(painter, QRect(0, 0, 8, 6));
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(3, 5), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(4, 0), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(7, 5), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(8, 0), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(0, 6), qRgb(0, 255, 0));
}

TEST(SkinImageTest, NewPictureReplacesTheOldOne) {
    SkinImage image = pattern();
    QImage target = canvas();
    {
        QPainter painter(&target);
        image.drawTransparent(painter, QPoint(0, 0));  // builds the transparent copy
    }
    QImage single(1, 1, QImage::Format_RGB32);
    single.setPixel(0, 0, qRgb(0, 0, 0));
    image.setImage(single);
    target = canvas();
    {
        QPainter painter(&target);
        image.drawTransparent(painter, QPoint(0, 0));
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(2, 0), qRgb(0, 255, 0));
    image.clear();
    EXPECT_TRUE(image.isNull());
}

}  // namespace
}  // namespace tessary::skin
