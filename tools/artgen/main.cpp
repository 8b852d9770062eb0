// artgen: writes every data file, picture and sound the lobby reads into the
// application directory.
//   artgen <application directory> <directory of the DejaVu fonts> [<hicolor icon folder>]
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <exception>

#include "artgen.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <application directory> <DejaVu font directory> [<icon folder>]\n",
                     argv[0]);
        return 2;
    }
    QGuiApplication application(argc, argv);
    const auto start = std::chrono::steady_clock::now();
    try {
        tessary::artgen::ArtWriter out(argv[1]);
        tessary::artgen::writeDataFiles(out, argv[2]);
        tessary::artgen::writeWindowBackgrounds(out);
        tessary::artgen::writeButtons(out);
        tessary::artgen::writeIcons(out);
        tessary::artgen::writePhotos(out);
        tessary::artgen::writeAdvertisements(out);
        tessary::artgen::writeSounds(out);
        if (argc == 4) {
            tessary::artgen::ArtWriter icons(argv[3]);
            tessary::artgen::writeAppIcons(icons);
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        std::printf("artgen: %d files written to %s in %lld ms\n", out.filesWritten(), argv[1],
                    static_cast<long long>(elapsed.count()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "artgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
