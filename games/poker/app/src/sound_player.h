// The table's four sounds through SDL2 audio. A new sound stops the one that
// plays (never queued behind it); without an audio device nothing is heard.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "poker/table_observer.h"

namespace tessary::poker {

class SoundPlayer {
public:
    // Loads "button.wav", "card.wav", "timer.wav" and "winner.wav" from `directory`.
    explicit SoundPlayer(const std::filesystem::path& directory);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void play(Sound sound);
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    bool hasDevice() const { return device_ != 0; }

private:
    struct Clip {
        std::vector<uint8_t> samples;
    };
    std::map<Sound, Clip> clips_;
    uint32_t device_ = 0;
    bool enabled_ = true;
};

}  // namespace tessary::poker
