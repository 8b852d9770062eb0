#include "sound_player.h"

namespace tessary::poker {
namespace {

const char* fileOf(Sound sound) {
    switch (sound) {
        case Sound::Button: return "button.wav";
        case Sound::Card: return "card.wav";
        case Sound::Timer: return "timer.wav";
        case Sound::Winner: return "winner.wav";
    }
    return "";
}

}  // namespace

void SoundPlayer::play(Sound sound) {
    if (!enabled_) return;
    (void)player_.play(directory_ / fileOf(sound), desktop::SoundWait::Async, desktop::WhenBusy::Interrupt);
}

void SoundPlayer::setEnabled(bool on) {
    enabled_ = on;
    if (!on) player_.stop();
}

}  // namespace tessary::poker
