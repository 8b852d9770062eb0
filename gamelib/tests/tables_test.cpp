#include <gtest/gtest.h>

#include <cstring>

#include "TSGame.h"
#include "group_table.h"
#include "personal_callbacks.h"
#include "player_table.h"

namespace tessary::gamelib {
namespace {

TEST(PlayerTable, AnnouncingAKnownNameOnlyChangesItsId) {
    PlayerTable table;
    table.announce(5, "ann");
    table.announce(6, "bob");
    table.announce(9, "ann");
    ASSERT_EQ(table.players().size(), 2u);
    EXPECT_EQ(table.players()[0].id, 9);
    EXPECT_EQ(table.players()[0].name, "ann");
    EXPECT_EQ(table.find(5), nullptr);
    ASSERT_NE(table.findByName("bob"), nullptr);
    EXPECT_EQ(table.findByName("Bob"), nullptr);  // names compare exactly
}

TEST(PlayerTable, CopyNameNeedsRoomForTheTerminator) {
    PlayerTable table;
    table.announce(3, "abcdef");
    struct Case {
        uint16_t id;
        int32_t size;
        int32_t result;
    } cases[] = {
        {4, 80, TS_ERROR_PLAYER},
        {3, 6, TS_ERROR_BUFFER_TOO_SMALL},
        {3, 0, TS_ERROR_BUFFER_TOO_SMALL},
        {3, -1, TS_ERROR_BUFFER_TOO_SMALL},
        {3, 7, TS_SUCCESS},
    };
    for (const Case& c : cases) {
        char buffer[80];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(table.copyName(c.id, buffer, c.size), c.result) << c.id << " " << c.size;
        if (c.result == TS_SUCCESS)
            EXPECT_STREQ(buffer, "abcdef");
        else
            EXPECT_EQ(buffer[0], 'x');
    }
}

TEST(PlayerData, ReadUpdateAndDeleteFollowTheirResultCodes) {
    PlayerTable table;
    table.announce(1, "ann");
    const uint8_t four[] = {1, 2, 3, 4};
    EXPECT_EQ(table.updateData(2, 7, four, 4), TS_ERROR_PLAYER);
    EXPECT_EQ(table.updateData(1, 7, four, 4), TS_SUCCESS);

    uint8_t buffer[8] = {};
    int32_t size = 3;
    EXPECT_EQ(table.readData(1, 7, buffer, &size), TS_ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 3);
    size = 8;
    EXPECT_EQ(table.readData(1, 7, buffer, &size), TS_SUCCESS);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(0, std::memcmp(buffer, four, 4));

    size = 8;
    EXPECT_EQ(table.readData(1, 8, buffer, &size), TS_ERROR_NO_DATA_KEY);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(table.readData(2, 7, buffer, &size), TS_ERROR_PLAYER);

    const uint8_t two[] = {9, 9};
    EXPECT_EQ(table.updateData(1, 7, two, 2), TS_SUCCESS);
    size = 8;
    EXPECT_EQ(table.readData(1, 7, buffer, &size), TS_SUCCESS);
    EXPECT_EQ(size, 2);
    EXPECT_EQ(buffer[0], 9);

    EXPECT_EQ(table.deleteData(1, 8), TS_ERROR_NO_DATA_KEY);
    EXPECT_EQ(table.deleteData(1, 7), TS_SUCCESS);
    EXPECT_EQ(table.deleteData(1, 7), TS_ERROR_NO_DATA_KEY);
    EXPECT_EQ(table.deleteData(3, 7), TS_ERROR_PLAYER);
}

TEST(PlayerData, AnItemWithoutBytesReadsBackEmptyWithoutTouchingTheBuffer) {
    PlayerTable table;
    table.announce(1, "ann");
    const uint8_t some[] = {5};
    struct Case {
        const void* data;
        int32_t size;
    } cases[] = {{nullptr, 0}, {nullptr, 12}, {some, 0}, {some, -4}};
    for (const Case& c : cases) {
        ASSERT_EQ(table.updateData(1, 3, c.data, c.size), TS_SUCCESS);
        int32_t size = 0;
        EXPECT_EQ(table.readData(1, 3, nullptr, &size), TS_SUCCESS);
        EXPECT_EQ(size, 0);
        uint8_t guard[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        size = 4;
        EXPECT_EQ(table.readData(1, 3, guard, &size), TS_SUCCESS);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(guard[0], 0xEE);
    }
}

TEST(PlayerData, ItemsGoWithTheirPlayer) {
    PlayerTable table;
    table.announce(1, "ann");
    const uint8_t byte[] = {1};
    ASSERT_EQ(table.updateData(1, 1, byte, 1), TS_SUCCESS);
    ASSERT_TRUE(table.remove(1));
    EXPECT_FALSE(table.remove(1));
    table.announce(1, "ann");
    int32_t size = 4;
    uint8_t buffer[4];
    EXPECT_EQ(table.readData(1, 1, buffer, &size), TS_ERROR_NO_DATA_KEY);
}

TEST(GroupTable, OperationsRefuseWithTheirCodesAndChangeNothing) {
    GroupTable groups;
    EXPECT_EQ(groups.remove(4), TS_ERROR_GROUP);
    EXPECT_EQ(groups.empty(4), TS_ERROR_GROUP);
    EXPECT_EQ(groups.addMember(4, 1, "ann"), TS_ERROR_GROUP);
    EXPECT_EQ(groups.removeMember(4, 1), TS_ERROR_GROUP);

    EXPECT_EQ(groups.create(4), TS_SUCCESS);
    EXPECT_EQ(groups.create(4), TS_ERROR_GROUP);
    EXPECT_EQ(groups.addMember(4, 2, "bob"), TS_SUCCESS);
    EXPECT_EQ(groups.addMember(4, 1, "ann"), TS_SUCCESS);
    EXPECT_EQ(groups.addMember(4, 1, "ann"), TS_ERROR_PLAYER);
    EXPECT_EQ(groups.removeMember(4, 3), TS_ERROR_PLAYER);
    ASSERT_NE(groups.find(4), nullptr);
    ASSERT_EQ(groups.find(4)->members.size(), 2u);
    EXPECT_EQ(groups.find(4)->members[0].name, "bob");  // insertion order

    EXPECT_EQ(groups.removeMember(4, 2), TS_SUCCESS);
    EXPECT_EQ(groups.find(4)->members.size(), 1u);
    EXPECT_EQ(groups.empty(4), TS_SUCCESS);
    EXPECT_TRUE(groups.find(4)->members.empty());
    EXPECT_EQ(groups.remove(4), TS_SUCCESS);
    EXPECT_EQ(groups.find(4), nullptr);
}

void firstHandler(uint16_t, const void*, int32_t) {}
void secondHandler(uint16_t, const void*, int32_t) {}

TEST(PersonalCallbacks, OnePerTypeOnlyTheLowByteCounts) {
    PersonalCallbacks callbacks;
    EXPECT_EQ(callbacks.fix(nullptr, 5), TS_ERROR_NO_CALLBACK);
    EXPECT_EQ(callbacks.fix(firstHandler, 201), TS_ERROR_MESSAGE_TYPE);
    EXPECT_EQ(callbacks.fix(firstHandler, 200), TS_SUCCESS);
    EXPECT_EQ(callbacks.fix(firstHandler, 0x105), TS_SUCCESS);  // type 5
    EXPECT_EQ(callbacks.find(5), &firstHandler);
    EXPECT_EQ(callbacks.fix(secondHandler, 5), TS_ERROR_CALLBACK_EXISTS);
    EXPECT_EQ(callbacks.find(5), &firstHandler);
    EXPECT_EQ(callbacks.remove(6), TS_ERROR_MESSAGE_TYPE);
    EXPECT_EQ(callbacks.remove(5), TS_SUCCESS);
    EXPECT_EQ(callbacks.find(5), nullptr);
    EXPECT_EQ(callbacks.fix(secondHandler, 5), TS_SUCCESS);
}

}  // namespace
}  // namespace tessary::gamelib
