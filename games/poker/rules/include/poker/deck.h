// One program's deck: which of the 52 cards are still available to draw.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "poker/card.h"

namespace tessary::poker {

// Whole seconds of the wall clock (time()); tests replace it.
using SecondsClock = std::function<int64_t()>;
SecondsClock systemSecondsClock();

class Deck {
public:
    explicit Deck(SecondsClock clock = systemSecondsClock());

    // Draws one available card and marks it taken. The generator is reseeded
    // from the clock before every draw, so draws within one second walk the
    // same sequence and skip what is already taken.
    // Returns kNoCard when no card is left.
    [[nodiscard]] Card draw();

    // Replaces every position whose `hold` bit (bit i for card i) is clear.
    [[nodiscard]] Hand redraw(const Hand& hand, unsigned hold);
    [[nodiscard]] Hand drawHand() { return redraw(kNoHand, 0); }

    void markTaken(Card card);
    void refill();

    [[nodiscard]] bool isAvailable(Card card) const { return isCard(card) && available_[card]; }
    [[nodiscard]] int availableCount() const;

private:
    SecondsClock clock_;
    std::array<bool, kCardCount> available_{};
};

}  // namespace tessary::poker
