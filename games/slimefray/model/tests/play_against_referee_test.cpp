// Whole games between scripted programs (their model without a window) and
// the referee, with the messages passed in memory as the service would relay
// them. After every request and the messages it caused, each program's board
// must show what the referee holds, as far as that program may know it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include <unistd.h>

#include "slimefray/auto_player.h"
#include "slimefray/client_game.h"
#include "slimefray/referee.h"

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;

struct Player {
    uint16_t id;
    GameEvents events;
    std::unique_ptr<ClientGame> game;
    std::unique_ptr<AutoPlayer> autoPlayer;
};

class Table {
public:
    Table(int players, const std::string& map, const std::string& options, uint32_t seed)
        : directory_(fs::temp_directory_path() / ("slimefray_table_" + std::to_string(::getpid()))),
          referee_(settings(seed)) {
        fs::create_directories(directory_ / "map");
        std::ofstream(directory_ / "map" / "Test.map") << map;
        const AutoPlayer::Style styles[] = {AutoPlayer::Style::Powerful, AutoPlayer::Style::Greedy,
                                            AutoPlayer::Style::Random};
        for (int i = 0; i < players; ++i) {
            auto player = std::make_unique<Player>();
            player->id = uint16_t(20 + i);
            player->game = std::make_unique<ClientGame>(player->events, directory_);
            player->game->setOptions(parseOptionLine(options));
            player->autoPlayer = std::make_unique<AutoPlayer>(styles[i % 3], seed + uint32_t(i));
            players_.push_back(std::move(player));
        }
    }
    ~Table() { fs::remove_all(directory_); }

    static RefereeSettings settings(uint32_t seed) {
        RefereeSettings s;
        s.seed = seed;
        return s;
    }

    void join() {
        for (auto& p : players_) {
            deliver(referee_.playerJoined(p->id, "p", now_));
            p->game->ownId(p->id, int(players_.size()));
        }
        referee_.masterChanged(players_[0]->id);
        for (auto& p : players_) p->game->newMaster(players_[0]->id);
        flushRequests();
    }

    // Plays until the end or `maxTurns` requests; returns whether it ended.
    bool play(int maxRequests) {
        for (int i = 0; i < maxRequests && !referee_.finished(); ++i) {
            now_ += 1500;
            bool acted = false;
            for (auto& p : players_) acted |= p->autoPlayer->play(*p->game, now_);
            if (!acted) deliver(referee_.tick(now_ + 60'000));
            flushRequests();
        }
        return referee_.finished();
    }

    void expectBoardsMatch() {
        const Game* game = referee_.game();
        ASSERT_NE(game, nullptr);
        const Board& truth = game->board();
        for (auto& p : players_) {
            const BoardModel& seen = p->game->board();
            ASSERT_EQ(seen.side(), truth.side());
            for (int x = 0; x < truth.side(); ++x) {
                for (int y = 0; y < truth.side(); ++y) {
                    const Cell& t = truth.at(x, y);
                    const BoardCell& s = seen.at(x, y);
                    SCOPED_TRACE("player " + std::to_string(p->id) + " cell " + std::to_string(x) + "," +
                                 std::to_string(y));
                    ASSERT_EQ(s.tile, t.tile);
                    ASSERT_EQ(s.item, t.item);
                    ASSERT_EQ(s.shielded, t.shielded());
                    if (s.blob == kMineBlob) {
                        ASSERT_EQ(t.mine, p->game->mySlot());
                        ASSERT_EQ(t.blob, kNoSlot);
                    } else {
                        ASSERT_EQ(s.blob, t.blob);
                    }
                }
            }
            for (int slot = 0; slot < game->slotCount(); ++slot) {
                ASSERT_EQ(seen.count(slot), truth.blobCount(slot));
            }
        }
        ++checks_;
    }

    Referee& referee() { return referee_; }
    bool checkEveryStep = true;
    std::vector<std::unique_ptr<Player>>& players() { return players_; }
    int checks() const { return checks_; }

private:
    void deliver(const Outcome& outcome) {
        for (const Outgoing& m : outcome.messages) {
            for (auto& p : players_) {
                if (m.to == kToEveryone || m.to == p->id) p->game->receive(0, m.type, m.body, now_);
            }
        }
    }

    void flushRequests() {
        for (bool any = true; any;) {
            any = false;
            for (auto& p : players_) {
                for (Request& r : p->game->takeRequests()) {
                    any = true;
                    if (r.to == Request::To::EveryoneWithEcho) {
                        for (auto& q : players_) q->game->receive(p->id, r.type, r.body, now_);
                        continue;
                    }
                    deliver(referee_.receive(p->id, r.type, r.body, now_));
                    if (referee_.started() && checkEveryStep) expectBoardsMatch();
                }
            }
        }
    }

    fs::path directory_;
    Referee referee_;
    std::vector<std::unique_ptr<Player>> players_;
    int64_t now_ = 0;
    int checks_ = 0;
};

std::string openMap(int side, const std::string& pattern = "") {
    std::string text = std::to_string(side) + "\n";
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            char c = '0';
            if (pattern == "pillars" && x % 4 == 2 && y % 4 == 2) c = '1';
            if (pattern == "cross" && (x == side / 2 || y == side / 2) && (x + y) % 5 != 0) c = '2';
            text += c;
        }
        text += '\n';
    }
    return text;
}

TEST(PlayAgainstReferee, CompleteGamesKeepEveryBoardInStep) {
    struct Row {
        int players;
        int side;
        const char* pattern;
        const char* options;
        uint32_t seed;
    };
    const Row rows[] = {
        {2, 6, "", "0 45 Meadow Test 2", 1},
        {3, 10, "pillars", "1 30 Meadow Test 2", 2},
        {4, 12, "cross", "0 45 Meadow Test 1", 3},
        {4, 9, "pillars", "0 20 Meadow Test 2", 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.players) + " players on " + std::to_string(row.side));
        Table table(row.players, openMap(row.side, row.pattern), row.options, row.seed);
        table.join();
        ASSERT_TRUE(table.referee().started());
        table.expectBoardsMatch();
        ASSERT_TRUE(table.play(4000));
        for (auto& p : table.players()) EXPECT_TRUE(p->game->over());
        auto results = table.referee().results();
        ASSERT_EQ(int(results.size()), row.players);
        EXPECT_TRUE(std::any_of(results.begin(), results.end(), [](const PlayerResult& r) { return r.winner; }));
        EXPECT_GT(table.checks(), 10);
    }
}

// Mines, powers and passes must never leave a game without an end: scripted
// players of every style, many seeds, boards as large as the shipped ones.
TEST(PlayAgainstReferee, EveryGameEnds) {
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        for (int players : {2, 3, 4}) {
            SCOPED_TRACE(std::to_string(players) + " players, seed " + std::to_string(seed));
            Table table(players, openMap(players == 4 ? 12 : 8, "pillars"), "0 20 Meadow Test 1", seed);
            table.checkEveryStep = false;
            table.join();
            ASSERT_TRUE(table.play(6000)) << "no end after 6000 requests";
        }
    }
}

}  // namespace
}  // namespace tessary::slimefray
