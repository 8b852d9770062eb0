#include "platform/testing/test_objects.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace tessary::platform::testing {

std::string shmPrefix(std::string_view tag) {
    const char* run = std::getenv("TESSARY_TEST_RUN");
    return std::string(run ? run : "") + std::string(tag) + std::to_string(::getpid()) + "-";
}

void removeShmObjects(std::string_view prefix) {
    if (prefix.empty()) return;  // never everybody's objects
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix)) ::shm_unlink(("/" + name).c_str());
    }
}

ShmPrefixScope::ShmPrefixScope(std::string_view tag) : prefix_(shmPrefix(tag)) {
    ::setenv("TESSARY_SHM_PREFIX", prefix_.c_str(), 1);
}

ShmPrefixScope::~ShmPrefixScope() {
    removeShmObjects(prefix_);
    ::unsetenv("TESSARY_SHM_PREFIX");
}

TempFolder::TempFolder(std::string_view tag) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(tag) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace tessary::platform::testing
