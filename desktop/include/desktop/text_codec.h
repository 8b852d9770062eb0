// Texts on the wire and in the data files are Windows-1252; the windows work
// in Unicode. These convert at that boundary without a windowing toolkit
// (desktop/ansi_text.h has the same for Qt strings).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessary::desktop {

// The Windows-1252 byte of `c`; nothing for a character the code page lacks.
// The five bytes the code page leaves undefined map to the C1 controls of the
// same value, both ways, as Windows does, so every byte survives a round trip.
std::optional<unsigned char> cp1252Byte(char32_t c);

char32_t cp1252Char(unsigned char byte);

std::u32string fromCp1252(std::string_view bytes);

// Characters the code page lacks become `replacement`.
std::string toCp1252(std::u32string_view text, char replacement = '?');

}  // namespace tessary::desktop
