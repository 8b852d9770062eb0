#include "lobby/view_panel.h"

#include <string>

#include "lobby/skin_extras.h"
#include "skin/bitmap_button.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {

bool isCaptionButton(const skin::ButtonPlacement& button) {
    switch (button.command) {
        case kLayoutHelp:
        case kLayoutLogo:
        case kLayoutExit:
        case kLayoutMaximise:
        case kLayoutMinimise:
            return true;
        default:
            return false;
    }
}

ViewPanel::ViewPanel(QWidget* canvas, std::string_view layoutName)
    : QWidget(canvas), layout_(&windowLayout(layoutName)) {
    setGeometry(0, 0, layout_->width, layout_->height);
    for (const auto& placement : layout_->buttons) {
        if (isCaptionButton(placement)) continue;
        auto* button = new skin::BitmapButton(this, placement.command);
        if (!button->create({placement.x, placement.y}, skin::skinPath(placement.prefix),
                            placement.pictures)) {
            delete button;
            continue;
        }
        if (!placement.sound.empty()) button->setSound(std::string(placement.sound));
        connect(button, &skin::BitmapButton::command, this, &ViewPanel::command);
        buttons_.push_back(button);
    }
}

skin::BitmapButton* ViewPanel::button(int command) const {
    for (auto* button : buttons_) {
        if (button->commandId() == command) return button;
    }
    return nullptr;
}

QRect ViewPanel::area(std::string_view name) const { return layoutArea(*layout_, name); }

}  // namespace tessary::lobby
