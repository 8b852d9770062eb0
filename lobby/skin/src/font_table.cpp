#include "skin/font_table.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <cmath>
#include <set>

#include "desktop/ansi_text.h"
#include "desktop/text_codec.h"
#include "platform/paths.h"

namespace tessary::skin {
namespace {

// The height in font.ini is the character cell (ascent plus descent), as the
// original font creation took it; the toolkit sizes fonts by their em. Measure
// once and scale so the cell comes out as asked.
QFont fontWithCellHeight(const QString& face, int cellHeight) {
    QFont font(face);
    if (cellHeight <= 0) return font;
    font.setPixelSize(cellHeight);
    int measured = QFontMetrics(font).height();
    if (measured > 0 && measured != cellHeight) {
        int scaled = static_cast<int>(std::lround(double(cellHeight) * cellHeight / measured));
        font.setPixelSize(std::max(1, scaled));
    }
    return font;
}

FontTable::Widths measure(const QFont& font) {
    QFontMetrics metrics(font);
    FontTable::Widths widths{};
    widths[0] = metrics.height();
    for (int c = 1; c < 256; ++c) {
        const auto unit = static_cast<char16_t>(desktop::cp1252Char(static_cast<unsigned char>(c)));
        widths[c] = metrics.horizontalAdvance(QChar(unit));
    }
    return widths;
}

}  // namespace

std::vector<FontEntry> readFontEntries(SkinFile& file) {
    file.findSection("FONT");
    int count = file.readInt();
    std::vector<FontEntry> entries;
    for (int i = 0; i < count; ++i) {
        FontEntry entry;
        entry.height = file.readInt();
        entry.file = file.readToken();
        entry.face = file.readToken();
        entries.push_back(std::move(entry));
    }
    return entries;
}

FontTable::~FontTable() {
    unregisterFonts();
}

void FontTable::unregisterFonts() {
    for (int id : registeredIds_) QFontDatabase::removeApplicationFont(id);
    registeredIds_.clear();
}

void FontTable::load(std::string_view fontIni, std::string_view fontDirectory) {
    SkinFile file;
    file.open(fontIni, false);
    build(readFontEntries(file), fontDirectory);
}

void FontTable::build(const std::vector<FontEntry>& entries, std::string_view fontDirectory) {
    unregisterFonts();
    fonts_.clear();
    widths_.clear();
    std::set<std::string> registered;
    for (const FontEntry& entry : entries) {
        if (entry.file == "none" || !registered.insert(entry.file).second) continue;
        std::string path =
            platform::nativePath(std::string(fontDirectory) + "/" + entry.file).string();
        int id = QFontDatabase::addApplicationFont(QString::fromStdString(path));
        if (id >= 0) registeredIds_.push_back(id);
    }
    for (const FontEntry& entry : entries) {
        fonts_.push_back(fontWithCellHeight(desktop::fromAnsi(entry.face), entry.height));
        widths_.push_back(measure(fonts_.back()));
    }
    fallbackWidths_ = measure(fallbackFont_);
}

int FontTable::wrap(int index) const {
    int n = count();
    return ((index % n) + n) % n;
}

const QFont& FontTable::font(int index) const {
    return fonts_.empty() ? fallbackFont_ : fonts_[static_cast<std::size_t>(wrap(index))];
}

const FontTable::Widths& FontTable::widths(int index) const {
    return widths_.empty() ? fallbackWidths_ : widths_[static_cast<std::size_t>(wrap(index))];
}

}  // namespace tessary::skin
