#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace tessary::platform {
namespace {
namespace fs = std::filesystem;

class NativePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("tessary-paths-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "data" / "default" / "session");
        fs::create_directories(root_ / "data" / "Picture");
        std::ofstream(root_ / "data" / "default" / "session" / "open.bmp") << "x";
        std::ofstream(root_ / "data" / "Picture" / "1.jpg") << "x";
        std::ofstream(root_ / "CONFIG.INI") << "x";
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
};

TEST_F(NativePathTest, ResolvesEachComponentWithoutRegardToCase) {
    struct Case {
        const char* written;
        fs::path expected;
    };
    const Case cases[] = {
        {"data\\default\\session\\open.bmp", "data/default/session/open.bmp"},
        {"data\\Default\\session\\open.bmp", "data/default/session/open.bmp"},
        {"DATA\\DEFAULT\\SESSION\\OPEN.BMP", "data/default/session/open.bmp"},
        {"data\\picture\\1.jpg", "data/Picture/1.jpg"},
        {"data/Picture/1.JPG", "data/Picture/1.jpg"},
        {"config.ini", "CONFIG.INI"},
        {"data\\\\default\\", "data/default"},
        {".\\data\\default", "./data/default"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nativePath(c.written, root_), root_ / c.expected) << c.written;
    }
}

TEST_F(NativePathTest, KeepsMissingComponentsAsWritten) {
    EXPECT_EQ(nativePath("data\\Default\\New\\File.txt", root_),
              root_ / "data/default/New/File.txt");
    EXPECT_EQ(nativePath("Nowhere\\At\\All", root_), root_ / "Nowhere/At/All");
}

TEST_F(NativePathTest, PrefersTheExactSpellingWhenBothExist) {
    fs::create_directories(root_ / "data" / "DEFAULT");
    EXPECT_EQ(nativePath("data\\DEFAULT", root_), root_ / "data/DEFAULT");
    EXPECT_EQ(nativePath("data\\default", root_), root_ / "data/default");
    // Neither spelling exists exactly: the first in name order wins.
    EXPECT_EQ(nativePath("data\\Default", root_), root_ / "data/DEFAULT");
}

TEST_F(NativePathTest, AbsolutePathsIgnoreTheBase) {
    std::string absolute = (root_ / "data").string() + "\\DEFAULT\\session";
    EXPECT_EQ(nativePath(absolute, "/elsewhere"), root_ / "data/default/session");
    EXPECT_EQ(nativePath("C:\\tmp", "/elsewhere"), fs::path("/tmp"));
}

TEST_F(NativePathTest, RelativeToTheCurrentDirectoryWithoutBase) {
    fs::path saved = fs::current_path();
    fs::current_path(root_);
    fs::path resolved = nativePath("Data\\DEFAULT");
    fs::current_path(saved);
    EXPECT_EQ(resolved, root_ / "data/default");
}

TEST(CutDevelopmentBuildTest, CutsInFrontOfDebugThenRelease) {
    struct Case {
        const char* directory;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/a/tessary/", "/home/a/tessary/"},
        {"/home/a/tessary/debug/", "/home/a/tessary/"},
        {"/home/a/tessary/Release/", "/home/a/tessary/"},
        {"/home/a/tessary/RELEASE/bin/", "/home/a/tessary/"},
        {"C:\\Games\\Tessary\\DEBUG\\", "C:\\Games\\Tessary\\"},
        // Debug is searched first, wherever release stands.
        {"/x/release/y/debug/", "/x/release/y/"},
        {"/x/debug/y/release/", "/x/"},
        // Only whole components count.
        {"/x/mydebug/", "/x/mydebug/"},
        {"/x/debugging/", "/x/debugging/"},
        {"/x/debug", "/x/debug"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cutDevelopmentBuild(c.directory), c.expected) << c.directory;
    }
}

TEST(ProgramDirectoryTest, EndsWithASlashAndHoldsThisProgram) {
    std::string directory = programDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(directory) / "platform_tests"));
}

}  // namespace
}  // namespace tessary::platform
