// A drop-down list in the skin's colours: the closed box is painted by hand
// (text on the control background, the skin's down arrow) and opens a
// SkinnedListBox with the lobby's Scrollbar instead of the toolkit's popup.
#pragma once

#include <QComboBox>
#include <QPointer>

#include "skin/skin_image.h"

namespace tessary::controls {

class SkinnedListBox;

class SkinnedComboBox : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kVisibleRows = 10;

    explicit SkinnedComboBox(QWidget* parent);
    ~SkinnedComboBox() override;

    void showPopup() override;
    void hidePopup() override;
    // The open list, or null while closed.
    SkinnedListBox* popupList() const { return list_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(int row);

    skin::SkinImage arrow_;
    QColor text_{Qt::white};
    QColor background_{Qt::black};
    QPointer<QFrame> popup_;
    SkinnedListBox* list_ = nullptr;
};

}  // namespace tessary::controls
