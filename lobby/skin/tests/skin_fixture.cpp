#include "skin_fixture.h"

#include <cmath>

#include "desktop/image_writers.h"
#include "desktop/wave_writer.h"

namespace tessary::skin::testing {

QColor faceColor(int face) {
    static const QColor colors[] = {QColor(20, 40, 160), QColor(200, 30, 30), QColor(30, 170, 60),
                                    QColor(120, 120, 120)};
    return colors[face];
}

SkinFixture::SkinFixture() {
    SkinEnvironment& environment = skinEnvironment();
    environment.applicationDirectory = dir_.path().string() + "/";
    environment.strings = StringTable(dir_.path() / "data" / "strings.bin");
    environment.busy = [this] { return busy_; };
    environment.soundsOn = [this] { return soundsOn_; };
    environment.systemMessage = [this](const QString& text, const QString& title) {
        systemMessages_.emplace_back(text, title);
    };
    dir_.write("data/strings.bin", "35:Fatal error\n36:Cannot open %s\n37:Broken %s\n");
    writeButton("ok", 3, QSize(60, 24));
    writeButton("cancel", 3, QSize(70, 24));
}

SkinFixture::~SkinFixture() {
    skinEnvironment() = SkinEnvironment{};
}

void SkinFixture::writePicture(const std::string& relative, QSize size, QColor color) const {
    desktop::DecodedImage image;
    image.width = size.width();
    image.height = size.height();
    image.pixels.assign(static_cast<std::size_t>(size.width() * size.height()),
                        0xFF000000u | (color.rgb() & 0xFFFFFF));
    dir_.write(relative, desktop::encodeBmp24(image));
}

void SkinFixture::writeButton(const std::string& name, int count, QSize size) const {
    static const char* kFaces[] = {"up", "down", "sel", "dis"};
    for (int face = 0; face < count; ++face) {
        writePicture("data/default/button/" + name + kFaces[face] + ".bmp", size, faceColor(face));
    }
}

void SkinFixture::writeSound(const std::string& name, int milliseconds) const {
    const int rate = 22050;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < rate * milliseconds / 1000; ++i) {
        samples.push_back(static_cast<std::int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / rate)));
    }
    dir_.write("data/sound/" + name, desktop::encodeWave(samples, rate));
}

}  // namespace tessary::skin::testing
