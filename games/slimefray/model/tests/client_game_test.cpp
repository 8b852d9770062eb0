#include "slimefray/client_game.h"
#include "slimefray/auto_player.h"

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

#include "desktop/image_writers.h"

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;

struct Recorder : GameEvents {
    void playSound(std::string_view file) override { sounds.emplace_back(file); }
    void boardBuilt() override { built = true; }
    void chatLine(const std::string& text, int slot) override { chat.emplace_back(text, slot); }
    void playersLine(const std::string& text) override { players = text; }
    void quit(const std::string& message, int code) override { quits.emplace_back(message, code); }
    void moveShown(const MoveShown& shown) override { moves.push_back(shown); }
    void explosion(const std::vector<CellRef>& cells) override { blown = cells; }
    void refused(std::string_view why) override { refusals.emplace_back(why); }

    std::vector<std::string> sounds;
    bool built = false;
    std::vector<std::pair<std::string, int>> chat;
    std::string players;
    std::vector<std::pair<std::string, int>> quits;
    std::vector<MoveShown> moves;
    std::vector<CellRef> blown;
    std::vector<std::string> refusals;
};

Bytes picture() {
    return desktop::encodeBmp24({2, 2, std::vector<uint32_t>(4, 0xFF336699u)});
}

struct Client {
    Client() : directory(fs::temp_directory_path() / ("slimefray_client_" + std::to_string(::getpid()))) {
        fs::remove_all(directory);
        fs::create_directories(directory / "map");
        game = std::make_unique<ClientGame>(events, directory);
        game->setNameLookup([](uint16_t id) { return "p" + std::to_string(id); });
    }
    ~Client() { fs::remove_all(directory); }

    void send(uint8_t type, const Bytes& body, int64_t now = 0) { game->receive(99, type, body, now); }
    // A 4x4 floor board with an obstacle at (3,0), built and slot 0 assigned.
    void build() {
        Bytes columns(16, 0);
        columns[3 * 4 + 0] = 1;
        send(kMap, columns);
        for (uint8_t type : {kThemePicture1, kThemePicture2, kThemePicture3}) send(type, picture());
        send(kSlot, int32Body({0}));
    }

    Recorder events;
    fs::path directory;
    std::unique_ptr<ClientGame> game;
};

TEST(ClientGame, BuildsTheBoardAfterTheThirdThemePicture) {
    Client c;
    c.send(kMap, Bytes(17, 0));  // 17 bytes: N = 4, the last byte ignored
    c.send(kThemePicture1, picture());
    c.send(kThemePicture2, picture());
    EXPECT_FALSE(c.events.built);
    c.send(kThemePicture3, picture());
    EXPECT_TRUE(c.events.built);
    EXPECT_EQ(c.game->board().side(), 4);
    EXPECT_EQ(c.events.sounds, (std::vector<std::string>{"sounds/intro.wav"}));
}

TEST(ClientGame, RefusesAMapLargerThanItsStore) {
    Client c;
    c.send(kMap, Bytes(51 * 51, 0));
    for (uint8_t type : {kThemePicture1, kThemePicture2, kThemePicture3}) c.send(type, picture());
    EXPECT_FALSE(c.events.built);
    EXPECT_EQ(c.game->board().side(), 0);
    EXPECT_FALSE(c.events.refusals.empty());
}

TEST(ClientGame, ABrokenThemePictureEndsTheProgramWithItsMessage) {
    struct Row {
        uint8_t type;
        const char* message;
        int code;
    };
    for (Row row : {Row{kThemePicture1, "Background #1 is not accesible", 1},
                    {kThemePicture2, "Background #2 is not accesible", 1}, {kThemePicture3, "", 0}}) {
        Client c;
        Bytes broken = picture();
        broken.resize(40);
        c.send(row.type, broken);
        ASSERT_EQ(c.events.quits.size(), 1u);
        EXPECT_EQ(c.events.quits[0], (std::pair<std::string, int>{row.message, row.code}));
    }
}

TEST(ClientGame, AppliesTheServersMove) {
    Client c;
    c.build();
    c.send(kBlob, int32Body({0, 0, 0}));
    c.send(kBlob, int32Body({2, 2, 1}));
    c.send(kBlob, int32Body({3, 3, 1}));
    c.send(kItem, int32Body({1, 1, 53}));
    MoveRecord move;
    move.fromX = 0, move.fromY = 0, move.toX = 1, move.toY = 1, move.slot = 0;
    move.converted[0] = {2, 2};
    move.converted[1] = {60, 60};  // outside: skipped
    c.send(kMove, move.encode());
    const BoardModel& board = c.game->board();
    EXPECT_EQ(board.at(0, 0).blob, 0);  // a copy
    EXPECT_EQ(board.at(1, 1).blob, 0);
    EXPECT_EQ(board.at(1, 1).item, kNoItem);
    EXPECT_EQ(board.at(2, 2).blob, 0);
    EXPECT_EQ(board.count(0), 3);
    EXPECT_EQ(board.count(1), 1);
    EXPECT_TRUE(c.game->powers().isAvailable(3));
    ASSERT_EQ(c.events.moves.size(), 1u);
    EXPECT_EQ(c.events.moves[0].previousOwners, (std::vector<int>{1}));
    EXPECT_EQ(c.events.sounds.back(), "sounds/power.wav");

    move = MoveRecord{};
    move.fromX = 3, move.fromY = 3, move.toX = 3, move.toY = 1, move.jump = 1, move.slot = 1, move.teleport = 1;
    c.send(kMove, move.encode());
    EXPECT_EQ(board.at(3, 3).blob, kNoBlob);
    EXPECT_EQ(board.at(3, 1).blob, 1);
    EXPECT_EQ(c.events.sounds.back(), "sounds/tele.wav");
}

TEST(ClientGame, AMineDestroysTheArrivingBlob) {
    Client c;
    c.build();
    c.send(kBlob, int32Body({0, 0, 1}));
    c.send(kMineArmed, int32Body({1, 1, 0}));
    EXPECT_EQ(c.game->board().at(1, 1).blob, kMineBlob);
    MoveRecord move;
    move.fromX = 0, move.fromY = 0, move.toX = 1, move.toY = 1, move.slot = 1, move.destroyed = 1;
    c.send(kMove, move.encode());
    EXPECT_EQ(c.game->board().at(1, 1).blob, kNoBlob);
    EXPECT_EQ(c.game->board().count(1), 1);
    EXPECT_EQ(c.events.sounds.back(), "sounds/mineboom.wav");
}

TEST(ClientGame, ShowsPowerEffects) {
    Client c;
    c.build();
    for (auto [x, y, s] : {std::tuple{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 0}}) c.send(kBlob, int32Body({x, y, s}));
    c.send(kPower, PowerRecord{0, 0, 51, {1, 1, 1, 1, 0, 0, 1, 1, 0}}.encode());
    // (0,0) and (1,0) flagged 0 go; (0,1) flagged 1 stays; (1,1) flagged 0 goes.
    EXPECT_EQ(c.game->board().at(0, 0).blob, kNoBlob);
    EXPECT_EQ(c.game->board().at(1, 0).blob, kNoBlob);
    EXPECT_EQ(c.game->board().at(0, 1).blob, 2);
    EXPECT_EQ(c.game->board().at(1, 1).blob, kNoBlob);
    EXPECT_EQ(c.events.blown.size(), 3u);

    c.send(kPower, PowerRecord{0, 1, 52, {1}}.encode());  // shielded: nothing
    EXPECT_EQ(c.game->board().at(0, 1).blob, 2);
    EXPECT_EQ(c.game->board().at(0, 1).tile, kFloor);
    c.send(kPower, PowerRecord{0, 1, 52, {}}.encode());
    EXPECT_EQ(c.game->board().at(0, 1).blob, kNoBlob);
    EXPECT_EQ(c.game->board().at(0, 1).tile, kDebris);
    c.send(kBackToFloor, int32Body({0, 1}));
    EXPECT_EQ(c.game->board().at(0, 1).tile, kFloor);

    c.send(kBlob, int32Body({2, 2, 3}));
    c.send(kPower, PowerRecord{2, 2, 53, {}}.encode());
    EXPECT_TRUE(c.game->board().at(2, 2).shielded);
    c.send(kShieldOff, int32Body({2, 2}));
    EXPECT_FALSE(c.game->board().at(2, 2).shielded);
}

TEST(ClientGame, IgnoresCellsOutsideTheBoard) {
    Client c;
    c.build();
    for (uint8_t type : {kBlob, kItem, kMineArmed}) c.send(type, int32Body({4, 0, 1}));
    c.send(kBackToFloor, int32Body({-1, 0}));
    c.send(kPower, PowerRecord{4, 4, 51, {}}.encode());
    c.send(kBlob, int32Body({0, 0}));  // short
    EXPECT_EQ(c.events.refusals.size(), 6u);
}

TEST(ClientGame, MirrorsSafeThemeNamesOnly) {
    Client c;
    fs::create_directories(c.directory / "theme");
    std::ofstream(c.directory / "theme" / "Old.thm");
    std::ofstream(c.directory / "outside.txt");
    c.send(kThemeList, encodeThemeList({"Lava.thm", "../outside.txt", "a/b", "..", "Meadow.thm"}));
    EXPECT_EQ(c.game->themeNames(), (std::vector<std::string>{"Lava.thm", "Meadow.thm"}));
    EXPECT_FALSE(fs::exists(c.directory / "theme" / "Old.thm"));
    EXPECT_TRUE(fs::exists(c.directory / "theme" / "Lava.thm"));
    EXPECT_TRUE(fs::exists(c.directory / "outside.txt"));
    EXPECT_EQ(fs::file_size(c.directory / "theme" / "Meadow.thm"), 0u);
}

TEST(ClientGame, ChatLinesNameTheSenderAndUseTheSlotColour) {
    Client c;
    c.game->receive(7, kChat, encodeChat(3, "hello"), 0);
    ASSERT_EQ(c.events.chat.size(), 1u);
    EXPECT_EQ(c.events.chat[0], (std::pair<std::string, int>{"<p7> hello", 3}));
    c.build();
    c.game->sendChat(std::string(300, 'x'));
    auto requests = c.game->takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].to, Request::To::EveryoneWithEcho);
    EXPECT_EQ(decodeChat(requests[0].body)->text.size(), 249u);
    EXPECT_TRUE(c.events.chat.size() == 1u);  // seen only when the echo comes back
}

// The names the referee gives the slots are kept, a slot out of range is
// refused, and a reconnection forgets them until they are sent again.
TEST(ClientGame, KeepsTheSlotNamesUntilARejoin) {
    Client c;
    c.build();
    c.send(kSlotName, encodeSlotName(0, "Ada"));
    c.send(kSlotName, encodeSlotName(3, "Bot 3"));
    c.send(kSlotName, encodeSlotName(3, "Bot 1"));
    for (int32_t bad : {-1, kMaxSlots}) c.send(kSlotName, encodeSlotName(bad, "Eve"));
    c.send(kSlotName, Bytes{1, 0});
    EXPECT_EQ(c.game->slotName(0), "Ada");
    EXPECT_EQ(c.game->slotName(3), "Bot 1");
    EXPECT_EQ(c.game->slotName(1), "");
    EXPECT_EQ(c.events.refusals.size(), 3u);
    c.game->rejoin();
    EXPECT_EQ(c.game->slotName(0), "");
}

TEST(ClientGame, CountsPlayersUntilTheFirstTurn) {
    Client c;
    c.game->ownId(5, 8);
    c.game->playerJoined();
    c.game->playerJoined();
    EXPECT_EQ(c.events.players, "3/8 Players Connected");
    c.game->playerLeft();
    c.game->playerJoined();
    EXPECT_EQ(c.events.players, "3/7 Players Connected");
    c.build();
    c.send(kTurnBegins, int32Body({45, 1}));
    c.game->playerLeft();
    EXPECT_EQ(c.events.players, "3/7 Players Connected");
    EXPECT_TRUE(c.game->started());
}

TEST(ClientGame, TheMasterUploadsItsMapOrTellsEveryoneItIsMissing) {
    Client c;
    std::ofstream(c.directory / "map" / "Tiny.map") << "2\n01\n20\n";
    c.game->setOptions(parseOptionLine("1 30 Lava Tiny 2"));
    c.game->ownId(4, 3);
    EXPECT_FALSE(c.game->newMaster(5));
    ASSERT_TRUE(c.game->newMaster(4));
    auto requests = c.game->takeRequests();
    ASSERT_EQ(requests.size(), 2u);
    auto description = GameDescription::decode(requests[0].body);
    ASSERT_TRUE(description);
    EXPECT_EQ(description->side, 2);
    EXPECT_EQ(description->name, "Lava");
    EXPECT_EQ(description->expectedPlayers, 3);
    EXPECT_EQ(description->optionA, 1);
    EXPECT_EQ(description->optionB, 30);
    EXPECT_EQ(description->optionE, 2);
    EXPECT_EQ(requests[1].body, (Bytes{0, 2, 1, 0}));

    for (const char* line : {"0 45 Lava Missing 1", "0 45 Lava ../map/Tiny 1"}) {
        Client d;
        d.game->setOptions(parseOptionLine(line));
        ASSERT_TRUE(d.game->newMaster(1));
        auto sent = d.game->takeRequests();
        ASSERT_EQ(sent.size(), 1u) << line;
        EXPECT_EQ(sent[0].type, kMapMissing);
        EXPECT_EQ(sent[0].to, Request::To::EveryoneWithEcho);
    }
}

TEST(ClientGame, TheLocalTurnEndsWhenItsTimeRunsOut) {
    Client c;
    c.build();
    c.send(kBlob, int32Body({0, 0, 0}));
    c.send(kTurnBegins, int32Body({2, 0}), 1000);
    c.send(kTurn, {});
    EXPECT_EQ(c.game->clockText(1000), "00:02");
    c.game->clockTick(3999);
    EXPECT_TRUE(c.game->controller().myTurn());
    c.game->clockTick(4000);
    EXPECT_FALSE(c.game->controller().myTurn());
    auto requests = c.game->takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, int32Body({0}));
    EXPECT_EQ(c.game->clockText(4000), "");  // the display stops
}

TEST(ClientGame, ClockModeReportsTheRemainingSecondsAndKeepsTheClockLine) {
    Client c;
    c.build();
    c.send(kClockMode, int32Body({1}));
    c.send(kTurnBegins, int32Body({65, 0}), 0);
    c.send(kTurn, {});
    EXPECT_EQ(c.game->clockText(0), "01:05");
    c.game->endTurnCommand(20'500);
    auto requests = c.game->takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, int32Body({45}));
    EXPECT_EQ(c.game->clockText(20'500), "00:45");
}

TEST(ClientGame, GameOverStopsTheClockAndInput) {
    Client c;
    c.build();
    c.send(kBlob, int32Body({0, 0, 0}));
    c.send(kTurnBegins, int32Body({45, 0}));
    c.send(kTurn, {});
    c.send(kGameOver, {});
    EXPECT_TRUE(c.game->over());
    EXPECT_EQ(c.game->clockText(0), "");
    c.game->clickCell(0, 0, 0);
    EXPECT_FALSE(c.game->controller().pending());
}

// The scripted player keeps off its own mines while it has another move; with
// none left it copies onto one rather than pass for ever while nobody else can
// move. Slot 0 plays from (0,0); every other floor cell but the open ones and
// the mines holds a blob of slot 1.
TEST(AutoPlayer, StepsOnItsOwnMineOnlyWhenNothingElseIsInReach) {
    using Cells = std::vector<std::pair<int, int>>;
    struct Case {
        const char* name;
        Cells open, mines;
        std::pair<int, int> expected;
        std::vector<AutoPlayer::Style> styles;
    };
    const Case cases[] = {
        {"a free cell first", {{0, 2}}, {{1, 0}}, {0, 2},
         {AutoPlayer::Style::Greedy, AutoPlayer::Style::Random, AutoPlayer::Style::Powerful}},
        {"then a copy", {}, {{1, 0}, {2, 0}}, {1, 0}, {AutoPlayer::Style::Greedy, AutoPlayer::Style::Powerful}},
    };
    for (const Case& c : cases) {
        for (AutoPlayer::Style style : c.styles) {
            SCOPED_TRACE(std::string(c.name) + ", style " + std::to_string(int(style)));
            Client client;
            client.build();
            auto listed = [](const Cells& cells, int x, int y) {
                return std::find(cells.begin(), cells.end(), std::pair(x, y)) != cells.end();
            };
            for (int x = 0; x < 4; ++x) {
                for (int y = 0; y < 4; ++y) {
                    if ((x == 3 && y == 0) || listed(c.open, x, y)) continue;
                    if (listed(c.mines, x, y)) client.send(kMineArmed, int32Body({x, y, 0}));
                    else client.send(kBlob, int32Body({x, y, x + y == 0 ? 0 : 1}));
                }
            }
            client.send(kTurnBegins, int32Body({45, 0}));
            client.send(kTurn, {});
            AutoPlayer player(style, 7);
            ASSERT_TRUE(player.play(*client.game, 0));
            auto sent = client.game->takeRequests();
            ASSERT_FALSE(sent.empty());
            auto move = MoveRecord::decode(sent[0].body);
            ASSERT_EQ(sent[0].type, kMove);
            ASSERT_TRUE(move);
            EXPECT_EQ(std::pair(move->toX, move->toY), c.expected);
        }
    }
}

TEST(ClientGame, MapMissingEndsEveryProgram) {
    Client c;
    c.send(kMapMissing, {});
    ASSERT_EQ(c.events.quits.size(), 1u);
    EXPECT_EQ(c.events.quits[0].first, "");
}

}  // namespace
}  // namespace tessary::slimefray
