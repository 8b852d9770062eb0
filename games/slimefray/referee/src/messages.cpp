#include "slimefray/messages.h"

#include <algorithm>

#include "desktop/bmp_reader.h"

namespace tessary::slimefray {

std::optional<desktop::DecodedImage> decodePicture(std::span<const uint8_t> file) {
    desktop::DecodedImage image;
    if (desktop::decodeBmp(file, image, kPictureLimits) != desktop::BmpError::None) return std::nullopt;
    return image;
}

std::optional<std::vector<int32_t>> readInt32s(std::span<const uint8_t> body, size_t count) {
    if (body.size() < count * 4) return std::nullopt;
    std::vector<int32_t> values(count);
    for (size_t i = 0; i < count; ++i) values[i] = readInt32(body, i * 4);
    return values;
}

Bytes MoveRecord::encode() const {
    Bytes out;
    out.reserve(kSize);
    for (int32_t v : {fromX, fromY, toX, toY, jump, destroyed}) appendInt32(out, v);
    for (const CellRef& cell : converted) {
        appendInt32(out, cell.x);
        appendInt32(out, cell.y);
    }
    appendInt32(out, slot);
    appendInt32(out, teleport);
    return out;
}

std::optional<MoveRecord> MoveRecord::decode(std::span<const uint8_t> body) {
    if (body.size() != kSize) return std::nullopt;
    MoveRecord move;
    move.fromX = readInt32(body, 0);
    move.fromY = readInt32(body, 4);
    move.toX = readInt32(body, 8);
    move.toY = readInt32(body, 12);
    move.jump = readInt32(body, 16);
    move.destroyed = readInt32(body, 20);
    for (size_t i = 0; i < move.converted.size(); ++i) {
        move.converted[i].x = readInt32(body, 24 + 8 * i);
        move.converted[i].y = readInt32(body, 28 + 8 * i);
    }
    move.slot = readInt32(body, 88);
    move.teleport = readInt32(body, 92);
    return move;
}

Bytes PowerRecord::encode() const {
    Bytes out;
    out.reserve(kSize);
    appendInt32(out, x);
    appendInt32(out, y);
    appendInt32(out, code);
    for (int32_t flag : flags) appendInt32(out, flag);
    return out;
}

std::optional<PowerRecord> PowerRecord::decode(std::span<const uint8_t> body) {
    if (body.size() != kSize) return std::nullopt;
    PowerRecord power;
    power.x = readInt32(body, 0);
    power.y = readInt32(body, 4);
    power.code = readInt32(body, 8);
    for (size_t i = 0; i < power.flags.size(); ++i) power.flags[i] = readInt32(body, 12 + 4 * i);
    return power;
}

Bytes GameDescription::encode() const {
    Bytes out;
    out.reserve(kSize);
    appendInt32(out, side);
    std::string field = name.substr(0, kNameField - 1);
    field.resize(kNameField, '\0');
    out.insert(out.end(), field.begin(), field.end());
    for (int32_t v : {expectedPlayers, optionA, optionB, optionE}) appendInt32(out, v);
    return out;
}

std::optional<GameDescription> GameDescription::decode(std::span<const uint8_t> body) {
    if (body.size() != kSize) return std::nullopt;
    auto nameField = body.subspan(4, kNameField);
    auto zero = std::find(nameField.begin(), nameField.end(), uint8_t{0});
    if (zero == nameField.end()) return std::nullopt;
    GameDescription description;
    description.side = readInt32(body, 0);
    description.name.assign(nameField.begin(), zero);
    description.expectedPlayers = readInt32(body, 32);
    description.optionA = readInt32(body, 36);
    description.optionB = readInt32(body, 40);
    description.optionE = readInt32(body, 44);
    return description;
}

Bytes encodeThemeList(const std::vector<std::string>& names) {
    Bytes out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) out.push_back(' ');
        out.insert(out.end(), names[i].begin(), names[i].end());
    }
    out.push_back(0);
    return out;
}

std::vector<std::string> decodeThemeList(std::span<const uint8_t> body) {
    auto end = std::find(body.begin(), body.end(), uint8_t{0});
    std::vector<std::string> names;
    std::string current;
    for (auto it = body.begin(); it != end; ++it) {
        if (*it == ' ') {
            if (!current.empty()) names.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(char(*it));
        }
    }
    if (!current.empty()) names.push_back(std::move(current));
    return names;
}

namespace {

// A slot number, then a text with its zero: chat lines and slot names.
Bytes encodeSlotText(int32_t slot, std::string_view text, size_t limit) {
    Bytes out;
    appendInt32(out, slot);
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    text = text.substr(0, std::min(text.size(), limit));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::optional<ChatLine> decodeSlotText(std::span<const uint8_t> body, size_t limit) {
    if (body.size() < 4) return std::nullopt;
    ChatLine line;
    line.slot = readInt32(body, 0);
    auto text = body.subspan(4);
    auto end = std::find(text.begin(), text.end(), uint8_t{0});
    size_t length = std::min(size_t(end - text.begin()), limit);
    line.text.assign(text.begin(), text.begin() + length);
    return line;
}

}  // namespace

Bytes encodeChat(int32_t slot, std::string_view text) { return encodeSlotText(slot, text, kMaxChatText); }

std::optional<ChatLine> decodeChat(std::span<const uint8_t> body) { return decodeSlotText(body, kMaxChatText); }

Bytes encodeSlotName(int32_t slot, std::string_view name) { return encodeSlotText(slot, name, kMaxSlotName); }

std::optional<ChatLine> decodeSlotName(std::span<const uint8_t> body) {
    return decodeSlotText(body, kMaxSlotName);
}

bool isSafeFileName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name.front() == '.') return false;
    if (name.find("..") != std::string_view::npos) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        auto byte = uint8_t(c);
        return byte > 0x20 && byte != 0x7F && c != '/' && c != '\\' && c != ':';
    });
}

int integerSquareRoot(size_t value) {
    size_t root = 0;
    while ((root + 1) * (root + 1) <= value) ++root;
    return int(root);
}

}  // namespace tessary::slimefray
