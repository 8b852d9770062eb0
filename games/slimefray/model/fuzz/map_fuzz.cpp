// Map files come with a game's folder and may have been edited by hand: any
// text is read or refused, and a map that reads comes back from its own text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "slimefray/map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessary::slimefray;
    const auto map = parseMap(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!map) return 0;
    if (map->side < 1 || map->side > 50 || map->columns.size() != size_t(map->side) * size_t(map->side)) std::abort();
    const auto again = parseMap(formatMap(*map));
    if (!again || again->side != map->side || again->columns != map->columns) std::abort();
    return 0;
}
