#include "desktop/wave_writer.h"

#include <string_view>

namespace tessary::desktop {
namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void tag(std::vector<std::uint8_t>& out, std::string_view name) {
    out.insert(out.end(), name.begin(), name.end());
}

}  // namespace

std::vector<std::uint8_t> encodeWave(const std::vector<std::int16_t>& samples, int sampleRate) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataSize);
    tag(out, "RIFF");
    put(out, 36 + dataSize, 4);
    tag(out, "WAVE");
    tag(out, "fmt ");
    put(out, 16, 4);
    put(out, 1, 2);  // PCM
    put(out, 1, 2);  // mono
    put(out, static_cast<std::uint32_t>(sampleRate), 4);
    put(out, static_cast<std::uint32_t>(sampleRate) * 2, 4);
    put(out, 2, 2);
    put(out, 16, 2);
    tag(out, "data");
    put(out, dataSize, 4);
    for (std::int16_t sample : samples) put(out, static_cast<std::uint16_t>(sample), 2);
    return out;
}

}  // namespace tessary::desktop
