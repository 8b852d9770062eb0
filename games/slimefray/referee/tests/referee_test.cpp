#include "slimefray/referee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>

#include "board_picture.h"

namespace tessary::slimefray {
namespace {

using testing::moveRequest;

Bytes emptyMap(int side) { return Bytes(size_t(side) * size_t(side), 0); }

Bytes description(int side, int players, const std::string& theme = "Meadow", int clock = 0,
                  int seconds = 45, int items = 0) {
    return GameDescription{side, theme, players, clock, seconds, items}.encode();
}

std::vector<uint8_t> typesTo(const Outcome& outcome, uint16_t id) {
    std::vector<uint8_t> types;
    for (const Outgoing& m : outcome.messages) {
        if (m.to == id) types.push_back(m.type);
    }
    return types;
}

// The body of the first message of `type` to `to`; nothing when none went
// out, which then fails the comparison instead of the whole binary.
std::optional<Bytes> bodyOf(const Outcome& outcome, uint8_t type, uint16_t to) {
    for (const Outgoing& m : outcome.messages) {
        if (m.type == type && m.to == to) return m.body;
    }
    return std::nullopt;
}

RefereeSettings twoThemes() {
    RefereeSettings settings;
    Theme meadow = fallbackTheme();
    meadow.name = "Meadow";
    Theme lava = fallbackTheme();
    lava.name = "Lava";
    lava.pictures[0] = solidBmp(50, 50, 200, 40, 0);
    lava.animation = 2;
    settings.themes = {meadow, lava};
    return settings;
}

struct Session {
    explicit Session(RefereeSettings settings = twoThemes()) : referee(std::move(settings)) {}

    Outcome startWith(int players, const std::string& theme = "Meadow", int side = 6) {
        for (int i = 0; i < players; ++i) EXPECT_TRUE(referee.playerJoined(uint16_t(11 + i), "p", 0).accepted());
        referee.masterChanged(11);
        EXPECT_TRUE(referee.receive(11, kGameDescription, description(side, players, theme), 0).accepted());
        return referee.receive(11, kMap, emptyMap(side), 0);
    }

    Referee referee;
};

TEST(RefereeStart, SendsTheSetUpToEachPlayerThenBlobsAndTheFirstTurn) {
    Session s;
    Outcome start = s.startWith(2);
    ASSERT_TRUE(start.accepted());
    ASSERT_TRUE(s.referee.started());
    EXPECT_EQ(typesTo(start, 11), (std::vector<uint8_t>{kThemeList, kClockMode, kMap, kThemePicture1,
                                                        kThemePicture2, kThemePicture3, kSlot, kSlotName,
                                                        kSlotName, kObstacleAnimation, kTurn}));
    EXPECT_EQ(typesTo(start, 12).size(), 10u);  // no turn for slot 1 yet
    EXPECT_EQ(typesTo(start, kToEveryone), (std::vector<uint8_t>{kBlob, kBlob, kTurnBegins}));
    EXPECT_EQ(bodyOf(start, kSlot, 12), int32Body({1}));
    EXPECT_EQ(bodyOf(start, kMap, 11), emptyMap(6));
    const auto themes = bodyOf(start, kThemeList, 11);
    ASSERT_TRUE(themes);
    EXPECT_EQ(decodeThemeList(*themes), (std::vector<std::string>{"Meadow.thm", "Lava.thm"}));
    EXPECT_EQ(bodyOf(start, kBlob, kToEveryone), int32Body({0, 0, 0}));
}

TEST(RefereeStart, UsesTheThemeNamedInTheDescription) {
    Session s;
    Outcome start = s.startWith(1, "lava");
    EXPECT_EQ(bodyOf(start, kThemePicture1, 11), solidBmp(50, 50, 200, 40, 0));
    EXPECT_EQ(bodyOf(start, kObstacleAnimation, 11), int32Body({2}));
}

TEST(RefereeStart, WaitsForTheExpectedPlayersThenStartsAfterThirtySeconds) {
    Session s;
    ASSERT_TRUE(s.referee.playerJoined(5, "a", 0).accepted());
    ASSERT_TRUE(s.referee.receive(5, kGameDescription, description(6, 3), 1000).accepted());
    ASSERT_TRUE(s.referee.receive(5, kMap, emptyMap(6), 1000).accepted());
    EXPECT_FALSE(s.referee.started());
    EXPECT_TRUE(s.referee.playerJoined(6, "b", 2000).messages.empty());
    EXPECT_EQ(s.referee.nextDeadline(), 31000);
    EXPECT_TRUE(s.referee.tick(30999).messages.empty());
    Outcome start = s.referee.tick(31000);
    ASSERT_TRUE(s.referee.started());
    EXPECT_EQ(s.referee.game()->slotCount(), 2);
    EXPECT_TRUE(bodyOf(start, kSlot, 6));
}

// A spectator who reaches the game server first must not take a player's
// seat: the game waits for the players and seats only them.
TEST(RefereeStart, ASpectatorArrivingFirstGetsNoSeat) {
    Session s;
    ASSERT_TRUE(s.referee.playerJoined(4, "watcher", 0, true).accepted());
    ASSERT_TRUE(s.referee.playerJoined(5, "a", 0).accepted());
    s.referee.masterChanged(5);
    ASSERT_TRUE(s.referee.receive(5, kGameDescription, description(6, 2), 0).accepted());
    ASSERT_TRUE(s.referee.receive(5, kMap, emptyMap(6), 0).accepted());
    EXPECT_FALSE(s.referee.started());
    const Outcome start = s.referee.playerJoined(6, "b", 1000);
    ASSERT_TRUE(s.referee.started());
    EXPECT_EQ(s.referee.game()->slotCount(), 2);
    EXPECT_EQ(bodyOf(start, kSlot, 5), int32Body({0}));
    EXPECT_EQ(bodyOf(start, kSlot, 6), int32Body({1}));
    EXPECT_FALSE(bodyOf(start, kSlot, 4));
    EXPECT_TRUE(bodyOf(start, kMap, 4)) << "the spectator still sees the board";
}

TEST(RefereeStart, TakesTheDescriptionAndMapOnlyFromTheMasterBeforeTheStart) {
    Session s;
    ASSERT_TRUE(s.referee.playerJoined(5, "a", 0).accepted());
    ASSERT_TRUE(s.referee.playerJoined(6, "b", 0).accepted());
    s.referee.masterChanged(5);
    EXPECT_FALSE(s.referee.receive(6, kGameDescription, description(6, 2), 0).accepted());
    EXPECT_FALSE(s.referee.receive(5, kMap, emptyMap(6), 0).accepted());  // before the description
    EXPECT_FALSE(s.referee.receive(5, kGameDescription, description(51, 2), 0).accepted());
    EXPECT_FALSE(s.referee.receive(5, kGameDescription, Bytes(47, 0), 0).accepted());
    EXPECT_FALSE(s.referee.receive(9, kGameDescription, description(6, 2), 0).accepted());
    ASSERT_TRUE(s.referee.receive(5, kGameDescription, description(6, 2), 0).accepted());
    EXPECT_FALSE(s.referee.receive(5, kMap, emptyMap(5), 0).accepted());  // too short
    EXPECT_FALSE(s.referee.receive(5, kMap, Bytes(36, 1), 0).accepted());  // no floor
    ASSERT_TRUE(s.referee.receive(5, kMap, emptyMap(7), 0).accepted());  // extra bytes ignored
    EXPECT_TRUE(s.referee.started());
    EXPECT_FALSE(s.referee.receive(5, kGameDescription, description(6, 2), 0).accepted());
    EXPECT_FALSE(s.referee.receive(5, kMap, emptyMap(6), 0).accepted());
}

TEST(RefereeStart, StrayMapBytesBecomeObstacles) {
    Session s;
    ASSERT_TRUE(s.referee.playerJoined(5, "a", 0).accepted());
    ASSERT_TRUE(s.referee.receive(5, kGameDescription, description(3, 1), 0).accepted());
    Outcome start = s.referee.receive(5, kMap, Bytes{0, 1, 2, 7, 0, 0, '0', 0, 0}, 0);
    EXPECT_EQ(bodyOf(start, kMap, 5), (Bytes{0, 1, 2, 1, 0, 0, 1, 0, 0}));
}

TEST(RefereePlay, AddressesRequestsBySlotAndRefusesOthers) {
    Session s;
    s.startWith(2);
    // Slot 0 (id 11) starts at (0,0), slot 1 (id 12) at (5,5).
    EXPECT_FALSE(s.referee.receive(12, kMove, moveRequest(5, 5, 4, 4).encode(), 0).accepted());
    EXPECT_FALSE(s.referee.receive(11, kMove, Bytes(95, 0), 0).accepted());
    EXPECT_FALSE(s.referee.receive(11, kPower, Bytes(40, 0), 0).accepted());
    EXPECT_FALSE(s.referee.receive(11, kTurn, Bytes{}, 0).accepted());
    EXPECT_FALSE(s.referee.receive(11, kChat, encodeChat(0, "hi"), 0).accepted());
    Outcome moved = s.referee.receive(11, kMove, moveRequest(0, 0, 1, 1).encode(), 0);
    ASSERT_TRUE(moved.accepted());
    ASSERT_EQ(moved.messages.size(), 1u);
    EXPECT_EQ(moved.messages[0].to, kToEveryone);
    Outcome ended = s.referee.receive(11, kTurn, int32Body({0}), 0);
    ASSERT_TRUE(ended.accepted());
    EXPECT_EQ(typesTo(ended, kToEveryone), (std::vector<uint8_t>{kTurnBegins}));
    EXPECT_EQ(typesTo(ended, 12), (std::vector<uint8_t>{kTurn}));
}

TEST(RefereePlay, SendsAMineToItsOwnerOnly) {
    Session s;
    s.startWith(2);
    const_cast<Game*>(s.referee.game())->grant(0, Power::Mine);
    Outcome armed = s.referee.receive(11, kPower, PowerRecord{3, 3, 50, {}}.encode(), 0);
    ASSERT_TRUE(armed.accepted());
    ASSERT_EQ(armed.messages.size(), 1u);
    EXPECT_EQ(armed.messages[0].to, 11);
    EXPECT_EQ(armed.messages[0].type, kMineArmed);
}

TEST(RefereePlay, ALateComerWatchesWithTheWholeBoard) {
    Session s;
    s.startWith(2);
    ASSERT_TRUE(s.referee.receive(11, kMove, moveRequest(0, 0, 1, 1).encode(), 0).accepted());
    Outcome joined = s.referee.playerJoined(40, "late", 5000);
    std::vector<uint8_t> types = typesTo(joined, 40);
    EXPECT_EQ(std::count(types.begin(), types.end(), kSlot), 0);
    EXPECT_EQ(std::count(types.begin(), types.end(), kBlob), 3);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), kTurnBegins);
    EXPECT_EQ(bodyOf(joined, kTurnBegins, 40), int32Body({40, 0}));
    EXPECT_EQ(s.referee.slotOf(40), kNoSlot);
    EXPECT_FALSE(s.referee.receive(40, kTurn, int32Body({0}), 5000).accepted());
}

TEST(RefereePlay, TimeRunsOutThroughTick) {
    Session s;
    s.startWith(2);
    EXPECT_EQ(s.referee.nextDeadline(), 48000);
    Outcome timedOut = s.referee.tick(48000);
    EXPECT_EQ(typesTo(timedOut, 12), (std::vector<uint8_t>{kTurn}));
    EXPECT_EQ(s.referee.game()->currentSlot(), 1);
}

TEST(RefereeEnd, ADepartureLeavesOneColourAndTheResultsNameThePlayers) {
    Session s;
    s.startWith(2);
    Outcome left = s.referee.playerLeft(12, 100);
    EXPECT_EQ(typesTo(left, kToEveryone), (std::vector<uint8_t>{kSlotLeft, kGameOver}));
    ASSERT_TRUE(s.referee.finished());
    auto results = s.referee.results();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].id, 11);
    EXPECT_TRUE(results[0].winner);
    EXPECT_EQ(results[0].players, 2);
    EXPECT_EQ(results[1].id, 12);
    EXPECT_TRUE(results[1].left);
    EXPECT_FALSE(results[1].winner);
    EXPECT_FALSE(s.referee.playerLeft(12, 100).accepted());
}

TEST(RefereeBots, ThreeBotsPlayOutAGameWithALonePlayerAfterTheirDelay) {
    for (BotLevel level : {BotLevel::Greedy, BotLevel::Lookahead}) {
        RefereeSettings settings = twoThemes();
        settings.bots = 3;
        settings.botLevel = level;
        settings.botDelayMs = 800;
        Session s(settings);
        ASSERT_TRUE(s.startWith(1, "Meadow", 8).accepted());
        const Game& game = *s.referee.game();
        ASSERT_EQ(game.slotCount(), 4);
        std::vector<int> botMoves(4, 0);
        int64_t now = 0;
        for (int step = 0; step < 2000 && !s.referee.finished(); ++step) {
            if (game.currentSlot() == 0) {  // the player passes at once
                ASSERT_TRUE(s.referee.receive(11, kTurn, int32Body({0}), now).accepted());
                continue;
            }
            // Nothing before the bot's delay, then its move to everyone.
            const int64_t turnStart = game.turnStartMs();
            ASSERT_EQ(s.referee.nextDeadline(), turnStart + 800);
            EXPECT_TRUE(s.referee.tick(turnStart + 799).messages.empty());
            now = turnStart + 800;
            const int mover = game.currentSlot();
            Outcome moved = s.referee.tick(now);
            auto move = bodyOf(moved, kMove, kToEveryone);
            ASSERT_TRUE(move);
            EXPECT_EQ(MoveRecord::decode(*move)->slot, mover);
            ++botMoves[size_t(mover)];
        }
        ASSERT_TRUE(s.referee.finished());
        EXPECT_GT(botMoves[1] + botMoves[2] + botMoves[3], 10);
        ASSERT_EQ(s.referee.results().size(), 1u);  // bots have no service id to store
        EXPECT_FALSE(s.referee.results()[0].winner);
    }
}

// A player whose link dropped keeps the slot: its turns are passed, or played
// by a computer player when the table has some; on return it gets the whole
// state, its own mines and powers included, and its turn if it is on.
TEST(RefereeSeats, AnAwayPlayersTurnsArePassedOrPlayedAndTheReturnGetsEverything) {
    for (int bots : {0, 1}) {
        SCOPED_TRACE(bots);
        RefereeSettings settings = twoThemes();
        settings.bots = bots;
        Session s(settings);
        ASSERT_TRUE(s.startWith(2).accepted());
        Game& game = *const_cast<Game*>(s.referee.game());
        game.board().at(2, 2).mine = 1;
        game.board().at(5, 5).shieldTurns = 2;  // slot 1's first blob
        game.grant(1, Power::Hyper);
        EXPECT_TRUE(s.referee.keepsSeat(12));
        EXPECT_FALSE(s.referee.keepsSeat(99));

        s.referee.playerAway(12);
        ASSERT_TRUE(s.referee.receive(11, kTurn, int32Body({0}), 1000).accepted());
        ASSERT_EQ(game.currentSlot(), 1);
        Outcome back = s.referee.playerReturned(12, 3000);
        ASSERT_TRUE(back.accepted());
        const std::vector<uint8_t> types = typesTo(back, 12);
        for (uint8_t type : {kThemeList, kClockMode, kMap, kThemePicture3, kSlot, kBlob, kShielded, kMineArmed,
                             kHeldPowers, kTurnBegins, kTurn})
            EXPECT_EQ(std::count(types.begin(), types.end(), type), type == kBlob ? 2 + bots : 1) << int(type);
        EXPECT_EQ(bodyOf(back, kShielded, 12), int32Body({5, 5}));
        EXPECT_EQ(bodyOf(back, kMineArmed, 12), int32Body({2, 2, 1}));
        EXPECT_EQ(bodyOf(back, kHeldPowers, 12), int32Body({0, 0, 0, 1, 0}));
        EXPECT_EQ(bodyOf(back, kTurnBegins, 12), int32Body({43, 1}));
        EXPECT_EQ(types.back(), kTurn);
        EXPECT_FALSE(s.referee.playerReturned(12, 3000).accepted()) << "not away any more";

        s.referee.playerAway(12);
        const int64_t turnStart = game.turnStartMs();
        Outcome played = s.referee.tick(turnStart + 1500);
        if (bots == 0) {
            EXPECT_EQ(game.currentSlot(), 0) << "the away player's turn is passed";
            EXPECT_FALSE(bodyOf(played, kMove, kToEveryone));
        } else {
            auto move = bodyOf(played, kMove, kToEveryone);
            ASSERT_TRUE(move) << "a computer player plays the away player's turn";
            EXPECT_EQ(MoveRecord::decode(*move)->slot, 1);
        }
    }
}

// Every program learns who holds each slot, computer players included: at
// the start, as a late spectator, and on return after a drop, when a
// departed player's slot still carries its name.
TEST(RefereeSlotNames, EveryViewerLearnsWhoHoldsEachSlot) {
    RefereeSettings settings = twoThemes();
    settings.bots = 2;
    Referee referee(settings);
    const char* names[] = {"Ada", "Bert", "Cleo"};
    for (uint16_t id = 11; id <= 13; ++id) ASSERT_TRUE(referee.playerJoined(id, names[id - 11], 0).accepted());
    referee.masterChanged(11);
    ASSERT_TRUE(referee.receive(11, kGameDescription, description(8, 3), 0).accepted());
    const Outcome start = referee.receive(11, kMap, emptyMap(8), 0);
    ASSERT_TRUE(referee.started());
    ASSERT_TRUE(referee.playerLeft(13, 100).accepted());
    const Outcome spectator = referee.playerJoined(40, "late", 200);
    referee.playerAway(12);
    const Outcome back = referee.playerReturned(12, 300);

    const std::vector<std::string> expected = {"Ada", "Bert", "Cleo", "Bot 1", "Bot 2"};
    struct Row {
        const char* what;
        const Outcome* outcome;
        uint16_t to;
    };
    for (Row row : {Row{"start", &start, 11}, {"start", &start, 12}, {"spectator", &spectator, 40},
                    {"return", &back, 12}}) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> told(expected.size());
        for (const Outgoing& m : row.outcome->messages) {
            if (m.type != kSlotName || m.to != row.to) continue;
            auto named = decodeSlotName(m.body);
            ASSERT_TRUE(named);
            ASSERT_GE(named->slot, 0);
            ASSERT_LT(size_t(named->slot), told.size());
            told[size_t(named->slot)] = named->text;
        }
        EXPECT_EQ(told, expected);
    }
    EXPECT_EQ(bodyOf(spectator, kSlotLeft, 40), int32Body({2}));
    EXPECT_EQ(referee.slotName(5), "");
}

TEST(RefereeThemes, LoadsCompleteThemeDirectoriesAndSkipsTheRest) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("slimefray_themes_" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto write = [](const fs::path& path, const Bytes& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    std::streamsize(bytes.size()));
    };
    Bytes bmp = solidBmp(4, 4, 1, 2, 3);
    for (const char* name : {"Beach", "Cave"}) {
        for (int i = 1; i <= 3; ++i) write(root / name / (std::to_string(i) + ".bmp"), bmp);
    }
    std::ofstream(root / "Cave" / "anim") << "3\n";
    write(root / "Half" / "1.bmp", bmp);                   // incomplete
    for (int i = 1; i <= 3; ++i) write(root / "Fake" / (std::to_string(i) + ".bmp"), Bytes{'P', 'K'});
    // A picture the players' reader refuses would end every player's game.
    const Bytes cut(bmp.begin(), bmp.begin() + 40);
    for (int i = 1; i <= 3; ++i) write(root / "Cut" / (std::to_string(i) + ".bmp"), i == 2 ? cut : bmp);
    auto themes = loadThemes(root);
    ASSERT_EQ(themes.size(), 2u);
    EXPECT_EQ(themes[0].name, "Beach");
    EXPECT_EQ(themes[0].animation, 0);
    EXPECT_EQ(themes[1].animation, 3);
    EXPECT_EQ(themes[1].pictures[2], bmp);
    EXPECT_TRUE(loadThemes(root / "missing").empty());
    fs::remove_all(root);
}

}  // namespace
}  // namespace tessary::slimefray
