#include "scramble.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessary::protocol::detail {
namespace {

// The key of byte i is (i + 137) & 0xFF. It repeats every 256 bytes; twice
// that lets 16 key bytes be read from any offset below 256.
constexpr std::array<uint8_t, 512> kXorKey = [] {
    std::array<uint8_t, 512> key{};
    for (size_t i = 0; i < key.size(); ++i) key[i] = uint8_t(i + 137);
    return key;
}();

uint8_t keyOf(size_t walkPosition) {
    return kXorKey[walkPosition % 256];
}

size_t ceilSqrt(size_t n) {
    size_t s = size_t(std::sqrt(double(n)));
    while (s * s < n) ++s;
    while (s > 0 && (s - 1) * (s - 1) >= n) --s;
    return s;
}

// The shape of the filled grid for a body of n bytes.
class Grid {
public:
    explicit Grid(size_t n);

    // Diagonals 0 .. full()-1 are filled; diagonal full() holds partial() cells.
    size_t full() const { return full_; }
    size_t partial() const { return partial_; }
    size_t topRow(size_t d) const { return std::min(d, s_ - 1); }
    size_t bottomRow(size_t d) const { return d >= s_ ? d - s_ + 1 : 0; }
    // Walk position of cell (d, r).
    size_t walk(size_t d, size_t r) const { return before(d) + topRow(d) - r; }
    // Row-major position of cell (d, r) among the filled cells.
    size_t row(size_t d, size_t r) const { return size_t(rowBase_[r] + ptrdiff_t(d)); }

private:
    // Cells on the diagonals before d.
    size_t before(size_t d) const {
        if (d < s_) return d * (d + 1) / 2;
        const size_t m = 2 * s_ - 1 - d;
        return s_ * s_ - m * (m + 1) / 2;
    }

    static std::vector<ptrdiff_t>& rowBaseStorage() {
        thread_local std::vector<ptrdiff_t> storage;
        return storage;
    }

    size_t s_;
    size_t full_ = 0;
    size_t partial_ = 0;
    // Row-major position of row r's first cell, minus r (adding d, which is r
    // plus the column, gives the cell's position).
    std::vector<ptrdiff_t>& rowBase_;
};

Grid::Grid(size_t n) : s_(ceilSqrt(n)), rowBase_(rowBaseStorage()) {
    while (full_ < 2 * s_ - 1 && before(full_ + 1) <= n) ++full_;
    partial_ = n - before(full_);
    rowBase_.resize(s_);
    size_t start = 0;
    for (size_t r = 0; r < s_; ++r) {
        rowBase_[r] = ptrdiff_t(start) - ptrdiff_t(r);
        // Columns 0 .. full-r-1 lie on filled diagonals; column full-r on the
        // partial one holds a byte if the walk reached it.
        size_t length = full_ > r ? std::min(full_ - r, s_) : 0;
        if (r <= full_ && full_ - r < s_ && topRow(full_) - r < partial_) ++length;
        start += length;
    }
}

// Moves bytes between walk order (XORed on the way) and row order; the flag
// says which side is read.
template <bool kScramble>
class Mover {
public:
    Mover(const uint8_t* from, uint8_t* to, const Grid& grid) : from_(from), to_(to), grid_(grid) {}

    void run() const {
        size_t d = 0;
#if defined(__SSE2__)
        for (; d + 16 <= grid_.full(); d += 16) block(d);
#endif
        for (; d < grid_.full(); ++d) cells(d, grid_.topRow(d), grid_.bottomRow(d));
        if (grid_.partial() > 0) {
            const size_t top = grid_.topRow(d);
            cells(d, top, top + 1 - grid_.partial());
        }
    }

private:
    // Cells (d, r) for r from `high` down to `low`: ascending walk positions.
    void cells(size_t d, size_t high, size_t low) const {
        if (high < low) return;
        size_t w = grid_.walk(d, high);
        for (size_t r = high + 1; r-- > low; ++w) {
            if constexpr (kScramble)
                to_[grid_.row(d, r)] = from_[w] ^ keyOf(w);
            else
                to_[w] = from_[grid_.row(d, r)] ^ keyOf(w);
        }
    }

#if defined(__SSE2__)
    // Diagonals d .. d+15, all filled: 16 x 16 tiles down the rows that all
    // sixteen reach, single cells in the ragged triangles above and below
    // them. A last tile overlaps the one before it rather than leave rows to
    // single cells; it writes the same values again.
    void block(size_t d) const {
        const size_t commonTop = grid_.topRow(d);
        const size_t commonBottom = grid_.bottomRow(d + 15);
        for (size_t k = 0; k < 16; ++k)
            cells(d + k, grid_.topRow(d + k), std::max(commonTop + 1, grid_.bottomRow(d + k)));
        if (commonTop < commonBottom + 15) {
            for (size_t k = 0; k < 16; ++k) cells(d + k, commonTop, grid_.bottomRow(d + k));
            return;
        }
        if (commonBottom > 0)
            for (size_t k = 0; k < 16; ++k) cells(d + k, commonBottom - 1, grid_.bottomRow(d + k));
        size_t walk[16];
        for (size_t k = 0; k < 16; ++k) walk[k] = grid_.walk(d + k, commonTop);
        for (size_t top = commonTop;; top -= 16) {
            const size_t offset = commonTop - top;
            tile(d, top, walk, offset);
            if (top - 15 == commonBottom) break;
            if (top - 15 < commonBottom + 16) {
                tile(d, commonBottom + 15, walk, commonTop - commonBottom - 15);
                break;
            }
        }
    }

    // One tile: rows top .. top-15; walk[k] + offset is the walk position of
    // cell (d+k, top). Four rounds of byte interleaving rotate the 8-bit
    // (register, byte) index by four, which swaps register and byte.
    void tile(size_t d, size_t top, const size_t* walk, size_t offset) const {
        __m128i a[16];
        for (size_t k = 0; k < 16; ++k) {
            if constexpr (kScramble) {
                const size_t w = walk[k] + offset;
                a[k] = _mm_xor_si128(load(from_ + w), load(kXorKey.data() + w % 256));
            } else {
                a[k] = load(from_ + grid_.row(d, top - k));
            }
        }
        for (int round = 0; round < 4; ++round) {
            __m128i b[16];
            for (size_t i = 0; i < 8; ++i) {
                b[2 * i] = _mm_unpacklo_epi8(a[i], a[i + 8]);
                b[2 * i + 1] = _mm_unpackhi_epi8(a[i], a[i + 8]);
            }
            std::copy(std::begin(b), std::end(b), std::begin(a));
        }
        for (size_t k = 0; k < 16; ++k) {
            if constexpr (kScramble) {
                store(to_ + grid_.row(d, top - k), a[k]);
            } else {
                const size_t w = walk[k] + offset;
                store(to_ + w, _mm_xor_si128(a[k], load(kXorKey.data() + w % 256)));
            }
        }
    }

    static __m128i load(const uint8_t* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    }
    static void store(uint8_t* at, __m128i value) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), value);
    }
#endif

    const uint8_t* from_;
    uint8_t* to_;
    const Grid& grid_;
};

// Small bodies, the most frequent, move through a table: for every size below
// 256, the walk position of each row-major position, built once.
class SmallPermutations {
public:
    static constexpr size_t kLimit = 256;

    SmallPermutations() {
        for (size_t n = 1; n < kLimit; ++n) {
            offsets_[n] = walkOfRow_.size();
            walkOfRow_.resize(walkOfRow_.size() + n);
            uint8_t* walkOfRow = walkOfRow_.data() + offsets_[n];
            const Grid grid(n);
            auto fill = [&](size_t d, size_t high, size_t low) {
                for (size_t r = high + 1; r-- > low;)
                    walkOfRow[grid.row(d, r)] = uint8_t(grid.walk(d, r));
            };
            size_t d = 0;
            for (; d < grid.full(); ++d) fill(d, grid.topRow(d), grid.bottomRow(d));
            if (grid.partial() > 0) fill(d, grid.topRow(d), grid.topRow(d) + 1 - grid.partial());
        }
    }

    const uint8_t* walkOfRow(size_t n) const { return walkOfRow_.data() + offsets_[n]; }

private:
    std::array<size_t, kLimit> offsets_{};
    std::vector<uint8_t> walkOfRow_;
};

const SmallPermutations& smallPermutations() {
    static const SmallPermutations table;
    return table;
}

}  // namespace

void scrambleInto(const uint8_t* plain, uint8_t* scrambled, size_t size) {
    if (size == 0) return;
    if (size < SmallPermutations::kLimit) {
        const uint8_t* walk = smallPermutations().walkOfRow(size);
        for (size_t p = 0; p < size; ++p) scrambled[p] = plain[walk[p]] ^ kXorKey[walk[p]];
        return;
    }
    const Grid grid(size);
    Mover<true>(plain, scrambled, grid).run();
}

void unscrambleInto(const uint8_t* scrambled, uint8_t* plain, size_t size) {
    if (size == 0) return;
    if (size < SmallPermutations::kLimit) {
        const uint8_t* walk = smallPermutations().walkOfRow(size);
        for (size_t p = 0; p < size; ++p) plain[walk[p]] = scrambled[p] ^ kXorKey[walk[p]];
        return;
    }
    const Grid grid(size);
    Mover<false>(scrambled, plain, grid).run();
}

}  // namespace tessary::protocol::detail
