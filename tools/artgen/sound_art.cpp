// The lobby's sounds: short synthesised tones, one character per event.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "artgen.h"
#include "desktop/wave_writer.h"

namespace tessary::artgen {
namespace {

constexpr int kRate = 22050;

struct Note {
    double frequency;  // Hz; the second harmonic is added softly
    double start;      // seconds
    double length;     // seconds
    double volume;     // 0..1
};

// Notes mixed with a short attack and an exponential decay each.
std::vector<std::int16_t> render(const std::vector<Note>& notes) {
    double end = 0;
    for (const Note& note : notes) end = std::max(end, note.start + note.length);
    std::vector<double> mix(static_cast<std::size_t>(end * kRate) + 1, 0.0);
    for (const Note& note : notes) {
        const std::size_t first = static_cast<std::size_t>(note.start * kRate);
        const std::size_t count = static_cast<std::size_t>(note.length * kRate);
        for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double attack = std::min(1.0, t / 0.004);
            const double decay = std::exp(-4.0 * t / note.length);
            const double release = std::min(1.0, (note.length - t) / 0.01);
            const double wave = std::sin(2 * M_PI * note.frequency * t) +
                                0.25 * std::sin(4 * M_PI * note.frequency * t);
            mix[first + i] += note.volume * attack * decay * release * wave / 1.25;
        }
    }
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (double value : mix) {
        samples.push_back(static_cast<std::int16_t>(std::clamp(value, -1.0, 1.0) * 26000));
    }
    return samples;
}

}  // namespace

void writeSounds(ArtWriter& out) {
    const struct {
        const char* name;
        std::vector<Note> notes;
    } kSounds[] = {
        {"starttsc.wav",
         {{523.3, 0, 0.18, 0.5}, {659.3, 0.12, 0.18, 0.5}, {784.0, 0.24, 0.35, 0.55}}},
        {"exittsc.wav",
         {{784.0, 0, 0.18, 0.5}, {659.3, 0.12, 0.18, 0.5}, {523.3, 0.24, 0.35, 0.5}}},
        {"button.wav", {{1200, 0, 0.045, 0.45}}},
        {"profile.wav", {{880, 0, 0.09, 0.45}, {1175, 0.07, 0.12, 0.45}}},
        {"connectarena.wav",
         {{440, 0, 0.1, 0.45}, {587.3, 0.08, 0.1, 0.45}, {880, 0.16, 0.16, 0.5}}},
        {"web.wav", {{1568, 0, 0.08, 0.4}, {2093, 0.05, 0.08, 0.3}}},
        {"mbox.wav", {{987.8, 0, 0.14, 0.45}, {740, 0.1, 0.2, 0.45}}},
        {"pagereceive.wav", {{784, 0, 0.12, 0.5}, {988, 0.1, 0.12, 0.5}, {1175, 0.2, 0.22, 0.5}}},
        {"pagesend.wav", {{1175, 0, 0.1, 0.45}, {880, 0.08, 0.16, 0.45}}},
    };
    for (const auto& sound : kSounds) {
        out.writeBytes(std::string("data/sound/") + sound.name,
                       desktop::encodeWave(render(sound.notes), kRate));
    }
}

}  // namespace tessary::artgen
