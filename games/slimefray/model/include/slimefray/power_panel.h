// The powers this player holds and the one the panel shows.
#pragma once

#include <array>

#include "slimefray/messages.h"

namespace tessary::slimefray {

class PowerPanel {
public:
    static constexpr int kNone = -1;

    bool isAvailable(int kind) const { return available_[size_t(kind)]; }
    // The shown kind, or kNone for an empty square.
    int shown() const { return shown_; }

    // A power taken from the board; shown at once when the square was empty.
    void gain(int kind);
    // The kind is gone; when it was shown, the lowest kind left is shown.
    void markUsed(int kind);
    // Steps through the available kinds in order 0..4 and stops at the ends.
    void next();
    void previous();

private:
    std::array<bool, kPowerKinds> available_{};
    int shown_ = kNone;
};

}  // namespace tessary::slimefray
