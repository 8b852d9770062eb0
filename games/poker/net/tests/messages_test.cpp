#include "poker/messages.h"

#include <gtest/gtest.h>

namespace tessary::poker {
namespace {

Payload bytes(std::initializer_list<int> values) {
    Payload p;
    for (int v : values) p.push_back(static_cast<uint8_t>(v));
    return p;
}

TEST(Messages, ActionLayoutIsTwoLittleEndianIntegers) {
    EXPECT_EQ(encodeAction({ActionCode::Raise, 0x01020304}), bytes({3, 0, 0, 0, 4, 3, 2, 1}));
    EXPECT_EQ(encodeAction({ActionCode::Call, -1}), bytes({2, 0, 0, 0, 255, 255, 255, 255}));
    const auto a = decodeAction(bytes({7, 0, 0, 0, 250, 0, 0, 0}));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->code, ActionCode::Money);
    EXPECT_EQ(a->value, 250);
}

TEST(Messages, ActionsOfTheWrongSizeOrCodeAreRejected) {
    const Payload rows[] = {
        {},
        bytes({0, 0, 0, 0, 5, 0, 0}),           // 7 bytes
        bytes({0, 0, 0, 0, 5, 0, 0, 0, 0}),     // 9 bytes
        bytes({1, 0, 0, 0, 5, 0, 0, 0}),        // code 1 is not used
        bytes({8, 0, 0, 0, 5, 0, 0, 0}),        // past the last code
        bytes({255, 255, 255, 255, 0, 0, 0, 0}) // -1
    };
    for (const Payload& p : rows) EXPECT_FALSE(decodeAction(p)) << p.size();
    for (int code : {0, 2, 3, 4, 5, 6, 7}) EXPECT_TRUE(decodeAction(bytes({code, 0, 0, 0, 0, 0, 0, 0}))) << code;
}

TEST(Messages, CardsRoundTripAndRejectBadCodes) {
    const Hand hand{0, 13, 26, 39, 51};
    const Payload p = encodeCards(hand);
    ASSERT_EQ(p.size(), kCardsSize);
    EXPECT_EQ(decodeCards(p), hand);
    EXPECT_FALSE(decodeCards(Payload(p.begin(), p.end() - 1)));
    Payload longer = p;
    longer.push_back(0);
    EXPECT_FALSE(decodeCards(longer));
    EXPECT_FALSE(decodeCards(encodeCards(Hand{0, 1, 2, 3, 52})));
    EXPECT_FALSE(decodeCards(encodeCards(Hand{0, 1, 2, 3, kNoCard})));
}

TEST(Messages, TurnCarriesTheLow16Bits) {
    EXPECT_EQ(encodeTurn(0x1234), bytes({0x34, 0x12, 0, 0}));
    EXPECT_EQ(decodeTurn(bytes({0x34, 0x12, 0xAB, 0xCD})), 0x1234);
    EXPECT_FALSE(decodeTurn(bytes({1, 0, 0})));
    EXPECT_FALSE(decodeTurn(bytes({1, 0, 0, 0, 0})));
}

TEST(Messages, ChatIsCutTo249CharactersAndTerminated) {
    const std::string exact(249, 'x');
    const Payload p = encodeChat(exact);
    ASSERT_EQ(p.size(), 250u);
    EXPECT_EQ(p.back(), 0);
    EXPECT_EQ(decodeChat(p), exact);
    EXPECT_EQ(encodeChat(std::string(400, 'y')).size(), 250u);
    EXPECT_EQ(decodeChat(encodeChat("hello")), "hello");
}

TEST(Messages, ChatWithoutTerminatorStopsAtItsLength) {
    EXPECT_EQ(decodeChat(bytes({'h', 'i'})), "hi");
    EXPECT_EQ(decodeChat(bytes({'h', 0, 'i'})), "h");
    EXPECT_EQ(decodeChat(Payload(300, 'z'))->size(), kMaxChatLength);
    EXPECT_FALSE(decodeChat(Payload{}));
}

TEST(Messages, BankrollIsTheFirstFourBytes) {
    EXPECT_EQ(decodeBankroll(bytes({100, 0, 0, 0})), 100);
    EXPECT_EQ(decodeBankroll(bytes({100, 0, 0, 0, 9, 9})), 100);
    EXPECT_FALSE(decodeBankroll(bytes({100, 0, 0})));
    EXPECT_EQ(encodeBankroll(-2), bytes({254, 255, 255, 255}));
}

}  // namespace
}  // namespace tessary::poker
