// Texts in files and on the wire are 8-bit Windows-1252; the toolkit speaks
// Unicode. These two convert at the user-interface boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tessary::skin {

[[nodiscard]] QString fromAnsi(std::string_view text);

// Characters Windows-1252 cannot hold become "?".
[[nodiscard]] std::string toAnsi(const QString& text);

// The Unicode character of one Windows-1252 byte (the five unused bytes map
// to themselves, as Windows does).
[[nodiscard]] char16_t unicodeOfAnsi(unsigned char byte);

}  // namespace tessary::skin
