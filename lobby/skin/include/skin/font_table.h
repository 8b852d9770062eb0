// The lobby's fonts, listed in "data\\font\\font.ini": the font files are
// registered for the program's run, and each font's 256 character widths and
// line height are measured once, so chat text is laid out from tables.
#pragma once

#include <QFont>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_file.h"

namespace tessary::skin {

struct FontEntry {
    int height = 0;    // character cell height in pixels
    std::string file;  // inside the font directory, or "none" for a system face
    std::string face;
};

// Section "FONT": a count, then per font the height, the file and the face.
// Throws SkinFatalError as SkinFile does.
[[nodiscard]] std::vector<FontEntry> readFontEntries(SkinFile& file);

class FontTable {
public:
    using Widths = std::array<int, 256>;

    FontTable() = default;
    ~FontTable();  // unregisters the font files
    FontTable(const FontTable&) = delete;
    FontTable& operator=(const FontTable&) = delete;

    // Reads `fontIni`, registers each named file of `fontDirectory`, creates
    // the fonts and measures them. Needs the GUI application to exist.
    void load(std::string_view fontIni, std::string_view fontDirectory);
    // The same from entries already read.
    void build(const std::vector<FontEntry>& entries, std::string_view fontDirectory);

    int count() const { return static_cast<int>(fonts_.size()); }
    // Indices wrap around the table, as the chat's font numbers do; an empty
    // table answers with the application's default font.
    const QFont& font(int index) const;
    // Widths of characters 0 to 255 (Windows-1252); slot 0 holds the line height.
    const Widths& widths(int index) const;
    int lineHeight(int index) const { return widths(index)[0]; }

private:
    int wrap(int index) const;
    void unregisterFonts();

    std::vector<QFont> fonts_;
    std::vector<Widths> widths_;
    std::vector<int> registeredIds_;
    QFont fallbackFont_;
    Widths fallbackWidths_{};
};

}  // namespace tessary::skin
