// Five-card hand scores: one integer per hand, the higher score wins.
#pragma once

#include <cstdint>

#include "poker/card.h"

namespace tessary::poker {

enum HandCategory : int {
    kHighCard = 0,
    kOnePair = 1,
    kTwoPairs = 2,
    kThreeOfAKind = 3,
    kStraight = 4,
    kFlush = 5,
    kFullHouse = 6,
    kFourOfAKind = 7,
    kStraightFlush = 8,
    kRoyalFlush = 9,
};

// Score of a hand; 0 (never a winning score) when a card is missing or invalid.
// A flush is ranked by its top card only, a wheel is the lowest straight, and
// three of a kind looks at its highest other card only.
// Reads the score from tables built once (on first use) from evaluateByRules().
[[nodiscard]] int32_t evaluate(const Hand& hand);

// The same score worked out rule by rule: the definition the tables follow.
[[nodiscard]] int32_t evaluateByRules(const Hand& hand);

// Category 0 to 9 of a score that evaluate() returned.
[[nodiscard]] HandCategory categoryOf(int32_t score);

const char* categoryName(HandCategory category);

}  // namespace tessary::poker
