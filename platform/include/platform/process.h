// Other programs of the service: whether one still runs, starting one,
// signalling one. Process ids stand in for the window handles that programs
// leave in the hand-off block.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace tessary::platform {

// True while `pid` names a process that has not exited (a zombie that nobody
// has reaped yet counts as gone). Ids below 1 are never alive.
[[nodiscard]] bool processAlive(pid_t pid);

// Starts `program` (a path) with `arguments` as its whole argument vector,
// argument 0 included, and returns at once with the child's id; nothing when
// the program cannot be started. The child starts with an empty signal mask
// and default signal actions whatever the caller set up.
[[nodiscard]] std::optional<pid_t> spawnProgram(const std::string& program, const std::vector<std::string>& arguments);

// Collects `child` if it has exited, without waiting; true when it is gone.
bool reapIfExited(pid_t child);

// Sends `signal` to another program. Refuses ids that would reach more than
// one process or the caller itself (0, negative, 1, own id): a corrupt record
// must never turn into kill(-1).
bool signalProgram(pid_t pid, int signal);

}  // namespace tessary::platform
