// Small pieces the lobby's windows share on top of the skin.
#pragma once

#include <QFont>
#include <QPoint>
#include <string_view>

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

}  // namespace tessary::lobby
