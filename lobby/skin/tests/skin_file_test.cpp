#include "skin/skin_file.h"

#include <gtest/gtest.h>

#include "skin/scramble.h"
#include "skin/skin_error.h"
#include "test_files.h"

namespace tessary::skin {
namespace {

using testing::readFile;
using testing::TempDir;

SkinFile fromText(std::string text, bool scrambled = false) {
    SkinFile file;
    file.openBytes(std::move(text), "test.ini", scrambled);
    return file;
}

// The text number of the fatal error that `action` throws, or 0.
template <typename Action>
int fatalTextOf(Action&& action) {
    try {
        action();
    } catch (const SkinFatalError& error) {
        return error.textNumber();
    }
    return 0;
}

TEST(SkinFileReadTest, TokensAfterASection) {
    struct Case {
        const char* name;
        const char* text;
        const char* section;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"plain", "[A]\none two\r\nthree", "A", {"one", "two", "three"}},
        {"bar is a blank", "[USERINFO]\nJohn|Smith secret", "USERINFO", {"John Smith", "secret"}},
        {"comment line skipped", "[A]\n; a comment\nvalue", "A", {"value"}},
        {"several comment lines", "[A]\n;one\n  ; two\r\n;three\n\tvalue", "A", {"value"}},
        {"semicolon inside a token kept", "[A] ab;cd", "A", {"ab;cd"}},
        {"comment between tokens", "[A] 1\n; note\n2", "A", {"1", "2"}},
        {"section inside a longer word", "x[BUDDY]y 3", "BUDDY", {"y", "3"}},
        {"section inside a comment", "; [FONT] 7\n[FONT] 9", "FONT", {"7", "[FONT]", "9"}},
        {"first occurrence wins", "[S] first\n[S] second", "S", {"first", "[S]", "second"}},
        {"tabs and CR are blanks", "[A]\t\r\na\tb\r", "A", {"a", "b"}},
        {"last token without line end", "[A] last", "A", {"last"}},
        {"case counts in section names", "[sound] 0 [SOUND] 1", "SOUND", {"1"}},
    };
    for (const Case& c : cases) {
        SkinFile file = fromText(c.text);
        ASSERT_TRUE(file.findSection(c.section)) << c.name;
        for (const std::string& expected : c.tokens)
            EXPECT_EQ(file.readToken(), expected) << c.name;
    }
}

TEST(SkinFileReadTest, IntegersAreDigitsOnly) {
    struct Case {
        const char* token;
        int expected;  // 0 with fatal set
        bool fatal;
    };
    const Case cases[] = {
        {"0", 0, false},         {"7000", 7000, false},
        {"007", 7, false},       {"2147483647", 2147483647, false},
        {"-1", 0, true},         {"+1", 0, true},
        {"12a", 0, true},        {"1.5", 0, true},
        {"2147483648", 0, true}, {"99999999999999999999", 0, true},
        {"|", 0, true},
    };
    for (const Case& c : cases) {
        SkinFile file = fromText(std::string("[N] ") + c.token);
        file.findSection("N");
        if (c.fatal) {
            EXPECT_EQ(fatalTextOf([&] { (void)file.readInt(); }), kTextBrokenFile) << c.token;
        } else {
            EXPECT_EQ(file.readInt(), c.expected) << c.token;
        }
    }
}

TEST(SkinFileReadTest, ReadingPastTheEndIsFatal) {
    SkinFile file = fromText("[A] 1\n; trailing comment");
    ASSERT_TRUE(file.findSection("A"));
    EXPECT_EQ(file.readInt(), 1);
    EXPECT_EQ(fatalTextOf([&] { (void)file.readToken(); }), kTextBrokenFile);
}

TEST(SkinFileReadTest, AbsentSectionMovesToTheEnd) {
    SkinFile file = fromText("[A] 1 2 3");
    EXPECT_FALSE(file.findSection("B"));
    EXPECT_EQ(file.position(), file.text().size() + 1);
    EXPECT_EQ(fatalTextOf([&] { (void)file.readInt(); }), kTextBrokenFile);
    // Searching starts from the beginning again.
    EXPECT_TRUE(file.findSection("A"));
    EXPECT_EQ(file.readInt(), 1);
}

TEST(SkinFileReadTest, RectangleIsLeftTopRightBottom) {
    SkinFile file = fromText("[R] 10 20 110 45");
    file.findSection("R");
    EXPECT_EQ(file.readRect(), (SkinRect{10, 20, 110, 45}));
}

TEST(SkinFileReadTest, WholeLineValue) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"[FULLNAME]\nName=Five Card Draw\n[X]", "Five Card Draw"},
        {"[FULLNAME]\r\n  name =   Slimefray\r\n", "Slimefray"},
        {"[FULLNAME] Chat room\n", "Chat room"},
        {"[FULLNAME]\nA=B=C", "B=C"},
        {"[FULLNAME]\nlast line", "last line"},
        {"[FULLNAME]\nName=", ""},
        {"[FULLNAME]", ""},
    };
    for (const Case& c : cases) {
        SkinFile file = fromText(c.text);
        ASSERT_TRUE(file.findSection("FULLNAME")) << c.text;
        EXPECT_EQ(file.readLineValue(), c.expected) << c.text;
    }
}

TEST(SkinFileWriteTest, WriteTokenReplacesTheNextToken) {
    struct Case {
        const char* name;
        const char* text;
        const char* section;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"same length", "[SOUND]\n1\n[FONT] 0", "SOUND", "0", "[SOUND]\n0\n[FONT] 0"},
        {"longer", "[USERINFO] DUMMY DUMMY", "USERINFO", "Alexandra", "[USERINFO] Alexandra DUMMY"},
        {"blank becomes a bar", "[USERINFO] a b\n", "USERINFO", "Ann Lee",
         "[USERINFO] Ann|Lee b\n"},
        {"empty value keeps the shape", "[U] a b", "U", "", "[U] | b"},
        {"comment skipped", "[U]\n;x\nold", "U", "new", "[U]\n;x\nnew"},
        {"no token left appends", "[U]", "U", "v", "[U]\nv"},
        {"no token after the line end", "[U]\n", "U", "v", "[U]\nv"},
        {"comment on the last line", "[U] ;note", "U", "v", "[U] ;note\nv"},
    };
    for (const Case& c : cases) {
        SkinFile file = fromText(c.text);
        file.findSection(c.section);
        file.writeToken(c.value);
        EXPECT_TRUE(file.isDirty()) << c.name;
        EXPECT_EQ(file.text(), c.expected) << c.name;
    }
}

TEST(SkinFileWriteTest, WrittenValuesReadBack) {
    SkinFile file = fromText("[USERINFO] DUMMY DUMMY\n[SOUND] 1\n");
    file.findSection("USERINFO");
    file.writeToken("Mary Ann");
    file.writeToken("pass word");
    file.findSection("SOUND");
    file.writeInt(-5);
    file.findSection("USERINFO");
    EXPECT_EQ(file.readToken(), "Mary Ann");
    EXPECT_EQ(file.readToken(), "pass word");
    file.findSection("SOUND");
    EXPECT_EQ(file.readInt(), 0);
}

TEST(SkinFileWriteTest, ReplaceSectionKeepsTheNextHeader) {
    struct Case {
        const char* name;
        const char* text;
        const char* replacement;
        const char* expected;
    };
    const Case cases[] = {
        {"before the next section", "[BUDDY]\n2 Ann Bob\n[FONT] 0", "3 Ann Bob Cy ",
         "[BUDDY]\n3 Ann Bob Cy \n[FONT] 0"},
        {"last section", "[X] 1\n[BUDDY]\n1 Ann\n", "0 ", "[X] 1\n[BUDDY]\n0 "},
        {"empty body", "[BUDDY]\n[FONT] 0", "1 Zed ", "[BUDDY]\n1 Zed [FONT] 0"},
        {"header right after", "[BUDDY] 0\n[A]", "2 a b ", "[BUDDY] 2 a b \n[A]"},
    };
    for (const Case& c : cases) {
        SkinFile file = fromText(c.text);
        ASSERT_TRUE(file.findSection("BUDDY")) << c.name;
        file.replaceSection(c.replacement);
        EXPECT_EQ(file.text(), c.expected) << c.name;
    }
}

TEST(ScrambleTest, TwiceGivesTheOriginalBytes) {
    std::string original;
    for (int i = 0; i < 1000; ++i) original += static_cast<char>(i * 7);
    std::string bytes = original;
    scramble(bytes);
    EXPECT_NE(bytes, original);
    scramble(bytes);
    EXPECT_EQ(bytes, original);
}

TEST(ScrambleTest, KeyStream) {
    // Byte i is XORed with "5081726"[i % 7] ^ "Kelp"[i % 4].
    std::string zeros(28, '\0');
    scramble(zeros);
    const std::string key7 = "5081726", key4 = "Kelp";
    for (std::size_t i = 0; i < zeros.size(); ++i) {
        EXPECT_EQ(zeros[i], static_cast<char>(key7[i % 7] ^ key4[i % 4])) << i;
    }
}

class SkinFileDiskTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(SkinFileDiskTest, ScrambledFileLoadsAndSavesScrambled) {
    std::string plain = "[SOUND]\n1\n[ROUTER]\n127.0.0.1 7000\n";
    std::string stored = plain;
    scramble(stored);
    auto path = dir_.write("CONFIG.INI", stored);
    // The owner-only mode of a user's settings copy survives the rewrite.
    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    std::filesystem::permissions(path, ownerOnly);

    SkinFile file;
    file.open(path.string(), true);
    ASSERT_TRUE(file.findSection("ROUTER"));
    EXPECT_EQ(file.readToken(), "127.0.0.1");
    EXPECT_EQ(file.readInt(), 7000);
    file.findSection("SOUND");
    file.writeInt(0);
    ASSERT_TRUE(file.close());
    EXPECT_FALSE(file.isDirty());

    std::string saved = readFile(path);
    scramble(saved);
    EXPECT_EQ(saved, "[SOUND]\n0\n[ROUTER]\n127.0.0.1 7000\n");
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all, ownerOnly);
}

TEST_F(SkinFileDiskTest, CloseWritesOnlyWhenChanged) {
    auto path = dir_.write("font.ini", "[FONT] 0");
    SkinFile file;
    file.open(path.string(), false);
    std::filesystem::remove(path);
    EXPECT_TRUE(file.close());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SkinFileDiskTest, UnreadableFileIsFatal36WithItsPath) {
    std::filesystem::create_directories(dir_.path() / "folder.ini");
    for (const char* name : {"missing.ini", "folder.ini"}) {
        SkinFile file;
        try {
            file.open((dir_.path() / name).string(), false);
            ADD_FAILURE() << name << ": no error";
        } catch (const SkinFatalError& error) {
            EXPECT_EQ(error.textNumber(), kTextCannotOpenFile) << name;
            EXPECT_NE(error.path().find(name), std::string::npos) << name;
        }
    }
}

TEST_F(SkinFileDiskTest, OpensWithPartsStylePaths) {
    std::filesystem::create_directories(dir_.path() / "data" / "font");
    dir_.write("data/font/font.ini", "[FONT] 1");
    SkinFile file;
    file.open(dir_.path().string() + "/DATA\\Font\\FONT.INI", false);
    file.findSection("FONT");
    EXPECT_EQ(file.readInt(), 1);
}

TEST_F(SkinFileDiskTest, ScrambledSizeLimit) {
    std::string largest(kMaxScrambledSize, 'x');
    scramble(largest);
    SkinFile file;
    file.open(dir_.write("largest.bin", largest).string(), true);
    EXPECT_EQ(file.text().size(), kMaxScrambledSize);
    EXPECT_EQ(file.text().front(), 'x');
    EXPECT_EQ(file.text().back(), 'x');

    std::string tooLong(kMaxScrambledSize + 1, 'x');
    SkinFile refused;
    EXPECT_EQ(fatalTextOf([&] { refused.open(dir_.write("long.bin", tooLong).string(), true); }),
              kTextBrokenFile);

    // A plain file has no such limit.
    SkinFile plain;
    plain.open(dir_.write("long.txt", tooLong).string(), false);
    EXPECT_EQ(plain.text().size(), kMaxScrambledSize + 1);
}

TEST_F(SkinFileDiskTest, SaveThatWouldPassTheLimitKeepsTheOldFile) {
    std::string stored = "[BUDDY]\n0\n";
    scramble(stored);
    auto path = dir_.write("CONFIG.INI", stored);
    SkinFile file;
    file.open(path.string(), true);
    file.findSection("BUDDY");
    file.replaceSection(std::string(kMaxScrambledSize, 'a'));
    EXPECT_FALSE(file.close());
    EXPECT_EQ(readFile(path), stored);
}

}  // namespace
}  // namespace tessary::skin
