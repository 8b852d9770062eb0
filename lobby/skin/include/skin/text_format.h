// printf-style placeholders filled without printf: the patterns come from a
// data file, so a placeholder without its argument must not read stray memory.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::skin {

// Replaces each conversion of `pattern` (%s, %d, %i, %u, %x, %c, with optional
// flags, width and precision, which are ignored) by the next of `arguments`,
// in order; "%%" gives "%". Conversions beyond the arguments become empty and
// anything else after "%" is kept as written. Numbers are passed already as
// text: formatText("%d/%d", {"3", "8"}).
[[nodiscard]] std::string formatText(std::string_view pattern,
                                     std::initializer_list<std::string_view> arguments);
// The same with the arguments in a list built at run time.
[[nodiscard]] std::string formatTextList(std::string_view pattern, const std::vector<std::string>& arguments);

}  // namespace tessary::skin
