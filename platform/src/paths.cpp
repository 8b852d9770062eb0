#include "platform/paths.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <system_error>
#include <vector>

namespace tessary::platform {
namespace fs = std::filesystem;

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::vector<std::string_view> splitComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            if (i > start) parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool hasDrivePrefix(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The entry of `directory` whose name equals `name` without regard to case, or
// `name` itself when there is none.
std::string matchInDirectory(const fs::path& directory, std::string_view name) {
    std::error_code error;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (equalsIgnoringCase(entry, name)) matches.push_back(std::move(entry));
    }
    if (matches.empty()) return std::string(name);
    return *std::min_element(matches.begin(), matches.end());
}

// Position of the first component equal to `word` (any case) in `directory`,
// or npos.
std::size_t findComponent(std::string_view directory, std::string_view word) {
    for (std::size_t i = 0; i + word.size() < directory.size(); ++i) {
        bool startsComponent = i == 0 || isSeparator(directory[i - 1]);
        if (startsComponent && isSeparator(directory[i + word.size()]) &&
            equalsIgnoringCase(directory.substr(i, word.size()), word)) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

fs::path nativePath(std::string_view path, const fs::path& base) {
    if (hasDrivePrefix(path)) path.remove_prefix(2);
    const bool absolute = !path.empty() && isSeparator(path.front());
    fs::path result = absolute ? fs::path("/") : (base.empty() ? fs::current_path() : base);

    bool parentExists = true;
    for (std::string_view part : splitComponents(path)) {
        if (part == "." || part == "..") {
            result /= std::string(part);
            continue;
        }
        fs::path exact = result / std::string(part);
        std::error_code error;
        if (!parentExists || fs::exists(fs::symlink_status(exact, error))) {
            result = std::move(exact);
        } else {
            result /= matchInDirectory(result, part);
        }
        parentExists = parentExists && fs::exists(result, error);
    }
    return result;
}

std::string cutDevelopmentBuild(std::string_view directory) {
    for (std::string_view word : std::array<std::string_view, 2>{"debug", "release"}) {
        std::size_t at = findComponent(directory, word);
        if (at != std::string_view::npos) return std::string(directory.substr(0, at));
    }
    return std::string(directory);
}

std::string programDirectory() {
    std::error_code error;
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path().string() + "/";
    std::string directory = program.parent_path().string();
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace tessary::platform
