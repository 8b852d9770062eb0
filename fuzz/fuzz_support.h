// Helpers shared by the fuzz targets.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

// A broken expectation stops the run and names its line: a finding in CI
// leaves only the log behind, not the input.
inline void require(bool condition, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "fuzz expectation failed at %s:%d\n", file, line);
    std::abort();
}

// Inputs made of records: a tag byte, a 16-bit big-endian size and that many
// bytes (cut at the end of the input), for the targets that build messages
// from records instead of taking the raw stream.
template <class Take>
void forEachRecord(std::span<const uint8_t> input, Take&& take) {
    size_t at = 0;
    while (at + 3 <= input.size()) {
        const uint8_t tag = input[at];
        const size_t length = std::min((size_t(input[at + 1]) << 8) | input[at + 2], input.size() - at - 3);
        take(tag, input.subspan(at + 3, length));
        at += 3 + length;
    }
}

// A private temporary folder for targets whose readers take paths, removed
// when the run ends.
struct FuzzFolder {
    std::filesystem::path path;
    explicit FuzzFolder(const char* name) {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path = pattern;
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};
