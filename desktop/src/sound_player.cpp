#include "desktop/sound_player.h"

#include <cstring>
#include <thread>
#include <vector>

namespace tessary::desktop {

SoundPlayer::~SoundPlayer() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundPlayer::openDevice() {
    if (triedToOpen_) return device_ != 0;
    triedToOpen_ = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystemStarted_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool SoundPlayer::hasDevice() {
    return openDevice();
}

bool SoundPlayer::isPlaying() const {
    return device_ != 0 && SDL_GetQueuedAudioSize(device_) > 0;
}

void SoundPlayer::stop() {
    if (device_ != 0) SDL_ClearQueuedAudio(device_);
}

PlayResult SoundPlayer::play(const std::filesystem::path& file, SoundWait wait, WhenBusy whenBusy) {
    if (!openDevice()) return PlayResult::NoDevice;
    if (isPlaying()) {
        if (whenBusy == WhenBusy::Skip) return PlayResult::SkippedBusy;
        stop();
    }

    SDL_AudioSpec waveSpec{};
    Uint8* wave = nullptr;
    Uint32 waveLength = 0;
    if (SDL_LoadWAV(file.c_str(), &waveSpec, &wave, &waveLength) == nullptr) {
        return PlayResult::CannotLoad;
    }
    SDL_AudioCVT converter;
    if (SDL_BuildAudioCVT(&converter, waveSpec.format, waveSpec.channels, waveSpec.freq,
                          spec_.format, spec_.channels, spec_.freq) < 0) {
        SDL_FreeWAV(wave);
        return PlayResult::CannotLoad;
    }
    std::vector<Uint8> samples(static_cast<std::size_t>(waveLength) *
                               static_cast<std::size_t>(converter.len_mult));
    std::memcpy(samples.data(), wave, waveLength);
    SDL_FreeWAV(wave);
    converter.buf = samples.data();
    converter.len = static_cast<int>(waveLength);
    if (converter.needed && SDL_ConvertAudio(&converter) != 0) return PlayResult::CannotLoad;
    const Uint32 length = static_cast<Uint32>(converter.needed ? converter.len_cvt : converter.len);
    if (SDL_QueueAudio(device_, samples.data(), length) != 0) return PlayResult::CannotLoad;

    if (wait == SoundWait::Sync) {
        const int bytesPerSecond =
            spec_.freq * spec_.channels * static_cast<int>(SDL_AUDIO_BITSIZE(spec_.format) / 8);
        const auto length_ms = std::chrono::milliseconds(
            bytesPerSecond > 0 ? static_cast<long long>(length) * 1000 / bytesPerSecond : 0);
        const auto deadline = std::chrono::steady_clock::now() + length_ms + kSyncGrace;
        while (isPlaying() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return PlayResult::Played;
}

}  // namespace tessary::desktop
