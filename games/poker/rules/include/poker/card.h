// Cards and five-card hands as plain integers, the way they travel on the wire.
#pragma once

#include <array>
#include <cstdint>

namespace tessary::poker {

// 0 to 51: rank = card mod 13 (0 two ... 12 ace), suit = card div 13.
using Card = int32_t;
inline constexpr Card kNoCard = -2;  // a card not received yet
inline constexpr int kCardCount = 52;
inline constexpr int kRankCount = 13;
inline constexpr int kHandSize = 5;

using Hand = std::array<Card, kHandSize>;
inline constexpr Hand kNoHand{kNoCard, kNoCard, kNoCard, kNoCard, kNoCard};

// Letters for ranks and suits (clubs, diamonds, hearts, spades), as the
// artwork and the tests name cards: "Ah" is the ace of hearts.
inline constexpr char kRankLetters[] = "23456789TJQKA";
inline constexpr char kSuitLetters[] = "cdhs";

constexpr bool isCard(Card c) { return c >= 0 && c < kCardCount; }
constexpr int rankOf(Card c) { return c % kRankCount; }
constexpr int suitOf(Card c) { return c / kRankCount; }
constexpr Card makeCard(int rank, int suit) { return suit * kRankCount + rank; }

constexpr bool isCompleteHand(const Hand& hand) {
    for (Card c : hand) {
        if (!isCard(c)) return false;
    }
    return true;
}

}  // namespace tessary::poker
