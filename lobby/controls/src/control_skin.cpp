#include "control_skin.h"

#include <QFontMetrics>
#include <memory>

#include "skin/font_table.h"
#include "skin/image_loader.h"
#include "skin/skin_environment.h"

namespace tessary::controls::detail {
namespace {

const skin::FontTable& table() {
    if (const skin::FontTable* fonts = skin::skinEnvironment().fonts; fonts != nullptr) {
        return *fonts;
    }
    static const std::unique_ptr<skin::FontTable> fallback = [] {
        auto empty = std::make_unique<skin::FontTable>();
        empty->build({}, "");
        return empty;
    }();
    return *fallback;
}

}  // namespace

int fontCount() { return std::max(1, table().count()); }
const QFont& font(int index) { return table().font(index); }
const CharWidths& widths(int index) { return table().widths(index); }

void loadSkinPicture(skin::SkinImage& picture, std::string_view name) {
    skin::loadImage(picture, skin::skinPath(name));
}

void loadPictureFrom(skin::SkinImage& picture, std::string_view directory, std::string_view name) {
    if (directory.empty()) {
        loadSkinPicture(picture, name);
    } else {
        skin::loadWithFallback(picture, directory, name);
    }
}

void scrollByWheel(WheelAccumulator& wheel, int angleDelta,
                   const std::function<void(ScrollRequest)>& scroll) {
    const int steps = wheel.add(angleDelta);
    for (int i = 0; i < std::abs(steps); ++i) {
        scroll(steps > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown);
    }
}

QString elided(const QString& text, int index, int width) {
    return QFontMetrics(font(index)).elidedText(text, Qt::ElideRight, std::max(0, width));
}

}  // namespace tessary::controls::detail
