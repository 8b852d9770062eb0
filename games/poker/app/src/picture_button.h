// A button drawn from four pictures (up, down, hover, disabled), sized by its
// up picture. Without pictures it draws a plain framed label.
#pragma once

#include <QAbstractButton>

#include "artwork.h"

namespace tessary::poker {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // `controlId` is the control's dialog identifier, kept as a property.
    PictureButton(const QString& text, int controlId, ButtonPictures pictures, QWidget* parent);

    int controlId() const { return property("controlId").toInt(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const QPixmap& pictureForState() const;
    ButtonPictures pictures_;
    bool hovered_ = false;
};

}  // namespace tessary::poker
