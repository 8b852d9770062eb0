// Where the lobby finds its data: the directory of its program file.
#pragma once

#include <filesystem>

namespace tessary::lobby {

// The application directory for a program at `programPath`: its directory,
// cut before a "debug" or "release" component (compared without regard to
// case) so that a development build uses the directory above its build
// folder. "debug" is looked for first: a path holding both is cut at
// "debug" even when "release" comes earlier.
std::filesystem::path applicationDirectoryFor(const std::filesystem::path& programPath);

// The directory of the running program (from /proc/self/exe), cut as above.
std::filesystem::path applicationDirectory();

}  // namespace tessary::lobby
