// The parts of the generator, each writing one kind of file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "art_writer.h"

namespace tessary::artgen {

// A path as the layout table writes it ("window\\3login.jpg") turned into the
// data tree's relative path below the skin directory.
std::string skinFile(std::string_view partsPath);

void writeWindowBackgrounds(ArtWriter& out);
void writeButtons(ArtWriter& out);
void writeIcons(ArtWriter& out);
void writePhotos(ArtWriter& out);
// Two sample advertisements below server/ftp/, served by `./tessary run`.
void writeAdvertisements(ArtWriter& out);
void writeSounds(ArtWriter& out);
// The lobby's application icon at every size of the desktop's "hicolor" theme,
// as <size>x<size>/apps/tessary.png below the writer's root.
void writeAppIcons(ArtWriter& out);
// strings.bin, country.bin, font.ini with its fonts copied from `fontSource`,
// and the default CONFIG.INI.
void writeDataFiles(ArtWriter& out, const std::filesystem::path& fontSource);

}  // namespace tessary::artgen
