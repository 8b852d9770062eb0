// The lobby's vertical picture scroll bar: four arrow pictures from the skin,
// a track and a thumb in plain colours. It sits at the right edge of the
// window it scrolls (narrowing it while shown) and sends that window line,
// page and thumb requests; the window answers by setting the position.
#pragma once

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <string_view>

#include "controls/scroll_geometry.h"
#include "skin/skin_image.h"

namespace tessary::controls {

class Scrollbar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFirstRepeatMs = 500;
    static constexpr int kRepeatMs = 50;
    static inline const QColor kThumbColour{0, 85, 190};

    // The arrow pictures ("scrollupup.bmp", "scrollupdown.bmp",
    // "scrolldownup.bmp", "scrolldowndown.bmp") come from the skin directory,
    // or from `pictureDirectory` with the session skin directory as fallback.
    // A missing picture throws SkinFatalError, as every skin picture does.
    explicit Scrollbar(QWidget* parent, std::string_view pictureDirectory = {});

    // Scrolls `target` (a sibling, same parent) whose whole area is
    // `targetArea`: the bar takes the right edge of that area while shown.
    void attach(QWidget* target, const QRect& targetArea);
    QWidget* target() const { return target_; }
    QRect targetArea() const { return targetArea_; }

    void setRange(int minimum, int maximum, int position);
    void setPosition(int position);
    ScrollRange range() const { return geometry_.range(); }
    const ScrollGeometry& scrollGeometry() const { return geometry_; }

    // Set by default: the bar hides itself (and the target takes the full
    // width) while the range holds a single position.
    void setAutoHide(bool autoHide);
    void setTrackColour(const QColor& colour);
    ScrollPart pressedPart() const { return pressed_; }
    int barWidth() const { return upAtRest_.width(); }

signals:
    void scrollRequested(ScrollRequest request, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void updateVisibility();
    void sendPressed();
    void repeat();
    void release();

    skin::SkinImage upAtRest_;
    skin::SkinImage upPressed_;
    skin::SkinImage downAtRest_;
    skin::SkinImage downPressed_;
    QColor trackColour_{Qt::black};
    ScrollGeometry geometry_{0, 0, 0, 0};
    QPointer<QWidget> target_;
    QRect targetArea_;
    bool autoHide_ = true;
    bool updatingTarget_ = false;
    ScrollPart pressed_ = ScrollPart::None;
    int dragOffset_ = 0;
    int lastSent_ = 0;
    QTimer repeatTimer_;
};

}  // namespace tessary::controls
