// A picture chooser ("BitList"): the current item's value written at the
// top, its picture stretched below, and "previous" / "next" buttons that run
// round the list.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "skin/skin_image.h"

namespace tessary::skin {
class BitmapButton;
}

namespace tessary::controls {

class PictureList : public QWidget {
    Q_OBJECT

public:
    struct Item {
        std::string value;    // Windows-1252
        std::string picture;  // a path as the Parts write it
    };

    // The buttons' pictures ("previous", "next", three each) come from
    // `directory` (a game's) with the session skin directory as fallback.
    PictureList(QWidget* parent, const QRect& area, std::string directory);

    void setItems(std::vector<Item> items);
    int current() const { return current_; }
    const std::string& currentValue() const;
    // Selects the last item whose value is `value`; false when none is.
    bool setValue(const std::string& value);
    void previous();
    void next();
    skin::BitmapButton* previousButton() const { return previous_; }
    skin::BitmapButton* nextButton() const { return next_; }
    const skin::SkinImage& picture() const { return picture_; }

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void show(int index);
    int textHeight() const;

    std::string directory_;
    std::vector<Item> items_;
    int current_ = -1;
    skin::SkinImage picture_;
    skin::BitmapButton* previous_;
    skin::BitmapButton* next_;
};

}  // namespace tessary::controls
