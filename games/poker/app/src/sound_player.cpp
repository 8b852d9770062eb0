#include "sound_player.h"

#include <SDL.h>

namespace tessary::poker {
namespace {

constexpr std::pair<Sound, const char*> kFiles[] = {
    {Sound::Button, "button.wav"},
    {Sound::Card, "card.wav"},
    {Sound::Timer, "timer.wav"},
    {Sound::Winner, "winner.wav"},
};

}  // namespace

SoundPlayer::SoundPlayer(const std::filesystem::path& directory) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_AudioSpec wanted{};
    bool haveSpec = false;
    for (const auto& [sound, file] : kFiles) {
        SDL_AudioSpec wavFormat{};
        Uint8* data = nullptr;
        Uint32 length = 0;
        if (SDL_LoadWAV((directory / file).string().c_str(), &wavFormat, &data, &length) == nullptr) continue;
        // All four are written in one format, which the device is opened with.
        if (!haveSpec) {
            wanted = wavFormat;
            haveSpec = true;
        }
        if (wavFormat.freq == wanted.freq && wavFormat.format == wanted.format && wavFormat.channels == wanted.channels) {
            clips_[sound].samples.assign(data, data + length);
        }
        SDL_FreeWAV(data);
    }
    if (!haveSpec) return;
    wanted.callback = nullptr;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
}

SoundPlayer::~SoundPlayer() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundPlayer::play(Sound sound) {
    if (!enabled_ || device_ == 0) return;
    const auto clip = clips_.find(sound);
    if (clip == clips_.end()) return;
    SDL_ClearQueuedAudio(device_);
    SDL_QueueAudio(device_, clip->second.samples.data(), static_cast<Uint32>(clip->second.samples.size()));
    SDL_PauseAudioDevice(device_, 0);
}

void SoundPlayer::setEnabled(bool on) {
    enabled_ = on;
    if (!on && device_ != 0) SDL_ClearQueuedAudio(device_);
}

}  // namespace tessary::poker
