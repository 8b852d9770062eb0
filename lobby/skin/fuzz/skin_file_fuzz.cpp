// Any bytes as a data file: the SkinFile grammar, the session-options layout,
// the font list and the country list read it, and writes go back through it.
// Broken files end in SkinFatalError, never in a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/country_list.h"
#include "skin/session_options_layout.h"
#include "skin/skin_error.h"
#include "skin/skin_file.h"

namespace {

using tessary::skin::SkinFatalError;
using tessary::skin::SkinFile;

template <typename Read>
void readGuarded(const std::string& bytes, bool scrambled, Read&& read) {
    try {
        SkinFile file;
        file.openBytes(bytes, "fuzz.ini", scrambled);
        read(file);
    } catch (const SkinFatalError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool scrambled = data[0] & 1;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    readGuarded(bytes, scrambled, [](SkinFile& file) {
        (void)tessary::skin::readSessionOptionsLayout(file, "GAME");
    });
    readGuarded(bytes, scrambled,
                [](SkinFile& file) { (void)tessary::skin::readCountryList(file); });
    readGuarded(bytes, scrambled, [](SkinFile& file) {
        // The settings reader's pattern: sections, tokens, then writes.
        if (file.findSection("USERINFO")) {
            std::string name = file.readToken();
            file.findSection("USERINFO");
            file.writeToken(name + " x");
        }
        if (file.findSection("FULLNAME")) (void)file.readLineValue();
        if (file.findSection("BUDDY")) file.replaceSection("1 a|b ");
        file.findSection("SOUND");
        file.writeInt(1);
        file.findSection("SOUND");
        if (file.readInt() != 1) __builtin_trap();
    });
    return 0;
}
