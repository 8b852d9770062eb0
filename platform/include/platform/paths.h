// Paths written the way the data files and the lobby write them (backslashes,
// any case: "data\\Default\\session\\open.bmp") turned into native paths, and
// the application directory of the running program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessary::platform {

// Turns `path` into a native path. Backslashes and slashes both separate
// components; a relative path is taken below `base` (the current directory when
// `base` is empty). Each component that does not exist with its exact spelling
// is matched without regard to ASCII case against its directory's entries (the
// first match in name order wins), so "data\\Default\\" finds "data/default/".
// Components that match nothing are kept as written. A drive prefix such as
// "C:" is dropped.
[[nodiscard]] std::filesystem::path nativePath(std::string_view path,
                                               const std::filesystem::path& base = {});

// The development-build rule: a directory (written with a trailing separator)
// that holds a component "debug" is cut in front of the first such component;
// otherwise one that holds "release" is cut in front of the first of those.
// Components compare without regard to case; both separators are accepted.
// "/home/a/build/debug/" gives "/home/a/build/".
[[nodiscard]] std::string cutDevelopmentBuild(std::string_view directory);

// The directory of the running program's file, with a trailing "/".
[[nodiscard]] std::string programDirectory();

// programDirectory() after the development-build rule: the directory the
// program's data lies in.
[[nodiscard]] inline std::string applicationDirectory() {
    return cutDevelopmentBuild(programDirectory());
}

}  // namespace tessary::platform
