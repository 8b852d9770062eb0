#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace tessary::platform {
namespace {
namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch tree with the user's folders in it: "dev" is a writable
// application folder, "usr/lib/tessary" an installed one (marker), "ro" a
// read-only one without a marker.
class UserFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessary-user-folders-XXXXXX";
        root_ = ::mkdtemp(pattern);
        for (const char* folder : {"dev/games/slimefray", "usr/lib/tessary/games/slimefray", "ro"})
            fs::create_directories(root_ / folder);
        for (const char* app : {"dev", "usr/lib/tessary", "ro"}) std::ofstream(root_ / app / "CONFIG.INI") << app;
        std::ofstream(root_ / "usr/lib/tessary" / kInstalledMarker);
        fs::permissions(root_ / "ro", fs::perms::owner_write, fs::perm_options::remove);
        ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_CACHE_HOME");
        fs::permissions(root_ / "ro", fs::perms::owner_write, fs::perm_options::add);
        fs::remove_all(root_);
    }

    fs::path root_;
};

TEST_F(UserFoldersTest, WritableFoldersAreUsedInPlaceAndInstalledOnesNever) {
    // root passes every permission check: only the marker keeps it out.
    const bool readOnlyIsReal = ::geteuid() != 0;
    struct Case {
        const char* path;
        const char* expected;  // below root_; "" = unchanged
    };
    const Case cases[] = {
        {"dev/Pub", ""},
        {"dev/photo.jpg", ""},
        {"dev/games/slimefray/theme", ""},
        {"usr/lib/tessary/Pub", "cache/tessary/Pub"},
        {"usr/lib/tessary/photo.jpg", "cache/tessary/photo.jpg"},
        {"usr/lib/tessary/games/slimefray/theme", "cache/tessary/games/slimefray/theme"},
        {"usr/lib/tessary/games/slimefray/theme/Forest.thm", "cache/tessary/games/slimefray/theme/Forest.thm"},
    };
    for (const Case& c : cases) {
        const fs::path expected = *c.expected ? root_ / c.expected : root_ / c.path;
        EXPECT_EQ(cachePath(root_ / c.path), expected) << c.path;
    }
    EXPECT_TRUE(writesInPlace(root_ / "dev/games/slimefray/theme"));
    EXPECT_FALSE(writesInPlace(root_ / "usr/lib/tessary/games/slimefray"));
    if (readOnlyIsReal) {
        EXPECT_FALSE(writesInPlace(root_ / "ro"));
        EXPECT_EQ(cachePath(root_ / "ro" / "Pub"), root_ / "cache/tessary" / (root_ / "ro/Pub").relative_path());
    }
}

TEST_F(UserFoldersTest, SettingsAreCopiedOnceAndTheCopyIsKept) {
    EXPECT_EQ(settingsPath(root_ / "dev/CONFIG.INI"), root_ / "dev/CONFIG.INI");
    EXPECT_FALSE(fs::exists(root_ / "config"));

    const fs::path copy = settingsPath(root_ / "usr/lib/tessary/CONFIG.INI");
    ASSERT_EQ(copy, root_ / "config/tessary/CONFIG.INI");
    EXPECT_EQ(contents(copy), "usr/lib/tessary");
    // Settings hold the saved password: the copy is the user's alone.
    EXPECT_EQ(fs::status(copy).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // Changed by the user, then the installed file is updated: the copy wins.
    std::ofstream(copy) << "changed";
    std::ofstream(root_ / "usr/lib/tessary/CONFIG.INI") << "new release";
    EXPECT_EQ(settingsPath(root_ / "usr/lib/tessary/CONFIG.INI"), copy);
    EXPECT_EQ(contents(copy), "changed");
    EXPECT_EQ(std::distance(fs::directory_iterator(copy.parent_path()), fs::directory_iterator()), 1)
        << "no temporary file left";

    // Nothing to copy: the path is still the copy's, and no file appears.
    fs::remove(root_ / "usr/lib/tessary/CONFIG.INI");
    fs::remove(copy);
    EXPECT_EQ(settingsPath(root_ / "usr/lib/tessary/CONFIG.INI"), copy);
    EXPECT_FALSE(fs::exists(copy));
}

}  // namespace
}  // namespace tessary::platform
