// Body scrambling, out of place, so that the codec can scramble straight from
// its work buffer into a frame and unscramble straight out of a frame.
//
// Scrambling XORs byte i with (i + 137) & 0xFF, lays the bytes along the
// anti-diagonals of an s x s grid (s = ceil(sqrt(n)), each diagonal from its
// largest row upwards) and reads the grid row by row. Indexed by (diagonal d,
// row r), a cell's walk position falls by one as r grows and its row-major
// position grows by one as d grows: the step is the transposition of a
// sheared matrix. It is done in 16 x 16 tiles, with the XOR applied to the
// walk-order side, so that both sides move in runs of 16 bytes instead of one
// byte per cache line.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary::protocol::detail {

// `plain` and `scrambled` hold `size` bytes each and must not overlap.
void scrambleInto(const uint8_t* plain, uint8_t* scrambled, size_t size);
void unscrambleInto(const uint8_t* scrambled, uint8_t* plain, size_t size);

}  // namespace tessary::protocol::detail
