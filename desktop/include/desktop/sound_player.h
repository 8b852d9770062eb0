// Wave sounds through SDL2's audio subsystem, in the three ways the lobby
// plays them. Without an audio device every sound is silently skipped.
#pragma once

#include <SDL.h>

#include <chrono>
#include <filesystem>

namespace tessary::desktop {

enum class SoundWait {
    Async,  // return at once, the sound plays on
    Sync,   // return when the sound has ended
};

enum class WhenBusy {
    Skip,       // another sound still plays: leave it and play nothing
    Interrupt,  // stop what plays and play this one
};

enum class PlayResult { Played, SkippedBusy, NoDevice, CannotLoad, SoundsOff };

class SoundPlayer {
public:
    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Plays the .wav file at `file`. The device is opened on the first call.
    PlayResult play(const std::filesystem::path& file, SoundWait wait, WhenBusy whenBusy);
    // Stops what plays.
    void stop();
    bool isPlaying() const;
    // Opens the device when it is not open yet; false when there is none.
    bool hasDevice();

    // A synchronous sound never waits longer than its own length and this.
    static constexpr std::chrono::milliseconds kSyncGrace{2000};

private:
    bool openDevice();

    bool triedToOpen_ = false;
    bool subsystemStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
};

}  // namespace tessary::desktop
