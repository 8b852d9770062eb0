#include "slimefray/power_panel.h"

namespace tessary::slimefray {

void PowerPanel::gain(int kind) {
    if (kind < 0 || kind >= kPowerKinds) return;
    available_[size_t(kind)] = true;
    if (shown_ == kNone) shown_ = kind;
}

void PowerPanel::markUsed(int kind) {
    if (kind < 0 || kind >= kPowerKinds) return;
    available_[size_t(kind)] = false;
    if (shown_ != kind) return;
    shown_ = kNone;
    for (int k = 0; k < kPowerKinds; ++k) {
        if (available_[size_t(k)]) {
            shown_ = k;
            break;
        }
    }
}

void PowerPanel::next() {
    for (int k = shown_ + 1; k < kPowerKinds; ++k) {
        if (available_[size_t(k)]) {
            shown_ = k;
            return;
        }
    }
}

void PowerPanel::previous() {
    if (shown_ == kNone) return;
    for (int k = shown_ - 1; k >= 0; --k) {
        if (available_[size_t(k)]) {
            shown_ = k;
            return;
        }
    }
}

}  // namespace tessary::slimefray
