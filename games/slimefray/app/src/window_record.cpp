#include "window_record.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace tessary::slimefray {

std::filesystem::path WindowRecord::folder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return std::filesystem::path(runtime) / "tessary" / "windows";
    }
    return std::filesystem::path("/tmp") / ("tessary-" + std::to_string(::getuid())) / "windows";
}

WindowRecord::WindowRecord(const std::string& title) : path_(folder() / title) {
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    std::filesystem::path temporary = path_;
    temporary += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary);
        out << ::getpid() << "\n";
    }
    std::filesystem::rename(temporary, path_, error);
}

WindowRecord::~WindowRecord() {
    std::error_code error;
    std::ifstream in(path_);
    long pid = 0;
    // Another instance may have taken the name since: leave its record alone.
    if (in >> pid && pid == ::getpid()) std::filesystem::remove(path_, error);
}

}  // namespace tessary::slimefray
