// The slots' colours: the first table for chat lines, the player panel and the
// minimap; the second holds darker shades of the same eight.
#pragma once

#include <QColor>

namespace tessary::slimefray {

inline QColor slotColour(int slot) {
    static const QRgb kColours[8] = {qRgb(0, 0, 255),     qRgb(255, 0, 0),   qRgb(240, 240, 240),
                                     qRgb(255, 255, 0),   qRgb(0, 255, 0),   qRgb(255, 0, 255),
                                     qRgb(0, 255, 255),   qRgb(255, 128, 0)};
    return slot >= 0 && slot < 8 ? QColor(kColours[slot]) : QColor(Qt::white);
}

inline QColor darkSlotColour(int slot) {
    static const QRgb kColours[8] = {qRgb(0, 0, 145),   qRgb(145, 0, 0),   qRgb(130, 130, 130),
                                     qRgb(145, 145, 0), qRgb(0, 145, 0),   qRgb(145, 0, 145),
                                     qRgb(0, 145, 145), qRgb(145, 18, 0)};
    return slot >= 0 && slot < 8 ? QColor(kColours[slot]) : QColor(Qt::gray);
}

}  // namespace tessary::slimefray
