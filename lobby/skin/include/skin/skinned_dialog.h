// The base of every lobby window: a background picture that fixes the
// window's size, bitmap buttons at fixed places, the window's text and
// background colours for its controls, and dragging by the body for windows
// without a caption.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPoint>
#include <optional>
#include <string_view>

#include "skin/skin_image.h"

namespace tessary::skin {

class BitmapButton;

class SkinnedDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kCommandOk = 1;
    static constexpr int kCommandCancel = 2;

    // A top-level window without system chrome; pass Qt::Widget to embed the
    // dialog as a child panel of another window.
    explicit SkinnedDialog(QWidget* parent = nullptr,
                           Qt::WindowFlags flags = Qt::Dialog | Qt::FramelessWindowHint);

    // Loads the background picture (loadImage's rules), takes exactly its
    // size and centres the window on the screen.
    bool setBackground(std::string_view path);
    const SkinImage& background() const { return background_; }

    // A BitmapButton whose clicks reach onCommand. Null when the button could
    // not be created (BitmapButton::create).
    BitmapButton* addButton(QPoint topLeft, int commandId, std::string_view prefix,
                            int pictureCount, std::string_view sound = {});

    void setTextColor(const QColor& color);
    QColor textColor() const { return textColor_; }
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return backgroundColor_; }
    void setMovable(bool movable) { movable_ = movable; }
    bool isMovable() const { return movable_; }
    bool isActive() const { return active_; }

    void centreOnScreen();

signals:
    // Commands that onCommand does not handle itself.
    void command(int commandId);

protected:
    // OK accepts, Cancel rejects, anything else is emitted as command().
    virtual void onCommand(int commandId);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    SkinImage background_;
    QColor textColor_{Qt::white};
    QColor backgroundColor_{Qt::black};
    bool movable_ = false;
    bool active_ = false;
    std::optional<QPoint> dragOffset_;  // set while the body is dragged by hand
};

}  // namespace tessary::skin
