#include "platform/window_titles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "platform/process.h"

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

// A title as one file name: "/" and "%" (and a leading ".") are written as
// %XX, so every title maps to exactly one entry inside the directory.
std::string fileNameFor(std::string_view title) {
    std::string name;
    for (size_t i = 0; i < title.size(); ++i) {
        const char c = title[i];
        if (c == '/' || c == '%' || (i == 0 && c == '.')) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", unsigned(uint8_t(c)));
            name += escaped;
        } else {
            name += c;
        }
    }
    return name;
}

pid_t readPid(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    return error == std::errc() ? pid : 0;
}

// Entries are trusted only in a folder that belongs to this user: in /tmp
// another user could have made the folder first.
bool folderIsOurs(const fs::path& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

}  // namespace

fs::path windowTitleDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return fs::path(runtime) / "tessary" / "windows";
    return fs::path("/tmp") / ("tessary-" + std::to_string(::getuid())) / "windows";
}

bool publishWindowTitle(std::string_view title) {
    if (title.empty()) return false;
    const auto directory = windowTitleDirectory();
    std::error_code error;
    fs::create_directories(directory, error);
    fs::permissions(directory.parent_path(), fs::perms::owner_all, error);
    if (!folderIsOurs(directory) || !folderIsOurs(directory.parent_path())) return false;
    const auto file = directory / fileNameFor(title);

    std::string temporary = fs::path(file).concat(".XXXXXX").string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    const std::string text = std::to_string(::getpid()) + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void withdrawWindowTitle(std::string_view title) {
    if (title.empty()) return;
    const auto file = windowTitleDirectory() / fileNameFor(title);
    if (readPid(file) == ::getpid()) ::unlink(file.c_str());
}

pid_t findWindowByTitle(std::string_view title) {
    const auto directory = windowTitleDirectory();
    if (title.empty() || !folderIsOurs(directory)) return 0;
    const pid_t pid = readPid(directory / fileNameFor(title));
    return processAlive(pid) ? pid : 0;
}

}  // namespace tessary::platform
