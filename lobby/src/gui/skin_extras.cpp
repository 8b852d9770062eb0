#include "lobby/skin_extras.h"

#include <QApplication>
#include <filesystem>
#include <stdexcept>
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

const skin::WindowLayout& windowLayout(std::string_view name) {
    const auto* layout = skin::findWindowLayout(name);
    if (layout == nullptr) throw std::logic_error("no window layout " + std::string(name));
    return *layout;
}

QRect layoutArea(const skin::WindowLayout& layout, std::string_view area) {
    for (const auto& placement : layout.areas) {
        if (placement.name == area) {
            return {placement.x, placement.y, placement.width, placement.height};
        }
    }
    return {};
}

bool isHelpOrLogo(const skin::ButtonPlacement& button) {
    return button.prefix == "button\\help" || button.prefix == "button\\quillon";
}

skin::BitmapButton* placeButton(skin::SkinnedDialog& window, const skin::ButtonPlacement& button) {
    const QPoint topLeft(button.x, button.y);
    if (isHelpOrLogo(button)) {
        const int command = button.prefix == "button\\help" ? kCommandHelpButton : kCommandLogo;
        return addOptionalButton(window, topLeft, command, button.prefix, button.sound);
    }
    return window.addButton(topLeft, button.command, skin::skinPath(button.prefix), button.pictures,
                            button.sound);
}

std::unique_ptr<skin::SkinnedDialog> layoutDialog(QWidget* parent, std::string_view name) {
    auto dialog = std::make_unique<skin::SkinnedDialog>(parent, Qt::Window | Qt::FramelessWindowHint);
    const auto& layout = windowLayout(name);
    dialog->setMovable(true);
    dialog->setTextColor(Qt::white);
    dialog->setBackground(skin::skinPath(layout.background));
    dialog->setWindowTitle(QString::fromUtf8(layout.title.data(), static_cast<int>(layout.title.size())));
    for (const auto& button : layout.buttons) placeButton(*dialog, button);
    return dialog;
}

}  // namespace tessary::lobby
