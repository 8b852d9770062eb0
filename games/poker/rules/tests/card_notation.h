// "Ah Kh Qh Jh Th" <-> hands, for readable test tables.
#pragma once

#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "poker/card.h"

namespace tessary::poker::testing {

inline Card parseCard(std::string_view text) {
    const std::string_view ranks = kRankLetters;
    const std::string_view suits = kSuitLetters;
    if (text.size() != 2 || ranks.find(text[0]) == std::string_view::npos ||
        suits.find(text[1]) == std::string_view::npos) {
        throw std::invalid_argument(std::string(text));
    }
    return makeCard(static_cast<int>(ranks.find(text[0])), static_cast<int>(suits.find(text[1])));
}

inline Hand parseHand(const std::string& text) {
    std::istringstream in(text);
    Hand hand = kNoHand;
    std::string word;
    for (Card& c : hand) {
        if (!(in >> word)) throw std::invalid_argument(text);
        c = parseCard(word);
    }
    return hand;
}

}  // namespace tessary::poker::testing
