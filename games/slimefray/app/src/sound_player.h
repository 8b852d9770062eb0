// Plays .wav files through SDL's audio subsystem, asynchronously; a new sound
// replaces the one playing. Without an audio device every sound is skipped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

namespace tessary::slimefray {

class SoundPlayer {
public:
    SoundPlayer() = default;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;
    ~SoundPlayer();

    void play(const std::filesystem::path& file);
    // Whether a device could be opened (tried on the first play).
    bool available();

private:
    bool open();
    const std::vector<uint8_t>* samples(const std::filesystem::path& file);

    bool tried_ = false;
    uint32_t device_ = 0;
    int frequency_ = 0;
    uint16_t format_ = 0;
    uint8_t channels_ = 0;
    std::map<std::filesystem::path, std::vector<uint8_t>> cache_;
};

}  // namespace tessary::slimefray
