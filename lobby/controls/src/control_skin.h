// What the controls take from the skin environment: FontTable fonts (with
// the toolkit's font measured once when the program has no table) and
// pictures below the skin directory.
#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <string_view>

#include "controls/text_wrap.h"
#include "skin/skin_image.h"

namespace tessary::controls::detail {

int fontCount();
const QFont& font(int index);
const CharWidths& widths(int index);
inline int lineHeight(int index) { return widths(index)[0]; }

// "name" below the skin directory; throws SkinFatalError when missing.
void loadSkinPicture(skin::SkinImage& picture, std::string_view name);
// `name` from `directory`, or the skin directory when `directory` is empty,
// with the session skin directory as fallback.
void loadPictureFrom(skin::SkinImage& picture, std::string_view directory, std::string_view name);

// The line requests the wheel's movement stands for, remainders kept.
void scrollByWheel(WheelAccumulator& wheel, int angleDelta,
                   const std::function<void(ScrollRequest)>& scroll);

// A text's single line cut with an ellipsis to `width` pixels.
QString elided(const QString& text, int index, int width);

}  // namespace tessary::controls::detail
