// Finding a running program by the title of its main window.
//
// While its main window is open, a game publishes its process id under the
// window's title in `$XDG_RUNTIME_DIR/tessary/windows/` (without that
// variable: `/tmp/tessary-<uid>/windows/`); the lobby's library looks the
// title up to wake the game instead of starting a second copy.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

namespace tessary::platform {

std::filesystem::path windowTitleDirectory();

// Publishes the calling process under `title` (replacing an older entry).
// False for an empty title or when the file cannot be written.
bool publishWindowTitle(std::string_view title);

// Removes the entry for `title` if it names the calling process.
void withdrawWindowTitle(std::string_view title);

// The id of the live process published under `title`; 0 when there is none
// or it has exited.
[[nodiscard]] pid_t findWindowByTitle(std::string_view title);

}  // namespace tessary::platform
