// What the table tells its window. Every call is a notification; the window
// reads the state it shows from PokerGame.
#pragma once

#include <string>

namespace tessary::poker {

enum class Sound {
    Button,  // a button was pressed
    Card,    // cards dealt, drawn or revealed
    Timer,   // 10 seconds of the local turn left
    Winner,  // after a showdown
};

class TableObserver {
public:
    virtual ~TableObserver() = default;

    // Anything shown may have changed (names, money, pot, bets, turn, controls).
    virtual void tableChanged() {}
    // A new hand began: clear the notes and put the cards away.
    virtual void handStarted() {}
    // A short line under a seat: "Ante", "Call to 25$", "Fold", ...
    virtual void seatNote(int /*seat*/, const std::string& /*text*/) {}
    // "<name> text", to be shown in the colour of the seat (-1: no seat).
    virtual void chatLine(int /*seat*/, const std::string& /*line*/) {}
    // New cards at a seat: deal them with the animation.
    virtual void cardsArrived(int /*seat*/) {}
    // After a showdown every hand is shown face up and the winners marked.
    virtual void handsRevealed() {}
    virtual void play(Sound /*sound*/) {}
};

}  // namespace tessary::poker
