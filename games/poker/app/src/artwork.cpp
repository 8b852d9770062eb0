#include "artwork.h"

namespace tessary::poker {

Artwork Artwork::load(const QString& directory) {
    Artwork art;
    art.directory_ = directory;
    bool complete = art.background_.load(directory + "/background.png");
    complete = art.back_.load(directory + "/cards/back.png") && complete;
    complete = art.smallBack_.load(directory + "/cards/back_small.png") && complete;
    complete = art.marker_.load(directory + "/marker.png") && complete;
    for (int c = 0; c < kCardCount; ++c) {
        QPixmap& face = art.faces_[static_cast<size_t>(c)];
        complete = face.load(directory + QString("/cards/card%1.png").arg(c, 2, 10, QChar('0'))) && complete;
        if (!face.isNull()) {
            art.smallFaces_[static_cast<size_t>(c)] =
                face.scaled(kSmallCardSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    art.complete_ = complete;
    return art;
}

ButtonPictures Artwork::button(const QString& name) const {
    ButtonPictures b;
    const QString prefix = directory_ + "/buttons/" + name + "_";
    b.up.load(prefix + "up.png");
    b.down.load(prefix + "down.png");
    b.sel.load(prefix + "sel.png");
    b.dis.load(prefix + "dis.png");
    return b;
}

}  // namespace tessary::poker
