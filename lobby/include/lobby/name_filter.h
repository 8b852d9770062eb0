// The user-name rule of the login and account windows: printable ASCII and
// the accented letters 192 to 255, without "+", ",", ";" and "|" (they
// separate names in pages and files).
#pragma once

#include <cstddef>
#include <string>

namespace tessary::lobby {

enum class NameField {
    Login,    // the first refused character and everything after it go
    Account,  // only the refused character goes
};

bool isNameCharacterAllowed(char32_t c);

struct NameFilterResult {
    std::u32string text;
    std::size_t caret{0};  // where the refused character stood
    bool refused{false};   // a character was refused (the window beeps)
};

// Treats the first refused character of `text`, if any. One character per
// call: the window calls it again after every change, its own included.
NameFilterResult filterName(std::u32string text, NameField field);

}  // namespace tessary::lobby
