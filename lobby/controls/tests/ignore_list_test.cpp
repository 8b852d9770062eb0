#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "controls/ignore_list.h"
#include "skin/scramble.h"

namespace tessary::controls {
namespace {

class IgnoreListFile : public ::testing::Test {
protected:
    IgnoreListFile() {
        path_ = std::filesystem::temp_directory_path() /
                ("ignore_list_" + std::to_string(::getpid()) + ".ini");
        write("[SOUND]\n1\n[BUDDY]\n0\n");
    }
    ~IgnoreListFile() override { std::filesystem::remove(path_); }

    void write(std::string text) {
        skin::scramble(text);
        std::ofstream(path_, std::ios::binary) << text;
    }
    std::string read() const {
        std::ifstream in(path_, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        skin::scramble(text);
        return text;
    }

    std::filesystem::path path_;
};

TEST_F(IgnoreListFile, KeptPerUserBesideTheOtherSections) {
    IgnoreList ann;
    EXPECT_TRUE(ann.add("Bob"));
    EXPECT_FALSE(ann.add("BOB"));
    EXPECT_TRUE(ann.add("Carl Jr"));
    EXPECT_TRUE(ann.add("[evil]"));  // ignored for this run, not written
    ASSERT_TRUE(saveIgnoreList(path_.string(), "Ann", ann));
    IgnoreList dan;
    dan.add("Eve");
    ASSERT_TRUE(saveIgnoreList(path_.string(), "Dan", dan));

    const std::string text = read();
    EXPECT_NE(text.find("[SOUND]\n1\n[BUDDY]\n0\n"), std::string::npos);
    EXPECT_NE(text.find("Ann 2 Bob Carl|Jr"), std::string::npos);

    const IgnoreList loaded = loadIgnoreList(path_.string(), "Ann");
    EXPECT_EQ(loaded.names(), (std::vector<std::string>{"Bob", "Carl Jr"}));
    EXPECT_TRUE(loaded.contains("carl jr"));
    EXPECT_EQ(loadIgnoreList(path_.string(), "Dan").names(), std::vector<std::string>{"Eve"});
    EXPECT_TRUE(loadIgnoreList(path_.string(), "Zed").names().empty());

    ann.remove("bob");
    ASSERT_TRUE(saveIgnoreList(path_.string(), "Ann", ann));
    EXPECT_EQ(loadIgnoreList(path_.string(), "Ann").names(), std::vector<std::string>{"Carl Jr"});
    EXPECT_EQ(loadIgnoreList(path_.string(), "Dan").names(), std::vector<std::string>{"Eve"});
}

TEST_F(IgnoreListFile, BrokenOrMissingFilesGiveEmptyLists) {
    write("[IGNORE]\n2\nAnn x\n");
    EXPECT_TRUE(loadIgnoreList(path_.string(), "Ann").names().empty());
    IgnoreList list;
    list.add("Bob");
    ASSERT_TRUE(saveIgnoreList(path_.string(), "Ann", list));  // rewritten whole
    EXPECT_EQ(loadIgnoreList(path_.string(), "Ann").names(), std::vector<std::string>{"Bob"});
    EXPECT_TRUE(loadIgnoreList((path_.string() + ".none"), "Ann").names().empty());
    EXPECT_FALSE(saveIgnoreList((path_.string() + ".none"), "Ann", list));
}

}  // namespace
}  // namespace tessary::controls
