// Texts on the wire are Windows-1252; the window works in Unicode.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tessary::poker {

QString fromWindows1252(std::string_view text);
// Characters outside Windows-1252 become "?".
std::string toWindows1252(const QString& text);

}  // namespace tessary::poker
