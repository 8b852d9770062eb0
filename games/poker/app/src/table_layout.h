// Where everything sits in the table's client area (645 x 479 under the title
// bar), and the dialog identifiers of its controls.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <array>

namespace tessary::poker::layout {

inline constexpr QSize kClientSize{645, 479};

enum ControlId : int {
    kChatInputId = 1004,
    kRaiseId = 1040,
    kRaiseListId = 1046,
    kAnteId = 1047,
    kFoldId = 1048,
    kCallId = 1049,
    kOkId = 1055,
    kHold1Id = 1066,  // to 1070
    kExitId = 57665,
};

// Opponent seats 0, 1, 2, stacked on the right half of the table.
inline constexpr std::array<QRect, 3> kNameLine{QRect(275, 15, 150, 19), QRect(275, 118, 150, 19),
                                                 QRect(275, 220, 150, 19)};
inline constexpr std::array<QRect, 3> kCardArea{QRect(277, 41, 146, 62), QRect(277, 143, 146, 62),
                                                 QRect(277, 246, 146, 62)};
inline constexpr std::array<QRect, 3> kMoneyLine{QRect(189, 84, 72, 20), QRect(189, 186, 72, 20),
                                                  QRect(190, 287, 72, 20)};
inline constexpr std::array<QRect, 3> kMarker{QRect(243, 35, 18, 18), QRect(243, 137, 18, 18),
                                               QRect(243, 239, 18, 18)};
// The seat's last action, between its cards and the next seat's name.
inline constexpr std::array<QRect, 3> kNoteLine{QRect(277, 104, 146, 14), QRect(277, 206, 146, 14),
                                                 QRect(277, 308, 146, 14)};
inline constexpr int kSmallCardStep = 26;

// The local player (seat 3).
inline QPoint localCard(int i) { return {10 + 73 * i, 340}; }
inline QPoint holdToggle(int i) { return {14 + 73 * i, 440}; }
inline constexpr QRect kLocalNameLine(10, 322, 200, 17);
inline constexpr QRect kLocalNoteLine(210, 322, 163, 17);
inline constexpr QRect kLocalMarker(402, 341, 18, 18);
inline constexpr QRect kCountdown(430, 340, 20, 20);
inline constexpr QRect kLocalMoney(384, 390, 72, 20);
inline constexpr QRect kHighestBet(384, 444, 72, 20);
inline constexpr QRect kPot(490, 444, 50, 20);
inline constexpr QRect kRaiseList(560, 345, 62, 100);  // with its drop-down
inline constexpr QRect kChatHistory(435, 6, 198, 294);
inline constexpr QRect kChatInput(436, 304, 197, 18);

// The buttons' top-left corners; their pictures give their sizes.
inline constexpr QPoint kAnteButton(478, 336);
inline constexpr QPoint kCallButton(478, 364);
inline constexpr QPoint kFoldButton(478, 392);
inline constexpr QPoint kRaiseButton(560, 372);
inline constexpr QPoint kOkButton(560, 400);
inline constexpr QPoint kExitButton(560, 446);

// Where dealt cards fly in from.
inline constexpr QPoint kDealer(120, 200);

// Chat colours per seat: 0 white, 1 red, 2 blue, 3 (local) green.
inline QColor seatColour(int seat) {
    switch (seat) {
        case 0: return {255, 255, 255};
        case 1: return {255, 0, 0};
        case 2: return {0, 0, 255};
        case 3: return {0, 255, 0};
        default: return {190, 190, 190};
    }
}

}  // namespace tessary::poker::layout
