#include "controls/session_tiles.h"

#include <algorithm>

namespace tessary::controls {

SessionTiles::SessionTiles(int pictureWidth, int pictureHeight, int averageCharWidth,
                           int lineHeight, int listWidth, int listHeight)
    : pictureWidth_(pictureWidth),
      pictureHeight_(pictureHeight),
      lineHeight_(lineHeight),
      tileWidth_(std::max({1, pictureWidth, 18 * averageCharWidth})),
      tileHeight_(std::max(1, pictureHeight + 3 * lineHeight)),
      columns_(std::max(1, listWidth / tileWidth_)),
      visibleRows_(listHeight / tileHeight_ + 1) {}

int SessionTiles::rowsFor(int sessionCount) const {
    return (std::max(0, sessionCount) + columns_ - 1) / columns_;
}

Box SessionTiles::tile(int index, int firstRow) const {
    const int row = index / columns_ - firstRow;
    const int column = index % columns_;
    return {column * tileWidth_, row * tileHeight_, tileWidth_, tileHeight_};
}

Box SessionTiles::picture(const Box& tile) const {
    return {tile.x + (tile.width - pictureWidth_) / 2, tile.y + lineHeight_ / 2, pictureWidth_,
            pictureHeight_};
}

Box SessionTiles::textLine(const Box& tile, int line) const {
    return {tile.x, tile.y + lineHeight_ / 2 + pictureHeight_ + line * lineHeight_, tile.width,
            lineHeight_};
}

int SessionTiles::tileAt(int x, int y, int firstRow, int count) const {
    if (x < 0 || y < 0 || x >= columns_ * tileWidth_) return -1;
    const int index = (y / tileHeight_ + firstRow) * columns_ + x / tileWidth_;
    return index < count ? index : -1;
}

}  // namespace tessary::controls
