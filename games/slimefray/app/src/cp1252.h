// Texts on the wire are Windows-1252; the window shows Unicode.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tessary::slimefray {

QString fromCp1252(std::string_view text);
// Characters Windows-1252 cannot hold become "?".
std::string toCp1252(const QString& text);

}  // namespace tessary::slimefray
