// Byte layouts the library builds and reads: datagrams, outgoing game
// messages, the registration, the start order and the finish report.
#include <gtest/gtest.h>

#include <cstring>

#include "library_messages.h"
#include "outgoing.h"
#include "start_order.h"

namespace tessary::gamelib {
namespace {

using protocol::Bytes;

TEST(Datagram, CarriesBothStampsBeforeTheGamePayload) {
    Datagram d;
    d.message.kind = protocol::SENDTOOTHERPLAYERS;
    d.message.sender = 0x0102;
    d.message.flags = 31;
    d.message.payload = {9, 0xAA};
    d.stamp = 0x11223344;
    d.echoStamp = 5;
    const Bytes wire = encodeDatagram(d);
    EXPECT_EQ(wire, (Bytes{0, 0, 17, 0x60, 1, 0x02, 0x01, 0x44, 0x33, 0x22, 0x11, 5, 0, 0, 0, 9, 0xAA}));

    auto back = decodeDatagram(wire);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stamp, 0x11223344u);
    EXPECT_EQ(back->echoStamp, 5u);
    EXPECT_EQ(back->message.payload, (Bytes{9, 0xAA}));
    EXPECT_EQ(back->message.sender, 0x0102);
}

TEST(Datagram, DropsWhatIsNotAWholeRawMessageWithStamps) {
    Datagram d;
    d.message.kind = 1;
    d.message.payload = {};
    const Bytes stampsOnly = encodeDatagram(d);  // 15 bytes: the shortest accepted
    ASSERT_TRUE(decodeDatagram(stampsOnly));
    EXPECT_TRUE(decodeDatagram(stampsOnly)->message.payload.empty());

    protocol::ServiceMessage structured;
    structured.type = protocol::STILLALIVE;
    structured.body.appendText("0123456789");
    Bytes withTrailer = stampsOnly;
    withTrailer.push_back(0);  // extra bytes after the announced size are ignored
    Bytes overAnnounced = stampsOnly;
    overAnnounced[2] = 16;
    Bytes underAnnounced = stampsOnly;
    underAnnounced[2] = 14;

    struct Case {
        const char* name;
        Bytes bytes;
        bool accepted;
    } cases[] = {
        {"empty", {}, false},
        {"header and seven stamp bytes", Bytes(stampsOnly.begin(), stampsOnly.end() - 1), false},
        {"structured frame", protocol::encode(structured), false},
        {"format 2", [&] { Bytes b = stampsOnly; b[3] = 0x80; return b; }(), false},
        {"announces more than arrived", overAnnounced, false},
        {"announces less than the stamps", underAnnounced, false},
        {"trailing bytes", withTrailer, true},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeDatagram(c.bytes).has_value(), c.accepted) << c.name;
}

TEST(Outgoing, PayloadIsTypeThenAddressingThenData) {
    const uint8_t target[] = {0x34, 0x12};
    const uint8_t data[] = {7, 8};
    auto m = makeGameMessage(protocol::SENDTOPLAYER, 42, 0x0506, *flagsOfSendMode(3), target, data);
    EXPECT_EQ(m.kind, protocol::SENDTOPLAYER);
    EXPECT_EQ(m.sender, 0x0506);
    EXPECT_EQ(m.flags, protocol::kReplaceFlag | 1);
    EXPECT_EQ(m.payload, (Bytes{42, 0x34, 0x12, 7, 8}));

    auto server = makeServerMessage(kCancelStorage, 3);
    EXPECT_EQ(server.kind, protocol::SENDTOSERVER);
    EXPECT_EQ(server.flags, 0);
    EXPECT_EQ(server.payload, (Bytes{238}));
}

TEST(Outgoing, SendModesSetPriorityAndReplaceFlag) {
    struct Case {
        int32_t mode;
        std::optional<uint8_t> flags;
    } cases[] = {{0, {}}, {1, 0x00}, {2, 0x20}, {3, 0x21}, {4, 0x22}, {5, {}}, {-1, {}}, {257, {}}};
    for (const Case& c : cases) EXPECT_EQ(flagsOfSendMode(c.mode), c.flags) << c.mode;
}

TEST(Registration, NameIsSixteenBytesZeroPaddedWithoutRoomForATerminator) {
    auto ann = registrationData("ann");
    ASSERT_TRUE(ann);
    EXPECT_EQ(*ann, (Bytes{'a', 'n', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    auto full = registrationData("abcdefghijklmnop");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->size(), 16u);
    EXPECT_EQ(full->back(), 'p');

    EXPECT_FALSE(registrationData("abcdefghijklmnopq"));
    EXPECT_FALSE(registrationData(""));
    EXPECT_FALSE(registrationData(nullptr));
}

TEST(StartOrder, FieldsAreReadInOrderSkippingEmptyOnes) {
    auto six = parseStartOrder("ann@127.0.0.1:4000@12@10.1.2.3@37001@4 45 blue map1 1");
    EXPECT_EQ(six.name, "ann");
    EXPECT_EQ(six.reportName, "127.0.0.1:4000");
    EXPECT_EQ(six.session, 12);
    EXPECT_EQ(six.serverAddress, "10.1.2.3");
    EXPECT_EQ(six.serverPort, 37001);
    EXPECT_EQ(six.extra, "4 45 blue map1 1");

    auto five = parseStartOrder("ann@r@3@host@40000");
    EXPECT_EQ(five.serverPort, 40000);
    EXPECT_EQ(five.extra, "");

    auto runs = parseStartOrder("@@ann@@r@3@@host@40000@@x");
    EXPECT_EQ(runs.name, "ann");
    EXPECT_EQ(runs.serverAddress, "host");
    EXPECT_EQ(runs.extra, "x");

    auto short_ = parseStartOrder("ann@r");
    EXPECT_EQ(short_.session, 0);
    EXPECT_FALSE(short_.serverAddress);
    EXPECT_FALSE(short_.serverPort);
}

TEST(StartOrder, LongFieldsAreCutToTheLibrarysCapacities) {
    const std::string longText(1000, 'z');
    auto order = parseStartOrder(longText + "@" + longText + "@1@" + longText + "@2@" + longText);
    EXPECT_EQ(order.reportName.size(), kMaxReportName);
    EXPECT_EQ(order.serverAddress->size(), kMaxServerAddress);
    EXPECT_EQ(order.name.size(), 1000u);  // cut by the copy into the caller's buffer

    char buffer[80 + 4];
    std::memset(buffer, '#', sizeof buffer);
    copyBounded(order.name, buffer, 80);
    EXPECT_EQ(std::strlen(buffer), 79u);
    EXPECT_EQ(buffer[80], '#');
    copyBounded("ok", buffer, 80);
    EXPECT_STREQ(buffer, "ok");
    copyBounded("ok", buffer, 0);  // nothing written
    EXPECT_STREQ(buffer, "ok");
}

TEST(StartOrder, NumbersReadLikeAtoi) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"37000", 37000}, {" 42x", 42}, {"-7", -7}, {"x1", 0}, {"", 0}, {"99999999999", INT32_MAX}};
    for (const Case& c : cases) EXPECT_EQ(leadingDecimal(c.text), c.value) << c.text;
}

TEST(FinishReport, ResultTextFollowsTheNumberDirectly) {
    EXPECT_EQ(formatFinishReport("10.0.0.1", 4000, ""), "10.0.0.1@4000");
    EXPECT_EQ(formatFinishReport("h", 4000, "@ok"), "h@4000@ok");
    EXPECT_EQ(formatFinishReport("h", -1, "won"), "h@-1won");
}

}  // namespace
}  // namespace tessary::gamelib
