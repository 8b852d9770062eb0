// The country choice of the account window ("data\\country.bin", scrambled):
// section "START", a count, then one name per token ("|" for blanks).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_file.h"

namespace tessary::skin {

// The names in file order. Throws SkinFatalError as SkinFile does.
[[nodiscard]] std::vector<std::string> readCountryList(SkinFile& file);
[[nodiscard]] std::vector<std::string> loadCountryList(std::string_view path);

}  // namespace tessary::skin
