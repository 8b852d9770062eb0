#include "lobby/skin_extras.h"

#include <QApplication>
#include <filesystem>
#include <string>

#include "platform/paths.h"
#include "skin/bitmap_button.h"
#include "skin/font_table.h"
#include "skin/skin_environment.h"
#include "skin/skinned_dialog.h"

namespace tessary::lobby {

QFont defaultFont() {
    const auto* fonts = skin::skinEnvironment().fonts;
    return fonts != nullptr && fonts->count() > 0 ? fonts->font(0) : QApplication::font();
}

skin::BitmapButton* addOptionalButton(skin::SkinnedDialog& window, QPoint topLeft, int command,
                                      std::string_view prefix, std::string_view sound) {
    const auto path = skin::skinPath(prefix);
    for (const char* face : {"up.bmp", "down.bmp", "sel.bmp"}) {
        if (!std::filesystem::exists(platform::nativePath(path + face))) return nullptr;
    }
    return window.addButton(topLeft, command, path, 3, sound);
}

}  // namespace tessary::lobby
