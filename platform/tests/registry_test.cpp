#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPokerKey = "SOFTWARE\\Quillon\\Tessary Games\\POKER";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessary-registry-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file() const { return dir_ / "sub" / "registry.ini"; }
    std::string contents() const {
        std::ifstream in(file());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void writeFile(const std::string& text) const {
        fs::create_directories(file().parent_path());
        std::ofstream(file()) << text;
    }

    fs::path dir_;
};

TEST_F(RegistryTest, MissingFileKeyOrValueReadsNothing) {
    Registry registry(file());
    EXPECT_FALSE(registry.get(kPokerKey, "directory"));
    ASSERT_TRUE(registry.set(kPokerKey, "directory", "/opt/poker"));
    EXPECT_FALSE(registry.get(kPokerKey, "exec"));
    EXPECT_FALSE(registry.get("SOFTWARE\\Quillon\\Tessary Client", "directory"));
    EXPECT_EQ(registry.get(kPokerKey, "directory"), "/opt/poker");
}

TEST_F(RegistryTest, KeepsBackslashesInTheSectionAndTheFirstSpelling) {
    Registry registry(file());
    ASSERT_TRUE(registry.set(kPokerKey, "Directory", "a"));
    ASSERT_TRUE(registry.set("software\\quillon\\tessary games\\poker", "directory", "b"));
    EXPECT_EQ(contents(), "[SOFTWARE\\Quillon\\Tessary Games\\POKER]\nDirectory=b\n");
    EXPECT_EQ(registry.get("SOFTWARE\\QUILLON\\TESSARY GAMES\\poker", "DIRECTORY"), "b");
}

TEST_F(RegistryTest, WritesIntoTheRightSectionAndKeepsEverythingElse) {
    writeFile("; written by hand\n"
              "[SOFTWARE\\Quillon\\Tessary Client]\n"
              "Directory=/opt/tessary\n"
              "\n"
              "[SOFTWARE\\Quillon\\Tessary Games\\POKER]\n"
              "exec = poker\n"
              "version=1.0\n");
    Registry registry(file());
    ASSERT_TRUE(registry.set(kPokerKey, "window", "Poker table"));
    ASSERT_TRUE(registry.set("SOFTWARE\\Quillon\\Tessary Client", "Directory", "/srv/tessary"));
    ASSERT_TRUE(registry.set("SOFTWARE\\Quillon\\Tessary Games\\SLIMEFRAY", "exec", "Slimefray"));
    EXPECT_EQ(contents(),
              "; written by hand\n"
              "[SOFTWARE\\Quillon\\Tessary Client]\n"
              "Directory=/srv/tessary\n"
              "\n"
              "[SOFTWARE\\Quillon\\Tessary Games\\POKER]\n"
              "exec = poker\n"
              "version=1.0\n"
              "window=Poker table\n"
              "\n"
              "[SOFTWARE\\Quillon\\Tessary Games\\SLIMEFRAY]\n"
              "exec=Slimefray\n");
    EXPECT_EQ(registry.get(kPokerKey, "exec"), " poker");
}

TEST_F(RegistryTest, ListsTheKeysDirectlyUnderAParent) {
    writeFile("[SOFTWARE\\Quillon\\Tessary Games\\POKER]\ndirectory=a\n"
              "[software\\quillon\\tessary games\\CHAT]\n"
              "[SOFTWARE\\Quillon\\Tessary Games\\poker]\n"
              "[SOFTWARE\\Quillon\\Tessary Games\\SLIME\\deeper]\n"
              "[SOFTWARE\\Quillon\\Tessary Games]\n"
              "[SOFTWARE\\Quillon\\Tessary Client]\n");
    Registry registry(file());
    EXPECT_EQ(registry.subkeys("SOFTWARE\\Quillon\\Tessary Games\\"),
              (std::vector<std::string>{"POKER", "CHAT"}));
    EXPECT_TRUE(Registry(dir_ / "missing.ini").subkeys("SOFTWARE\\").empty());
}

TEST_F(RegistryTest, ValuesKeepTheirBytes) {
    Registry registry(file());
    const std::string values[] = {"", "a=b=c", "  leading and trailing  ", "C:\\games\\x.exe|-a -b",
                                  "caf\xe9 \x80"};
    for (const auto& value : values) {
        ASSERT_TRUE(registry.set(kPokerKey, "arg", value)) << value;
        EXPECT_EQ(registry.get(kPokerKey, "arg"), value);
    }
}

TEST_F(RegistryTest, RefusesWhatWouldBreakTheFile) {
    struct Case {
        const char* key;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {kPokerKey, "arg", "two\nlines"}, {kPokerKey, "arg", "cr\r"},   {kPokerKey, "a=b", "v"},
        {kPokerKey, "", "v"},             {kPokerKey, "[x", "v"},       {kPokerKey, ";x", "v"},
        {"KEY]", "arg", "v"},             {"", "arg", "v"},             {"two\nlines", "arg", "v"},
    };
    Registry registry(file());
    for (const auto& c : cases) EXPECT_FALSE(registry.set(c.key, c.name, c.value)) << c.key << "/" << c.name;
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(RegistryTest, ReportsAnUnwritableFile) {
    writeFile("");
    fs::create_directory(file().string() + ".lock");  // the lock cannot be opened
    EXPECT_FALSE(Registry(file()).set(kPokerKey, "arg", "v"));
}

TEST_F(RegistryTest, SharedPathFollowsTheEnvironment) {
    const char* savedRegistry = std::getenv("TESSARY_REGISTRY");
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string keepRegistry = savedRegistry ? savedRegistry : "";
    const std::string keepConfig = savedConfig ? savedConfig : "";

    ::setenv("TESSARY_REGISTRY", "/x/reg.ini", 1);
    EXPECT_EQ(Registry::sharedPath(), "/x/reg.ini");
    ::unsetenv("TESSARY_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(Registry::sharedPath(), "/cfg/tessary/registry.ini");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    EXPECT_EQ(Registry::sharedPath().filename(), "registry.ini");
    EXPECT_NE(Registry::sharedPath().string().rfind("relative", 0), 0u);

    savedRegistry ? (void)::setenv("TESSARY_REGISTRY", keepRegistry.c_str(), 1) : (void)::unsetenv("TESSARY_REGISTRY");
    savedConfig ? (void)::setenv("XDG_CONFIG_HOME", keepConfig.c_str(), 1) : (void)::unsetenv("XDG_CONFIG_HOME");
}

// Two processes writing different values at once: the lock keeps every one.
TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kValuesPerWriter = 40;
    auto writeMany = [&](const std::string& prefix) {
        Registry registry(file());
        bool ok = true;
        for (int i = 0; i < kValuesPerWriter; ++i)
            ok = registry.set(kPokerKey, prefix + std::to_string(i), std::to_string(i)) && ok;
        return ok;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(writeMany("child") ? 0 : 1);
    const bool parentOk = writeMany("parent");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(parentOk);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    Registry registry(file());
    for (int i = 0; i < kValuesPerWriter; ++i) {
        EXPECT_EQ(registry.get(kPokerKey, "child" + std::to_string(i)), std::to_string(i));
        EXPECT_EQ(registry.get(kPokerKey, "parent" + std::to_string(i)), std::to_string(i));
    }
    for (const auto& entry : fs::directory_iterator(file().parent_path()))
        EXPECT_TRUE(entry.path() == file() || entry.path().extension() == ".lock") << entry.path();
}

}  // namespace
}  // namespace tessary::platform
