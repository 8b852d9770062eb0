#include "cp1252.h"

namespace tessary::slimefray {
namespace {

// 0x80..0x9F; 0 where Windows-1252 leaves the code unassigned.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

QString fromCp1252(std::string_view text) {
    QString out;
    out.reserve(qsizetype(text.size()));
    for (char c : text) {
        auto byte = uint8_t(c);
        char16_t unit = byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] ? kHigh[byte - 0x80] : char16_t(byte);
        out.append(QChar(unit));
    }
    return out;
}

std::string toCp1252(const QString& text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar ch : text) {
        char16_t unit = ch.unicode();
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            out.push_back(char(unit));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == unit) mapped = char(0x80 + i);
        }
        out.push_back(mapped);
    }
    return out;
}

}  // namespace tessary::slimefray
