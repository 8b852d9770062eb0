#include "slimefray/messages.h"

#include <gtest/gtest.h>

namespace tessary::slimefray {
namespace {

TEST(MoveRecord, LaysOutItsFieldsAtTheirOffsets) {
    MoveRecord move;
    move.fromX = 1, move.fromY = 2, move.toX = 3, move.toY = 4, move.jump = 1, move.destroyed = 7;
    move.converted[0] = {5, 6};
    move.converted[7] = {-2, 9};
    move.slot = 3;
    move.teleport = 1;
    Bytes bytes = move.encode();
    ASSERT_EQ(bytes.size(), MoveRecord::kSize);
    EXPECT_EQ(readInt32(bytes, 0), 1);
    EXPECT_EQ(readInt32(bytes, 12), 4);
    EXPECT_EQ(readInt32(bytes, 16), 1);
    EXPECT_EQ(readInt32(bytes, 20), 7);
    EXPECT_EQ(readInt32(bytes, 24), 5);
    EXPECT_EQ(readInt32(bytes, 28), 6);
    EXPECT_EQ(readInt32(bytes, 80), -2);
    EXPECT_EQ(readInt32(bytes, 84), 9);
    EXPECT_EQ(readInt32(bytes, 88), 3);
    EXPECT_EQ(readInt32(bytes, 92), 1);
    EXPECT_EQ(bytes[80], 0xFE);  // little-endian -2
    EXPECT_EQ(MoveRecord::decode(bytes), move);
}

TEST(MoveRecord, DecodesOnlyExactly96Bytes) {
    Bytes bytes = MoveRecord{}.encode();
    for (size_t size : {size_t{0}, size_t{95}, size_t{97}}) {
        Bytes resized = bytes;
        resized.resize(size);
        EXPECT_FALSE(MoveRecord::decode(resized)) << size;
    }
}

TEST(PowerRecord, RoundTripsWithNineFlags) {
    PowerRecord power{4, 5, 51, {0, 1, 0, 1, 0, 1, 0, 1, 9}};
    Bytes bytes = power.encode();
    ASSERT_EQ(bytes.size(), PowerRecord::kSize);
    EXPECT_EQ(readInt32(bytes, 8), 51);
    EXPECT_EQ(readInt32(bytes, 44), 9);
    EXPECT_EQ(PowerRecord::decode(bytes), power);
    bytes.pop_back();
    EXPECT_FALSE(PowerRecord::decode(bytes));
}

TEST(GameDescription, KeepsTheNameInItsZeroTerminatedField) {
    GameDescription description{20, std::string(24, 'n'), 4, 1, 45, 2};
    Bytes bytes = description.encode();
    ASSERT_EQ(bytes.size(), GameDescription::kSize);
    EXPECT_EQ(bytes[4 + 24], 0);
    EXPECT_EQ(readInt32(bytes, 32), 4);
    EXPECT_EQ(readInt32(bytes, 44), 2);
    auto decoded = GameDescription::decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->name, description.name);
    EXPECT_EQ(decoded->optionB, 45);

    for (size_t i = 4; i < 32; ++i) bytes[i] = 'x';  // no terminating zero
    EXPECT_FALSE(GameDescription::decode(bytes));
}

TEST(ThemeList, SplitsAtBlanksAndStopsAtTheZero) {
    std::vector<std::string> names{"Meadow.thm", "Lava.thm"};
    Bytes bytes = encodeThemeList(names);
    EXPECT_EQ(bytes.back(), 0);
    EXPECT_EQ(decodeThemeList(bytes), names);
    Bytes odd{'a', ' ', ' ', 'b', 0, 'c'};
    EXPECT_EQ(decodeThemeList(odd), (std::vector<std::string>{"a", "b"}));
}

// Chat lines (type 1) and slot names (type 33) share one layout with
// different bounds; either side cuts a text that is too long.
TEST(SlotTexts, CutTheTextAtTheirBound) {
    struct Row {
        Bytes (*encode)(int32_t, std::string_view);
        std::optional<ChatLine> (*decode)(std::span<const uint8_t>);
        size_t bound;
    };
    for (Row row : {Row{encodeChat, decodeChat, 249}, Row{encodeSlotName, decodeSlotName, 31}}) {
        SCOPED_TRACE(row.bound);
        Bytes bytes = row.encode(3, std::string(300, 'z'));
        EXPECT_EQ(bytes.size(), 4u + row.bound + 1u);
        auto line = row.decode(bytes);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->slot, 3);
        EXPECT_EQ(line->text.size(), row.bound);
        Bytes uncut{1, 0, 0, 0};
        uncut.resize(4 + 300, 'y');
        EXPECT_EQ(row.decode(uncut)->text.size(), row.bound);
        Bytes unterminated{1, 0, 0, 0, 'h', 'i'};
        EXPECT_EQ(row.decode(unterminated)->text, "hi");
        EXPECT_FALSE(row.decode(Bytes{1, 0}));
    }
}

TEST(IntegerSquareRoot, RoundsDown) {
    struct Row {
        size_t value;
        int root;
    };
    for (Row row : {Row{0, 0}, {1, 1}, {3, 1}, {4, 2}, {399, 19}, {400, 20}, {401, 20}, {2500, 50}}) {
        EXPECT_EQ(integerSquareRoot(row.value), row.root) << row.value;
    }
}

TEST(TileFromByte, TurnsStrayBytesIntoObstacles) {
    EXPECT_EQ(tileFromByte(0), kFloor);
    EXPECT_EQ(tileFromByte(1), kRock);
    EXPECT_EQ(tileFromByte(2), kDebris);
    EXPECT_EQ(tileFromByte(3), kRock);
    EXPECT_EQ(tileFromByte('0'), kRock);
}

TEST(SafeFileName, RefusesWhatCouldLeaveItsDirectory) {
    struct Row {
        const char* name;
        bool safe;
    };
    for (Row row : {Row{"Meadow.thm", true}, {"a", true}, {"", false}, {"..", false}, {"a..b", false},
                    {"../x", false}, {"a/b", false}, {"a\\b", false}, {".hidden", false},
                    {"c:evil", false}, {"two words", false}}) {
        EXPECT_EQ(isSafeFileName(row.name), row.safe) << row.name;
    }
}

}  // namespace
}  // namespace tessary::slimefray
