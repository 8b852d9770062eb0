// Slimefray's game messages: type numbers and the fixed body layouts shared by
// the program and the referee. Every integer is 32-bit little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/decoded_image.h"

namespace tessary::slimefray {

using Bytes = std::vector<uint8_t>;

inline constexpr int kMaxSide = 50;          // the cell store holds 50x50 cells
inline constexpr int kMaxSlots = 8;
inline constexpr int kPowerKinds = 5;
inline constexpr int kPowerCodeBase = 50;    // a power's code is 50 plus its kind
inline constexpr int kNoCell = -2;           // "none" in a move's converted-cell list
inline constexpr int kMaxChatText = 249;
inline constexpr int kMaxSlotName = 31;

// The .bmp pictures both sides accept: the themes the referee sends and the
// program's own pictures.
inline constexpr desktop::ImageLimits kPictureLimits{8192, 16 * 1024 * 1024};
[[nodiscard]] std::optional<desktop::DecodedImage> decodePicture(std::span<const uint8_t> file);

enum MessageType : uint8_t {
    kChat = 1,
    kGameDescription = 10,
    kMap = 11,
    kThemePicture1 = 12,
    kThemePicture2 = 13,
    kThemePicture3 = 14,
    kTurn = 15,  // S->C: your turn; C->S: end of my turn
    kMove = 16,
    kSlot = 17,
    kBlob = 18,
    kTurnBegins = 19,
    kSlotLeft = 20,
    kGameOver = 21,
    kClockMode = 22,
    kItem = 23,
    kPower = 24,
    kMineArmed = 25,
    kBackToFloor = 26,
    kShieldOff = 27,
    kObstacleAnimation = 28,
    kMapMissing = 29,
    kThemeList = 30,
    kHeldPowers = 31,  // S->C, to a returning player: five flags, one per power kind
    kShielded = 32,    // S->C, to a newcomer: the blob on (x, y) is shielded
    kSlotName = 33,    // S->C, with the set-up: who holds a slot (encodeSlotName)
    kLastMessage = kSlotName,  // the program listens to 1 and 11 up to this
};

enum class Power : uint8_t { Mine = 0, Kamikaze = 1, Cyclone = 2, Hyper = 3, Teleport = 4 };

inline constexpr int powerCode(Power power) { return kPowerCodeBase + int(power); }
inline constexpr std::optional<Power> powerFromCode(int32_t code) {
    if (code < kPowerCodeBase || code >= kPowerCodeBase + kPowerKinds) return std::nullopt;
    return Power(code - kPowerCodeBase);
}

enum TileKind : uint8_t { kFloor = 0, kRock = 1, kDebris = 2 };

// Tile kinds as the map store keeps them: anything that is neither floor nor
// kind 2 is an obstacle of kind 1, so a stray byte can never index a fourth
// theme picture.
inline constexpr uint8_t tileFromByte(uint8_t byte) {
    return byte == 0 ? kFloor : byte == 2 ? kDebris : kRock;
}

inline void appendInt32(Bytes& out, int32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(value) >> (8 * i)));
}

// REQUIRES: offset + 4 <= bytes.size()
inline int32_t readInt32(std::span<const uint8_t> bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t(bytes[offset + i]) << (8 * i);
    return int32_t(value);
}

// A body of plain 32-bit integers (types 15 to 28 except 16 and 24).
inline Bytes int32Body(std::initializer_list<int32_t> values) {
    Bytes out;
    for (int32_t v : values) appendInt32(out, v);
    return out;
}

// Reads `count` integers; nullopt when the body is shorter.
std::optional<std::vector<int32_t>> readInt32s(std::span<const uint8_t> body, size_t count);

struct CellRef {
    int32_t x = kNoCell;
    int32_t y = kNoCell;
    bool operator==(const CellRef&) const = default;
};

// Type 16, both directions.
struct MoveRecord {
    static constexpr size_t kSize = 96;
    int32_t fromX = 0, fromY = 0, toX = 0, toY = 0;
    int32_t jump = 0;
    int32_t destroyed = 0;
    std::array<CellRef, 8> converted{};
    int32_t slot = 0;
    int32_t teleport = 0;

    Bytes encode() const;
    // nullopt unless the body is exactly 96 bytes.
    [[nodiscard]] static std::optional<MoveRecord> decode(std::span<const uint8_t> body);
    bool operator==(const MoveRecord&) const = default;
};

// Type 24, both directions: the cell, the power code, nine flags.
struct PowerRecord {
    static constexpr size_t kSize = 48;
    int32_t x = 0, y = 0, code = 0;
    std::array<int32_t, 9> flags{};

    Bytes encode() const;
    [[nodiscard]] static std::optional<PowerRecord> decode(std::span<const uint8_t> body);
    bool operator==(const PowerRecord&) const = default;
};

// Type 10, master to server.
struct GameDescription {
    static constexpr size_t kSize = 48;
    static constexpr size_t kNameField = 28;
    int32_t side = 0;
    std::string name;  // optionC, the theme title; at most 24 characters
    int32_t expectedPlayers = 0;
    int32_t optionA = 0;
    int32_t optionB = 0;
    int32_t optionE = 0;

    Bytes encode() const;
    // nullopt unless the body is 48 bytes and the name field holds its zero.
    [[nodiscard]] static std::optional<GameDescription> decode(std::span<const uint8_t> body);
};

// Type 30: names separated by blanks, with the terminating zero.
Bytes encodeThemeList(const std::vector<std::string>& names);
std::vector<std::string> decodeThemeList(std::span<const uint8_t> body);

// Type 1: sender's slot, then the text with its zero (cut at 249 characters).
Bytes encodeChat(int32_t slot, std::string_view text);
struct ChatLine {
    int32_t slot = 0;
    std::string text;
};
[[nodiscard]] std::optional<ChatLine> decodeChat(std::span<const uint8_t> body);

// Type 33: the slot, then its holder's name with its zero (cut at 31
// characters), laid out as a chat line.
Bytes encodeSlotName(int32_t slot, std::string_view name);
[[nodiscard]] std::optional<ChatLine> decodeSlotName(std::span<const uint8_t> body);

// Chebyshev distance: 1 for a copy, 2 for a jump.
inline int distance(int x1, int y1, int x2, int y2) {
    int dx = x1 > x2 ? x1 - x2 : x2 - x1;
    int dy = y1 > y2 ? y1 - y2 : y2 - y1;
    return dx > dy ? dx : dy;
}

// A name that may become a file name in the program's directories (theme
// names of type 30, the session's map name): not empty, at most 64
// characters, printable, no blank, no path separator or drive colon, no "..",
// not starting with a dot.
bool isSafeFileName(std::string_view name);

// The square root rounded down (N of a type 11 body).
int integerSquareRoot(size_t value);

}  // namespace tessary::slimefray
