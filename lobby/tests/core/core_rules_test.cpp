#include <gtest/gtest.h>

#include "lobby/busy_count.h"
#include "lobby/game_catalog.h"
#include "lobby/own_photo.h"
#include "lobby/user_info.h"

namespace tessary::lobby {
namespace {

TEST(GameCatalog, ReadsGroupsOfFourLinesWithTheirQuirks) {
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<GameEntry> expected;
    };
    const Row rows[] = {
        {"two games", "POKER\n/g/poker\npoker\n1.0\nSLIME\n/g/s\nSlimefray\n2.1\n",
         {{"POKER", "/g/poker", "poker", "1.0"}, {"SLIME", "/g/s", "Slimefray", "2.1"}}},
        {"last line without line feed loses its last character", "POKER\n/g/poker\npoker\n1.0",
         {{"POKER", "/g/poker", "poker", "1."}}},
        {"blank line shifts the following fields",
         "POKER\n/g/poker\npoker\n1.0\n\nSLIME\n/g/s\nSlimefray\n2.1\n",
         {{"POKER", "/g/poker", "poker", "1.0"}, {"", "SLIME", "/g/s", "Slimefray"}}},
        {"text-mode line ends", "POKER\r\n/g/poker\r\npoker\r\n1.0\r\n",
         {{"POKER", "/g/poker", "poker", "1.0"}}},
        {"incomplete last group is dropped", "POKER\n/g/poker\npoker\n1.0\nSLIME\n/g/s\n",
         {{"POKER", "/g/poker", "poker", "1.0"}}},
        {"empty file", "", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parseGameCatalog(row.bytes), row.expected) << row.name;
    }
}

TEST(GameCatalog, LongLinesAreReadIn254CharacterPieces) {
    const std::string longName(300, 'x');
    const auto games = parseGameCatalog(longName + "\nd\np\nv\n");
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].name, std::string(253, 'x'));  // the piece loses its last character too
    EXPECT_EQ(games[0].directory, std::string(46, 'x'));
    EXPECT_EQ(games[0].program, "d");
    EXPECT_EQ(games[0].version, "p");
}

TEST(GameCatalog, MissingFileIsNotAnError) {
    EXPECT_FALSE(readGameCatalog("/nonexistent/game/game.tsc").has_value());
}

TEST(UserInfo, PlaceholderNameStartsWithEmptyFields) {
    EXPECT_EQ(initialLoginFields({"DUMMY", "secret"}), LoginPair{});
    EXPECT_EQ(initialLoginFields({"DUMMY", "DUMMY"}), LoginPair{});
    EXPECT_EQ(initialLoginFields({"dummy", "pw"}), (LoginPair{"dummy", "pw"}));
    EXPECT_EQ(initialLoginFields({"Ann Lee", "pw"}), (LoginPair{"Ann Lee", "pw"}));
}

TEST(UserInfo, OnlyTokensThatReadBackUnchangedAreStored) {
    const LoginPair placeholder{"DUMMY", "DUMMY"};
    struct Row {
        LoginPair used;
        LoginPair stored;
    };
    const Row rows[] = {
        {{"Ann", "pw"}, {"Ann", "pw"}},
        {{"Ann Lee", "p w"}, {"Ann Lee", "p w"}},  // blanks travel as "|"
        {{"Ann", "a|b"}, placeholder},             // "|" would come back as a blank
        {{"Ann", ";pw"}, placeholder},             // would be read as a comment
        {{"Ann", "pw;"}, {"Ann", "pw;"}},
        {{"a[ROUTER]", "pw"}, placeholder},        // would be found as a section
        {{"Ann", "p\tw"}, placeholder},
        {{"", "pw"}, placeholder},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(storableLogin(row.used), row.stored) << row.used.name << " / " << row.used.password;
    }
}

TEST(OwnPhoto, ExtensionIsComparedInLowerCaseAndSizeIsBounded) {
    struct Row {
        const char* path;
        std::uintmax_t size;
        OwnPhotoCheck expected;
    };
    const Row rows[] = {
        {"/home/a/me.jpg", 1000, OwnPhotoCheck::Accepted},
        {"/home/a/ME.JPG", 1000, OwnPhotoCheck::Accepted},
        {"/home/a/me.Gif", 20'480, OwnPhotoCheck::Accepted},
        {"/home/a/me.bmp", 20'481, OwnPhotoCheck::TooLarge},
        {"/home/a/me.jpeg", 10, OwnPhotoCheck::WrongType},
        {"/home/a/me.png", 10, OwnPhotoCheck::WrongType},
        {"/home/a.jpg/me", 10, OwnPhotoCheck::WrongType},
        {"/home/a/jpg", 10, OwnPhotoCheck::WrongType},
    };
    for (const auto& row : rows) EXPECT_EQ(checkOwnPhoto(row.path, row.size), row.expected) << row.path;
    EXPECT_EQ(ownPhotoTypeText("/home/a/ME.JPG"), ".JPG");
    EXPECT_EQ(ownPhotoTypeText("a.b"), "a.b");
}

TEST(BusyCount, ReportsOnlyCrossingsAndReleasesOnlyAwaitedAnswers) {
    BusyCount count;
    std::vector<bool> seen;
    count.setListener([&](bool busy) { seen.push_back(busy); });
    count.awaitAnswer(206);
    count.awaitAnswer(201);
    count.answered(4);  // an answer nobody asked for
    EXPECT_EQ(count.value(), 2);
    count.answered(206);
    count.answered(201);
    count.answered(201);  // a late answer after the request was done
    EXPECT_EQ(count.value(), 0);
    count.awaitAnswer(208);
    EXPECT_TRUE(count.busy());
    count.reset();
    {
        const auto hold = count.hold();
        EXPECT_TRUE(count.busy());
    }
    EXPECT_FALSE(count.busy());
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true, false, true, false}));
}

}  // namespace
}  // namespace tessary::lobby
