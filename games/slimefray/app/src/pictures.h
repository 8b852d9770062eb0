// The program's pictures, read from its directory by its own rules: only
// Windows bitmaps are loaded, through the bounded reader.
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "slimefray/messages.h"

namespace tessary::slimefray {

struct PictureProblem {
    QString text;
    QString title;
    bool fatal = false;
};

// Black pixels become see-through when `transparentBlack` is set.
QImage toQImage(const desktop::DecodedImage& image, bool transparentBlack);

class PictureLoader {
public:
    explicit PictureLoader(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // A name ending in "BMP" (any case) is read; "JPG" is accepted and gives
    // an empty picture; any other ending is reported and gives an empty
    // picture. A missing or unreadable file is a fatal problem.
    QImage load(const std::string& name, bool transparentBlack);
    const std::vector<PictureProblem>& problems() const { return problems_; }
    std::optional<PictureProblem> firstFatal() const;

private:
    std::filesystem::path directory_;
    std::vector<PictureProblem> problems_;
};

struct Pictures {
    QImage start;
    QImage highlight;
    QImage boom;      // 7 frames
    QImage cyclone;   // 8 frames
    QImage hyper;
    QImage mine;      // frames of the armed mine
    QImage minimap;
    QImage panel;
    std::array<QImage, 5> powers;
    std::array<QImage, 8> blobs;  // strips

    // Loads every picture; problems are left in the loader.
    static Pictures load(PictureLoader& loader);
};

inline int frameCount(const QImage& strip) { return strip.isNull() ? 0 : std::max(1, strip.width() / 50); }

}  // namespace tessary::slimefray
