// Four programs play many random hands through the hub while players come and
// go, many of them in the middle of a hand; after every delivered message the
// programs that follow the hand agree on the table, the programs agree on who
// holds the turn, and no table creates money.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>

#include "poker/testing/hub.h"

namespace tessary::poker {
namespace {

using testing::Hub;

class TableProperty {
public:
    explicit TableProperty(uint32_t seed) : rng_(seed) {}

    void run(int handsWanted, int maxDeliveries) {
        for (int i = 0; i < 4; ++i) joinSomebody();
        int deliveries = 0;
        while (hands_ < handsWanted && deliveries < maxDeliveries && !::testing::Test::HasFailure()) {
            countContestedHand();
            if (auto post = hub_.deliverOne()) {
                ++deliveries;
                checkAgreement();
                checkTurnAgreement(false);
                checkNoMoneyCreated(*post);
                countTurnHolderMessage(*post);
                continue;
            }
            // Quiet: every program, newcomers included, has heard who holds the turn.
            checkTurnAgreement(true);
            // Somebody comes or goes now and then, else the turn holder moves.
            if (chance(3)) {
                comeOrGo();
            } else if (!moveSomebody()) {
                recoverFromRest();
            }
        }
        EXPECT_GE(hands_, handsWanted) << "deliveries " << deliveries;
    }

    int hands() const { return hands_; }
    int trivialHands() const { return trivialHands_; }
    int comparisons() const { return comparisons_; }
    int joins() const { return joins_; }
    int departures() const { return departures_; }
    int timeouts() const { return timeouts_; }
    int rests() const { return rests_; }
    int midHandJoins() const { return midHandJoins_; }
    int holdersTold() const { return holdersTold_; }

private:
    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng_) < percent; }
    template <typename T>
    const T& pick(const std::vector<T>& v) {
        return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng_)];
    }

    // Like the game server, ids are handed out in order of arrival: whoever
    // comes back comes back with a new id.
    // A showdown about to be delivered ends a hand that counts when at least
    // two players were still in it.
    void countContestedHand() {
        const Hub::Post* post = hub_.next();
        if (post == nullptr || post->kind != Hub::Kind::Game || post->type != kShowdownMessage) return;
        const PokerGame* announcer = hub_.game(post->sender);
        if (announcer == nullptr || announcer->table().newHandPending()) return;
        if (announcer->table().inHandCount() >= 2) {
            ++hands_;
        } else {
            ++trivialHands_;
        }
    }

    // Players come and come back under ids of any order: a returning player
    // keeps his id, as the game server keeps it, and may be the master at
    // once.
    void joinSomebody() {
        uint16_t id = 0;
        do id = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 12)(rng_));
        while (hub_.game(id) != nullptr);
        const bool handRunning = std::any_of(hub_.members().begin(), hub_.members().end(), [](const auto& m) {
            return m.second.game->followsTheHand() && m.second.game->table().handRunning();
        });
        hub_.join(id, "p" + std::to_string(id));
        ++joins_;
        if (handRunning) ++midHandJoins_;
    }

    void comeOrGo() {
        const size_t n = hub_.members().size();
        if (n < 4 && (n < 2 || chance(50))) {
            joinSomebody();
        } else if (n > 1) {
            std::vector<uint16_t> ids;
            for (const auto& [id, m] : hub_.members()) ids.push_back(id);
            hub_.leave(pick(ids));
            ++departures_;
        }
    }

    bool moveSomebody() {
        for (const auto& [id, m] : hub_.members()) {
            PokerGame& g = *m.game;
            switch (g.localTurn()) {
                case LocalTurn::None:
                    continue;
                case LocalTurn::Ante:
                    chance(90) ? g.ante() : timeOut(g);
                    return true;
                case LocalTurn::Bet: {
                    const auto raises = g.raiseChoices();
                    const int roll = std::uniform_int_distribution<int>(0, 99)(rng_);
                    if (roll < 50) {
                        g.call();
                    } else if (roll < 72 && !raises.empty()) {
                        g.raise(pick(raises));
                    } else if (roll < 92) {
                        g.fold();
                    } else {
                        timeOut(g);
                    }
                    return true;
                }
                case LocalTurn::Draw:
                    chance(95) ? g.draw(std::uniform_int_distribution<unsigned>(0, 31)(rng_)) : timeOut(g);
                    return true;
            }
        }
        return false;
    }

    void timeOut(PokerGame& g) {
        hub_.milliseconds += 45'000;
        g.tick();
        ++timeouts_;
    }

    // Nobody can move: only a table where no one has money may rest. Bring in
    // fresh bankrolls by letting a broke player go and come back.
    void recoverFromRest() {
        ++rests_;
        for (const auto& [id, m] : hub_.members()) {
            for (const Player& p : m.game->table().players()) {
                if (!m.game->knowsMoneyOf(p.id)) continue;
                EXPECT_LE(p.money, 0) << "the table rests although " << p.id << " has money\n" << describe();
            }
        }
        if (hub_.members().empty()) {
            joinSomebody();
            return;
        }
        const uint16_t id = hub_.members().begin()->first;
        hub_.leave(id);
        ++departures_;
        joinSomebody();
    }

    std::vector<PokerGame*> followers() {
        const std::set<uint16_t> ahead = hub_.programsAhead();
        std::vector<PokerGame*> result;
        for (const auto& [id, m] : hub_.members()) {
            if (m.game->followsTheHand() && ahead.count(id) == 0 && m.game->table().localId() != 0) {
                result.push_back(m.game.get());
            }
        }
        return result;
    }

    void checkAgreement() {
        const std::vector<PokerGame*> games = followers();
        for (size_t i = 1; i < games.size(); ++i) {
            const PokerGame& a = *games[0];
            const PokerGame& b = *games[i];
            const Table& ta = a.table();
            const Table& tb = b.table();
            ++comparisons_;
            ASSERT_EQ(ta.phase(), tb.phase()) << describe();
            ASSERT_EQ(ta.pot(), tb.pot()) << describe();
            ASSERT_EQ(ta.highestBet(), tb.highestBet()) << describe();
            ASSERT_EQ(ta.newHandPending(), tb.newHandPending()) << describe();
            ASSERT_EQ(ta.players().size(), tb.players().size()) << describe();
            for (size_t k = 0; k < ta.players().size(); ++k) {
                const Player& pa = ta.players()[k];
                const Player& pb = tb.players()[k];
                ASSERT_EQ(pa.id, pb.id) << describe();
                ASSERT_EQ(pa.bet, pb.bet) << "player " << pa.id << "\n" << describe();
                ASSERT_EQ(pa.inHand, pb.inHand) << "player " << pa.id << "\n" << describe();
                if (a.knowsMoneyOf(pa.id) && b.knowsMoneyOf(pa.id)) {
                    ASSERT_EQ(pa.money, pb.money) << "player " << pa.id << "\n" << describe();
                }
            }
        }
    }

    // The turn holder as a table sees him; a holder who has left holds nothing.
    static uint16_t holderSeenBy(const PokerGame& g) {
        const uint16_t id = g.table().turnHolder();
        return g.table().find(id) != nullptr ? id : 0;
    }

    // Tables that have heard about the turn agree on its holder at once; when
    // nothing is on its way, every table does, newcomers too.
    void checkTurnAgreement(bool quiet) {
        std::optional<uint16_t> agreed;
        for (const auto& [id, m] : hub_.members()) {
            const PokerGame& g = *m.game;
            if (g.table().localId() == 0 || (!quiet && !g.knowsTheTurn())) continue;
            const uint16_t holder = holderSeenBy(g);
            if (!agreed) agreed = holder;
            ASSERT_EQ(holder, *agreed) << "table " << id << (quiet ? " (quiet)" : "") << " sees another turn holder\n"
                                       << describe();
        }
    }

    void countTurnHolderMessage(const Hub::Post& post) {
        if (post.kind != Hub::Kind::Game || post.type != kTurnHolderMessage) return;
        const PokerGame* newcomer = hub_.game(post.to.front());
        if (newcomer != nullptr && holderSeenBy(*newcomer) == post.sender) ++holdersTold_;
    }

    static bool isAnnouncement(const Hub::Post& post) {
        if (post.kind != Hub::Kind::Game) return true;  // arrivals, departures, stored bankrolls
        if (post.type != kActionMessage) return false;
        const auto action = decodeAction(post.payload);
        return action && action->code == ActionCode::Money;
    }

    void checkNoMoneyCreated(const Hub::Post& post) {
        std::map<uint16_t, int64_t> sums;
        for (const auto& [id, m] : hub_.members()) {
            const PokerGame& g = *m.game;
            bool allKnown = g.followsTheHand();
            int64_t sum = g.table().pot();
            for (const Player& p : g.table().players()) {
                allKnown = allKnown && g.knowsMoneyOf(p.id);
                sum += p.money;
            }
            if (!allKnown) continue;
            sums[id] = sum;
            const auto before = lastSums_.find(id);
            if (!isAnnouncement(post) && before != lastSums_.end()) {
                ASSERT_LE(sum, before->second) << "table " << id << " created money\n" << describe();
            }
        }
        lastSums_ = std::move(sums);
    }

    std::string describe() {
        std::ostringstream out;
        for (const auto& [id, m] : hub_.members()) {
            const Table& t = m.game->table();
            out << "table " << id << (m.game->followsTheHand() ? "" : " (not following)") << ": phase "
                << static_cast<int>(t.phase()) << " pot " << t.pot() << " highest " << t.highestBet()
                << (t.newHandPending() ? " pending" : "") << " turn " << t.turnHolder()
                << (m.game->knowsTheTurn() ? "" : "?") << " |";
            for (const Player& p : t.players()) {
                out << " " << p.id << ":" << p.money << "/" << p.bet << (p.inHand ? "i" : "") << (p.acted ? "a" : "");
            }
            out << "\n";
        }
        return out.str();
    }

    std::mt19937 rng_;
    Hub hub_;
    int hands_ = 0;
    int trivialHands_ = 0;
    int comparisons_ = 0;
    int joins_ = 0;
    int departures_ = 0;
    int timeouts_ = 0;
    int rests_ = 0;
    int midHandJoins_ = 0;
    int holdersTold_ = 0;
    std::map<uint16_t, int64_t> lastSums_;
};

class TablesAgree : public ::testing::TestWithParam<uint32_t> {};

TEST_P(TablesAgree, ThroughAThousandRandomHands) {
    TableProperty property(GetParam());
    property.run(1000, 2'000'000);
    EXPECT_GT(property.comparisons(), 5'000);
    EXPECT_GT(property.departures(), 10);
    EXPECT_GT(property.timeouts(), 10);
    EXPECT_GT(property.midHandJoins(), 10);
    EXPECT_GT(property.holdersTold(), 10);
    RecordProperty("comparisons", property.comparisons());
    std::printf("seed %u: %d contested hands, %d others, %d comparisons, %d joins (%d mid-hand), %d holders told, "
                "%d departures, %d timeouts, %d rests\n",
                GetParam(), property.hands(), property.trivialHands(), property.comparisons(), property.joins(),
                property.midHandJoins(), property.holdersTold(), property.departures(), property.timeouts(),
                property.rests());
}

INSTANTIATE_TEST_SUITE_P(Seeds, TablesAgree, ::testing::Values(1u, 2u, 3u));

}  // namespace
}  // namespace tessary::poker
