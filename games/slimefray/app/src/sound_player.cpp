#include "sound_player.h"

#include <SDL.h>

namespace tessary::slimefray {

SoundPlayer::~SoundPlayer() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (tried_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundPlayer::available() { return open(); }

bool SoundPlayer::open() {
    if (tried_) return device_ != 0;
    tried_ = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = 22050;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 1024;
    SDL_AudioSpec got{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    if (!device_) return false;
    frequency_ = got.freq;
    format_ = got.format;
    channels_ = got.channels;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

const std::vector<uint8_t>* SoundPlayer::samples(const std::filesystem::path& file) {
    if (auto it = cache_.find(file); it != cache_.end()) return &it->second;
    SDL_AudioSpec wavFormat{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(file.c_str(), &wavFormat, &buffer, &length)) return nullptr;
    SDL_AudioCVT cvt{};
    std::vector<uint8_t> converted;
    if (SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq, format_, channels_, frequency_) < 0) {
        SDL_FreeWAV(buffer);
        return nullptr;
    }
    converted.resize(size_t(length) * size_t(std::max(1, cvt.len_mult)));
    std::copy(buffer, buffer + length, converted.begin());
    SDL_FreeWAV(buffer);
    if (cvt.needed) {
        cvt.buf = converted.data();
        cvt.len = int(length);
        if (SDL_ConvertAudio(&cvt) != 0) return nullptr;
        converted.resize(size_t(cvt.len_cvt));
    } else {
        converted.resize(length);
    }
    return &cache_.emplace(file, std::move(converted)).first->second;
}

void SoundPlayer::play(const std::filesystem::path& file) {
    if (!open()) return;
    const std::vector<uint8_t>* data = samples(file);
    if (!data) return;
    SDL_ClearQueuedAudio(device_);
    SDL_QueueAudio(device_, data->data(), Uint32(data->size()));
}

}  // namespace tessary::slimefray
