// Windows-1252 texts to and from Qt strings, on the conversions of
// desktop/text_codec.h.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tessary::desktop {

[[nodiscard]] QString fromAnsi(std::string_view text);

// Characters Windows-1252 cannot hold become "?".
[[nodiscard]] std::string toAnsi(const QString& text);

}  // namespace tessary::desktop
