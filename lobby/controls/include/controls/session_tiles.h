// The grid the session list lays its tiles out in: a tile holds the game's
// picture and three lines of text below it.
#pragma once

#include "controls/scroll_geometry.h"

namespace tessary::controls {

class SessionTiles {
public:
    // `averageCharWidth` and `lineHeight` of font 0; the list's client size.
    SessionTiles(int pictureWidth, int pictureHeight, int averageCharWidth, int lineHeight,
                 int listWidth, int listHeight);

    int tileWidth() const { return tileWidth_; }
    int tileHeight() const { return tileHeight_; }
    int columns() const { return columns_; }
    // Rows that can show, the partly visible last one included.
    int visibleRows() const { return visibleRows_; }
    int rowsFor(int sessionCount) const;

    // Tile `index` when the list shows row `firstRow` at its top.
    Box tile(int index, int firstRow) const;
    // The picture's place inside a tile: centred, half a line from the top.
    Box picture(const Box& tile) const;
    // The three text lines below the picture.
    Box textLine(const Box& tile, int line) const;
    // The tile index under (x, y), or -1 (beyond the last of `count`).
    int tileAt(int x, int y, int firstRow, int count) const;

private:
    int pictureWidth_;
    int pictureHeight_;
    int lineHeight_;
    int tileWidth_;
    int tileHeight_;
    int columns_;
    int visibleRows_;
};

}  // namespace tessary::controls
