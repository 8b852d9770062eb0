// Small pieces the lobby's windows share on top of the skin.
#pragma once

#include <QFont>
#include <QWidget>
#include <QPoint>
#include <QRect>
#include <memory>
#include <string_view>

#include "skin/window_layouts.h"

namespace tessary::skin {
class BitmapButton;
class SkinnedDialog;
}  // namespace tessary::skin

namespace tessary::lobby {

// Command ids of the help and logo buttons every window carries.
inline constexpr int kCommandHelpButton = 9001;
inline constexpr int kCommandLogo = 9002;

// Font 0 of the FontTable, or the application's font without one.
QFont defaultFont();

// A three-picture button that is left out when the skin has no pictures
// for it (the help and logo buttons are decoration the skin may omit).
skin::BitmapButton* addOptionalButton(skin::SkinnedDialog& window, QPoint topLeft, int command,
                                      std::string_view prefix, std::string_view sound = {});

// The window layout `name` (window_layouts.h); a missing one is a build
// fault and throws std::logic_error.
const skin::WindowLayout& windowLayout(std::string_view name);
// Where `layout` puts the control `area`; an empty rectangle if nowhere.
QRect layoutArea(const skin::WindowLayout& layout, std::string_view area);

// Whether a layout's button is the caption's help or logo button.
bool isHelpOrLogo(const skin::ButtonPlacement& button);
// One button of a layout on `window`. The caption's help and logo buttons
// carry kCommandHelpButton and kCommandLogo and are optional; nullptr when a
// button could not be made.
skin::BitmapButton* placeButton(skin::SkinnedDialog& window, const skin::ButtonPlacement& button);
// A movable window of its own with the layout `name`'s background, title and
// buttons, white text.
std::unique_ptr<skin::SkinnedDialog> layoutDialog(QWidget* parent, std::string_view name);

}  // namespace tessary::lobby
