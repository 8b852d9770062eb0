// The lobby's owner-drawn push button: two to four pictures (up, down, hover,
// disabled) named from one prefix, a click sound, and clicks ignored while the
// program waits for the service.
#pragma once

#include <QAbstractButton>
#include <QTimer>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "skin/skin_image.h"

namespace tessary::skin {

class BitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class Face { Up, Down, Sel, Dis };

    static constexpr int kHoverPeriodMs = 100;
    static constexpr const char* kDefaultSound = "button.wav";

    BitmapButton(QWidget* parent, int commandId);

    // Loads prefix + "up.bmp" and "down.bmp" (2 pictures), + "sel.bmp" (3),
    // + "dis.bmp" (4), places the button's top-left corner at `topLeft` and
    // sizes it to the up picture. Returns false for any other count, or when a
    // picture has an unknown extension or the up picture is missing; a picture
    // file that cannot be opened throws SkinFatalError (loadImage).
    [[nodiscard]] bool create(QPoint topLeft, std::string_view prefix, int pictureCount);
    // Loads one more picture for `face` from `file` (a button of two pictures
    // that still has a disabled look). False when it has an unknown extension;
    // a file that cannot be opened throws as in create().
    [[nodiscard]] bool loadPicture(Face face, std::string_view file);

    int commandId() const { return commandId_; }
    void setSound(std::string fileName) { sound_ = std::move(fileName); }
    const std::string& sound() const { return sound_; }
    void setIgnoreWhileBusy(bool ignore) { ignoreWhileBusy_ = ignore; }
    bool ignoresWhileBusy() const { return ignoreWhileBusy_; }

    bool isHovered() const { return hovered_; }
    bool hasPicture(Face face) const { return !pictures_[index(face)].isNull(); }
    // The picture the next paint shows.
    Face currentFace() const;

    // Where the cursor is, in global coordinates (tests replace it).
    void setCursorProbe(std::function<QPoint()> probe) { cursorProbe_ = std::move(probe); }

    QSize sizeHint() const override;

signals:
    // Emitted on every completed click, with the button's command id.
    void command(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    static std::size_t index(Face face) { return static_cast<std::size_t>(face); }
    void checkHover();

    int commandId_;
    std::array<SkinImage, 4> pictures_;
    std::string sound_ = kDefaultSound;
    bool hovered_ = false;
    bool ignoreWhileBusy_ = true;
    QTimer hoverTimer_;
    std::function<QPoint()> cursorProbe_;
};

}  // namespace tessary::skin
