// A two-picture switch of the main window (pages shown, sounds on): the
// controls' picture switch under the name the main window uses.
#pragma once

#include "controls/picture_switch.h"

namespace tessary::lobby {

class ToggleSwitch : public controls::PictureSwitch {
public:
    using PictureSwitch::PictureSwitch;
};

}  // namespace tessary::lobby
