#include "poker/evaluate.h"

#include <utility>
#include <vector>

namespace tessary::poker {
namespace {

constexpr int32_t kFourBase = 3150000;
constexpr int32_t kFullHouseBase = 2700000;
constexpr int32_t kTwoPairsBase = 900000;
constexpr int32_t kThreeBase = 1350000;
constexpr int32_t kPairBase = 450000;
constexpr int32_t kRoyalScore = 4050000;
constexpr int32_t kStraightFlushBase = 3600000;
constexpr int32_t kStraightBase = 1800000;
constexpr int32_t kFlushBase = 2250000;
constexpr int kAce = 12;
constexpr int kTen = 8;

inline void order(int& a, int& b) {
    if (b < a) std::swap(a, b);
}

// Optimal five-element sorting network (9 comparators).
inline void sortFive(int r[5]) {
    order(r[0], r[1]);
    order(r[3], r[4]);
    order(r[2], r[4]);
    order(r[2], r[3]);
    order(r[0], r[3]);
    order(r[0], r[2]);
    order(r[1], r[4]);
    order(r[1], r[3]);
    order(r[1], r[2]);
}

int32_t scoreWithoutPairs(const int r[5], bool flush) {
    const bool consecutive = r[1] == r[0] + 1 && r[2] == r[1] + 1 && r[3] == r[2] + 1 && r[4] == r[3] + 1;
    const bool wheel = r[0] == 0 && r[1] == 1 && r[2] == 2 && r[3] == 3 && r[4] == kAce;
    const bool straight = consecutive || wheel;
    if (straight && flush && r[0] >= kTen) return kRoyalScore;
    if (straight && flush) return kStraightFlushBase + r[0];
    if (straight) return kStraightBase + r[0];
    if (flush) return kFlushBase + r[4];
    return 30000 * r[4] + 2500 * r[3] + 200 * r[2] + 15 * r[1] + r[0];
}

// `r` holds the five ranks in any order.
int32_t scoreRanks(int r[5], bool flush) {
    sortFive(r);

    if (r[0] == r[3] || r[1] == r[4]) {
        const int quad = r[1];
        const int kicker = r[0] == r[3] ? r[4] : r[0];
        return kFourBase + 200 * quad + kicker;
    }

    const bool three = r[0] == r[2] || r[1] == r[3] || r[2] == r[4];
    const int t = three ? r[2] : -1;

    // Adjacent equal pairs that are not part of the three of a kind, lowest first.
    int pairs[2];
    int pairCount = 0;
    for (int i = 1; i < kHandSize && pairCount < 2; ++i) {
        if (r[i - 1] == r[i] && r[i] != t) pairs[pairCount++] = r[i];
    }

    if (three && pairCount == 1) return kFullHouseBase + 200 * t + pairs[0];
    if (pairCount == 2) {
        const int low = pairs[0];
        const int high = pairs[1];
        int kicker = 0;
        for (int i = 0; i < kHandSize; ++i) {
            if (r[i] != low && r[i] != high) kicker = r[i];
        }
        return kTwoPairsBase + 200 * high + 15 * low + kicker;
    }
    if (three) {
        const int highestOther = r[4] != t ? r[4] : r[1];
        return kThreeBase + 200 * t + 15 * highestOther;
    }
    if (pairCount == 1) {
        const int p = pairs[0];
        int kickers[3];
        int k = 0;
        for (int i = kHandSize - 1; i >= 0; --i) {
            if (r[i] != p) kickers[k++] = r[i];
        }
        return kPairBase + 2500 * p + 200 * kickers[0] + 15 * kickers[1] + kickers[2];
    }
    return scoreWithoutPairs(r, flush);
}

// Scores of every non-flush rank combination, indexed by the ranks in card
// order as base-13 digits, and of every flush, indexed by its rank bit mask.
class ScoreTables {
public:
    static constexpr int kRankCombinations = kRankCount * kRankCount * kRankCount * kRankCount * kRankCount;

    ScoreTables() : byRanks_(kRankCombinations), byFlushMask_(1 << kRankCount) {
        for (int index = 0; index < kRankCombinations; ++index) {
            int r[5];
            int rest = index;
            for (int& rank : r) {
                rank = rest % kRankCount;
                rest /= kRankCount;
            }
            byRanks_[index] = scoreRanks(r, false);
        }
        for (int mask = 0; mask < (1 << kRankCount); ++mask) {
            if (__builtin_popcount(static_cast<unsigned>(mask)) != kHandSize) continue;
            int r[5];
            int n = 0;
            for (int rank = 0; rank < kRankCount; ++rank) {
                if (mask & (1 << rank)) r[n++] = rank;
            }
            byFlushMask_[mask] = scoreRanks(r, true);
        }
    }

    int32_t byRanks(int index) const { return byRanks_[index]; }
    int32_t byFlushMask(int mask) const { return byFlushMask_[mask]; }

private:
    std::vector<int32_t> byRanks_;
    std::vector<int32_t> byFlushMask_;
};

const ScoreTables& scoreTables() {
    static const ScoreTables tables;
    return tables;
}

}  // namespace

int32_t evaluateByRules(const Hand& hand) {
    if (!isCompleteHand(hand)) return 0;
    int r[5];
    for (int i = 0; i < kHandSize; ++i) r[i] = rankOf(hand[i]);
    const int suit = suitOf(hand[0]);
    const bool flush = suitOf(hand[1]) == suit && suitOf(hand[2]) == suit && suitOf(hand[3]) == suit &&
                       suitOf(hand[4]) == suit;
    return scoreRanks(r, flush);
}

int32_t evaluate(const Hand& hand) {
    if (!isCompleteHand(hand)) return 0;
    const ScoreTables& tables = scoreTables();
    const int s0 = suitOf(hand[0]);
    const bool flush = suitOf(hand[1]) == s0 && suitOf(hand[2]) == s0 && suitOf(hand[3]) == s0 &&
                       suitOf(hand[4]) == s0;
    if (flush) {
        int mask = 0;
        for (Card c : hand) mask |= 1 << rankOf(c);
        return tables.byFlushMask(mask);
    }
    int index = 0;
    for (int i = kHandSize - 1; i >= 0; --i) index = index * kRankCount + rankOf(hand[i]);
    return tables.byRanks(index);
}

HandCategory categoryOf(int32_t score) {
    if (score < 450000) return kHighCard;
    if (score < 900000) return kOnePair;
    if (score < 1350000) return kTwoPairs;
    if (score < 1800000) return kThreeOfAKind;
    if (score < 2250000) return kStraight;
    if (score < 2700000) return kFlush;
    if (score < 3150000) return kFullHouse;
    if (score < 3600000) return kFourOfAKind;
    if (score <= 4049999) return kStraightFlush;
    return kRoyalFlush;
}

const char* categoryName(HandCategory category) {
    static constexpr const char* kNames[] = {
        "High card", "One pair",  "Two pairs",  "Three of a kind", "Straight",
        "Flush",     "Full house", "Four of a kind", "Straight flush", "Royal flush",
    };
    const int i = static_cast<int>(category);
    return i >= 0 && i <= 9 ? kNames[i] : "";
}

}  // namespace tessary::poker
