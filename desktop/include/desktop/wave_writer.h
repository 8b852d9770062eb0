// A writer of plain PCM .wav files, for the generated sounds and for tests.
#pragma once

#include <cstdint>
#include <vector>

namespace tessary::desktop {

// 16-bit mono PCM at `sampleRate` samples per second.
[[nodiscard]] std::vector<std::uint8_t> encodeWave(const std::vector<std::int16_t>& samples,
                                                   int sampleRate);

}  // namespace tessary::desktop
