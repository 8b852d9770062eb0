#include "poker/evaluate.h"

#include <gtest/gtest.h>

#include "card_notation.h"

namespace tessary::poker {
namespace {

using testing::parseHand;

struct ScoreCase {
    const char* name;
    const char* hand;
    int32_t score;
    HandCategory category;
};

// Ranks: 2=0 ... T=8 J=9 Q=10 K=11 A=12.
const ScoreCase kScores[] = {
    {"wheel is the lowest straight", "2c 3d 4h 5s Ac", 1800000, kStraight},
    {"royal flush", "Th Jh Qh Kh Ah", 4050000, kRoyalFlush},
    {"royal flush in any order", "Ah Qh Th Kh Jh", 4050000, kRoyalFlush},
    {"broadway straight is not royal without a flush", "Th Jh Qh Kh Ac", 1800008, kStraight},
    {"straight flush nine high", "5d 6d 7d 8d 9d", 3600003, kStraightFlush},
    {"steel wheel", "Ad 2d 3d 4d 5d", 3600000, kStraightFlush},
    {"king-high straight flush", "9s Ts Js Qs Ks", 3600007, kStraightFlush},
    {"four queens, kicker three", "Qc Qd Qh Qs 3c", 3150000 + 200 * 10 + 1, kFourOfAKind},
    {"four twos, ace kicker", "2c 2d 2h 2s Ac", 3150000 + 0 + 12, kFourOfAKind},
    {"full house kings over fours", "Kc Kd Kh 4s 4c", 2700000 + 200 * 11 + 2, kFullHouse},
    {"full house fours over kings", "4c 4d 4h Ks Kc", 2700000 + 200 * 2 + 11, kFullHouse},
    {"flush ranked by its top card", "2h 5h 9h Jh Kh", 2250000 + 11, kFlush},
    {"straight six high", "2c 3d 4h 5s 6c", 1800000, kStraight},
    {"straight ten high", "6c 7d 8h 9s Tc", 1800004, kStraight},
    {"three sevens ignore the lower kicker", "7c 7d 7h 2s Kc", 1350000 + 200 * 5 + 15 * 11, kThreeOfAKind},
    {"three aces, highest other below", "Ac Ad Ah 2s 9c", 1350000 + 200 * 12 + 15 * 7, kThreeOfAKind},
    {"three in the middle", "3c 8d 8h 8s Jc", 1350000 + 200 * 6 + 15 * 9, kThreeOfAKind},
    {"two pairs jacks and threes, kicker ace", "Jc Jd 3h 3s Ac", 900000 + 200 * 9 + 15 * 1 + 12, kTwoPairs},
    {"two pairs with the kicker between", "2c 2d 7h Ks Kc", 900000 + 200 * 11 + 15 * 0 + 5, kTwoPairs},
    {"pair of fives with ace king queen", "5c 5d Ah Ks Qc", 450000 + 2500 * 3 + 200 * 12 + 15 * 11 + 10, kOnePair},
    {"pair of sixes with two three four", "6c 6d 2h 3s 4c", 450000 + 2500 * 4 + 200 * 2 + 15 * 1 + 0, kOnePair},
    {"high card ace", "2c 5d 9h Js Ac", 30000 * 12 + 2500 * 9 + 200 * 7 + 15 * 3 + 0, kHighCard},
    {"lowest high card", "2c 3d 4h 5s 7c", 30000 * 5 + 2500 * 3 + 200 * 2 + 15 * 1 + 0, kHighCard},
};

class EvaluateScores : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(EvaluateScores, GivesTheScoreAndCategory) {
    const ScoreCase& c = GetParam();
    const int32_t score = evaluate(parseHand(c.hand));
    EXPECT_EQ(score, c.score) << c.hand;
    EXPECT_EQ(evaluateByRules(parseHand(c.hand)), c.score) << c.hand;
    EXPECT_EQ(categoryOf(score), c.category) << c.hand;
}

INSTANTIATE_TEST_SUITE_P(AllCategories, EvaluateScores, ::testing::ValuesIn(kScores),
                         [](const auto& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

struct Duel {
    const char* name;
    const char* first;
    const char* second;
    int expected;  // sign of evaluate(first) - evaluate(second)
};

const Duel kDuels[] = {
    {"two king-high flushes tie", "2h 5h 9h Jh Kh", "3c 6c Tc Qc Kc", 0},
    {"a pair's rank outweighs any kickers", "5c 5d Ah Ks Qc", "6c 6d 2h 3s 4c", -1},
    {"three of a kind ignores the lower kicker", "7c 7d 7h 2s Kc", "7c 7d 7h 9s Kc", 0},
    {"three of a kind compares the highest other card", "7c 7d 7h 2s Kc", "7c 7d 7h 2s Ac", -1},
    // Straights are scored by their lowest rank, and the wheel's is the two:
    // it ties with the six-high straight and loses to everything above.
    {"the wheel ties with the six-high straight", "Ac 2d 3h 4s 5c", "2c 3d 4h 5s 6c", 0},
    {"the wheel loses to a seven-high straight", "Ac 2d 3h 4s 5c", "3c 4d 5h 6s 7c", -1},
    {"steel wheel ties with the six-high straight flush", "Ad 2d 3d 4d 5d", "2s 3s 4s 5s 6s", 0},
    {"steel wheel loses to a seven-high straight flush", "Ad 2d 3d 4d 5d", "3s 4s 5s 6s 7s", -1},
    {"flush beats straight", "2h 5h 9h Jh Kh", "9c Td Jh Qs Kc", 1},
    {"full house beats flush", "2c 2d 2h 3s 3c", "2h 5h 9h Jh Ah", 1},
    {"two pairs: the high pair decides first", "Kc Kd 2h 2s 3c", "Qc Qd Jh Js Ac", 1},
    {"two pairs: then the low pair", "Kc Kd 4h 4s 3c", "Kh Ks 3h 3s Ac", 1},
    {"one pair: kickers in order", "9c 9d Ah 7s 3c", "9h 9s Ah 6s 5c", 1},
    {"high card: every card counts", "Ac Jd 9h 5s 3c", "Ad Jc 9s 5h 2c", 1},
    {"four of a kind beats a full house", "2c 2d 2h 2s 3c", "Ac Ad Ah Ks Kc", 1},
};

class EvaluateDuels : public ::testing::TestWithParam<Duel> {};

TEST_P(EvaluateDuels, OrdersHandsAsTheTableRanksThem) {
    const Duel& d = GetParam();
    const int32_t a = evaluate(parseHand(d.first));
    const int32_t b = evaluate(parseHand(d.second));
    EXPECT_EQ((a > b) - (a < b), d.expected) << d.first << " vs " << d.second;
}

INSTANTIATE_TEST_SUITE_P(TieBreaks, EvaluateDuels, ::testing::ValuesIn(kDuels));

TEST(Evaluate, MissingOrInvalidCardsScoreNothing) {
    EXPECT_EQ(evaluate(kNoHand), 0);
    EXPECT_EQ(evaluate(Hand{0, 1, 2, 3, kNoCard}), 0);
    EXPECT_EQ(evaluate(Hand{0, 1, 2, 3, 52}), 0);
    EXPECT_EQ(evaluate(Hand{-7, 1, 2, 3, 4}), 0);
}

TEST(Evaluate, CategoryBoundaries) {
    const std::pair<int32_t, HandCategory> rows[] = {
        {0, kHighCard},          {449999, kHighCard},      {450000, kOnePair},      {899999, kOnePair},
        {900000, kTwoPairs},     {1349999, kTwoPairs},     {1350000, kThreeOfAKind}, {1800000, kStraight},
        {2250000, kFlush},       {2700000, kFullHouse},    {3150000, kFourOfAKind}, {3599999, kFourOfAKind},
        {3600000, kStraightFlush}, {4049999, kStraightFlush}, {4050000, kRoyalFlush}, {4499999, kRoyalFlush},
    };
    for (const auto& [score, category] : rows) EXPECT_EQ(categoryOf(score), category) << score;
}

// Every one of the 2,598,960 hands: the tables agree with the rules (in card
// order and reversed), and the categories have their textbook counts.
TEST(Evaluate, EveryHandFallsIntoItsCategory) {
    std::array<int, 10> counts{};
    int mismatches = 0;
    for (int a = 0; a < 52; ++a)
        for (int b = a + 1; b < 52; ++b)
            for (int c = b + 1; c < 52; ++c)
                for (int d = c + 1; d < 52; ++d)
                    for (int e = d + 1; e < 52; ++e) {
                        const int32_t score = evaluate(Hand{a, b, c, d, e});
                        mismatches += score != evaluateByRules(Hand{a, b, c, d, e});
                        mismatches += score != evaluate(Hand{e, d, c, b, a});
                        ++counts[categoryOf(score)];
                    }
    EXPECT_EQ(mismatches, 0);
    const std::array<int, 10> expected{1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 36, 4};
    EXPECT_EQ(counts, expected);
}

}  // namespace
}  // namespace tessary::poker
