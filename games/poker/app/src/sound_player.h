// The table's four sounds, played through the desktop sound player. A new
// sound stops the one that plays (never queued behind it); without an audio
// device nothing is heard.
#pragma once

#include <filesystem>

#include "desktop/sound_player.h"
#include "poker/table_observer.h"

namespace tessary::poker {

class SoundPlayer {
public:
    // Plays "button.wav", "card.wav", "timer.wav" and "winner.wav" from `directory`.
    explicit SoundPlayer(std::filesystem::path directory) : directory_(std::move(directory)) {}

    void play(Sound sound);
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    bool hasDevice() { return player_.hasDevice(); }
    bool isPlaying() const { return player_.isPlaying(); }

private:
    std::filesystem::path directory_;
    desktop::SoundPlayer player_;
    bool enabled_ = true;
};

}  // namespace tessary::poker
