#include "lobby/app_directory.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::lobby {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The directory up to (not including) the first component named `name`.
std::optional<std::filesystem::path> cutAt(const std::filesystem::path& dir, std::string_view name) {
    std::filesystem::path kept;
    for (const auto& part : dir) {
        if (equalsIgnoringCase(part.native(), name)) return kept;
        kept /= part;
    }
    return std::nullopt;
}

}  // namespace

std::filesystem::path applicationDirectoryFor(const std::filesystem::path& programPath) {
    const auto dir = programPath.parent_path();
    for (std::string_view name : {"debug", "release"}) {
        if (auto cut = cutAt(dir, name)) return *cut;
    }
    return dir;
}

std::filesystem::path applicationDirectory() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path();
    return applicationDirectoryFor(self);
}

}  // namespace tessary::lobby
