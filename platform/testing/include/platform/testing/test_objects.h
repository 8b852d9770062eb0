// Test support: names for the shared-memory objects a test makes, and their
// removal however the test ends.
//
// `./tessary test` sets TESSARY_TEST_RUN to a marker of its own run; every
// test's prefix starts with it, so that the check after the suite finds what
// this run left behind and nothing of a run beside it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessary::platform::testing {

// $TESSARY_TEST_RUN + tag + the process id + "-".
std::string shmPrefix(std::string_view tag);

// Removes every shared-memory object whose name starts with `prefix`,
// whoever made it (the test or the programs it started).
void removeShmObjects(std::string_view prefix);

// Holds TESSARY_SHM_PREFIX at a prefix of the test's own for its scope (the
// programs it starts inherit it) and removes that prefix's objects at the
// end, also when the test fails half-way.
class ShmPrefixScope {
public:
    explicit ShmPrefixScope(std::string_view tag);
    ~ShmPrefixScope();
    ShmPrefixScope(const ShmPrefixScope&) = delete;
    ShmPrefixScope& operator=(const ShmPrefixScope&) = delete;

    const std::string& prefix() const { return prefix_; }

private:
    std::string prefix_;
};

// A fresh folder under the temporary directory, removed with everything in
// it at the end of its scope.
class TempFolder {
public:
    explicit TempFolder(std::string_view tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tessary::platform::testing
