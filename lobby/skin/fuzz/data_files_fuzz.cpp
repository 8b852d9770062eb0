// Any bytes as one of the lobby's data files read through a path:
// data\strings.bin (numbered texts), data\country.bin (scrambled) and
// data\font\font.ini. The first byte picks the file. Broken files end in
// SkinFatalError or in the documented fallbacks, never in a crash.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "skin/country_list.h"
#include "skin/font_table.h"
#include "skin/skin_error.h"
#include "skin/skin_file.h"
#include "skin/string_table.h"

namespace {

using namespace tessary::skin;

// One in-memory file, rewritten for every input: the readers open paths.
const std::string& memoryFile(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("fuzz-data-file", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    return path;
}

void strings(const std::string& path) {
    const StringTable table(path);
    for (int number : {1, 19, 35, 96, -1, 0, 999999999}) {
        if (table.text(number).size() > StringTable::kMaxTextLength) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string& path = memoryFile(data + 1, size - 1);
    try {
        switch (data[0] % 3) {
        case 0:
            strings(path);
            break;
        case 1:
            (void)loadCountryList(path);
            break;
        default: {
            SkinFile file;
            file.open(path, false);
            for (const FontEntry& font : readFontEntries(file)) {
                if (font.file.empty() || font.face.empty()) std::abort();
            }
        }
        }
    } catch (const SkinFatalError&) {
    }
    return 0;
}
