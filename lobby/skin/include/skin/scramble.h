// The scrambling of CONFIG.INI and country.bin: every byte XORed with a key
// made of two repeating strings. The same call scrambles and unscrambles.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tessary::skin {

// The original counter was a 16-bit signed number: longer files cannot be
// scrambled with the same key stream, so they are refused.
inline constexpr std::size_t kMaxScrambledSize = 32767;

inline void scramble(std::span<char> bytes) {
    constexpr std::string_view key7 = "5081726";
    constexpr std::string_view key4 = "Kelp";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(bytes[i] ^ key7[i % key7.size()] ^ key4[i % key4.size()]);
    }
}

}  // namespace tessary::skin
