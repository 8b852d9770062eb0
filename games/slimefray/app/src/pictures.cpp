#include "pictures.h"

#include <fstream>
#include <iterator>

namespace tessary::slimefray {
namespace {

bool endsWith(const std::string& name, const char* ending) {
    if (name.size() < 3) return false;
    QString tail = QString::fromStdString(name.substr(name.size() - 3));
    return tail.compare(QLatin1String(ending), Qt::CaseInsensitive) == 0;
}

}  // namespace

QImage toQImage(const desktop::DecodedImage& image, bool transparentBlack) {
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.pixel(x, y);
            line[x] = transparentBlack && (p & 0xFFFFFFu) == 0 ? 0u : p;
        }
    }
    return out;
}

QImage PictureLoader::load(const std::string& name, bool transparentBlack) {
    const QString shown = QString::fromStdString(name);
    if (endsWith(name, "JPG")) return {};
    if (!endsWith(name, "BMP")) {
        problems_.push_back({"Unknow file format: " + shown, "Error", false});
        return {};
    }
    std::ifstream in(directory_ / name, std::ios::binary);
    if (!in) {
        problems_.push_back({"File " + shown + " not found.", "ERROR", true});
        return {};
    }
    constexpr size_t kLimit = 16 * 1024 * 1024;
    Bytes bytes;
    bytes.resize(kLimit + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    auto image = bytes.size() <= kLimit ? decodePicture(bytes) : std::nullopt;
    if (!image) {
        problems_.push_back({"Can't open the file: " + shown, "Error", true});
        return {};
    }
    return toQImage(*image, transparentBlack);
}

std::optional<PictureProblem> PictureLoader::firstFatal() const {
    for (const PictureProblem& problem : problems_) {
        if (problem.fatal) return problem;
    }
    return std::nullopt;
}

Pictures Pictures::load(PictureLoader& loader) {
    Pictures p;
    p.start = loader.load("bitmaps/quillon2.bmp", false);
    p.highlight = loader.load("bitmaps/hilight.bmp", true);
    p.boom = loader.load("bitmaps/anim/boom.bmp", true);
    p.cyclone = loader.load("bitmaps/powers/cycl.bmp", true);
    p.hyper = loader.load("bitmaps/powers/hyper.bmp", true);
    p.mine = loader.load("bitmaps/powers/mine.bmp", true);
    p.minimap = loader.load("bitmaps/map.bmp", false);
    p.panel = loader.load("bitmaps/panel.bmp", false);
    const char* powers[] = {"lmine.bmp", "lKam.bmp", "lcycl.bmp", "lhyper.bmp", "ltele.bmp"};
    for (size_t k = 0; k < p.powers.size(); ++k) p.powers[k] = loader.load(std::string("bitmaps/powers/") + powers[k], false);
    const char* blobs[] = {"bleublob.bmp",  "redblob.bmp",    "blackblob.bmp",     "yellowblob.bmp",
                           "greenblob.bmp", "purpleblob.bmp", "turquoiseblob.bmp", "orangeblob.bmp"};
    for (size_t s = 0; s < p.blobs.size(); ++s) p.blobs[s] = loader.load(std::string("bitmaps/Blobs/") + blobs[s], true);
    return p;
}

}  // namespace tessary::slimefray
