#include "poker/deck.h"

#include <ctime>

#include "poker/lcg.h"

namespace tessary::poker {

SecondsClock systemSecondsClock() {
    return [] { return static_cast<int64_t>(std::time(nullptr)); };
}

Deck::Deck(SecondsClock clock) : clock_(std::move(clock)) { refill(); }

Card Deck::draw() {
    if (availableCount() == 0) return kNoCard;
    Lcg generator(static_cast<uint32_t>(clock_()));
    // Every residue mod 52 comes up within the generator's period, so this ends.
    for (;;) {
        const Card card = static_cast<Card>(generator.next() % kCardCount);
        if (available_[card]) {
            available_[card] = false;
            return card;
        }
    }
}

Hand Deck::redraw(const Hand& hand, unsigned hold) {
    Hand result = hand;
    for (int i = 0; i < kHandSize; ++i) {
        if ((hold & (1u << i)) == 0) result[i] = draw();
    }
    return result;
}

void Deck::markTaken(Card card) {
    if (isCard(card)) available_[card] = false;
}

void Deck::refill() { available_.fill(true); }

int Deck::availableCount() const {
    int count = 0;
    for (bool a : available_) count += a ? 1 : 0;
    return count;
}

}  // namespace tessary::poker
