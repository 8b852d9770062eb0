#include "protocol/codec.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "platform/diag.h"
#include "protocol/message_fields.h"

namespace tessary::protocol {
namespace {

// Captures the diagnostics stream for the lifetime of the object.
class DiagCapture {
public:
    DiagCapture() {
        previous_ = platform::setDiagSink([this](std::string_view t) { text.append(t); });
    }
    ~DiagCapture() { platform::setDiagSink(std::move(previous_)); }
    std::string text;

private:
    platform::DiagSink previous_;
};

Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(uint8_t(v));
    return out;
}

// The transposition done the long way, cell by cell on a real grid, as an
// independent oracle for the codec's index arithmetic.
Bytes referenceTranspose(const Bytes& in) {
    const size_t n = in.size();
    size_t s = 0;
    while (s * s < n) ++s;
    std::vector<int> grid(s * s, -1);
    size_t j = 0;
    for (size_t d = 0; j < n; ++d) {
        for (size_t r = std::min(d, s - 1);; --r) {
            size_t c = d - r;
            if (c >= s || j >= n) break;
            grid[r * s + c] = int(j++);
            if (r == 0) break;
        }
    }
    Bytes out;
    for (int cell : grid)
        if (cell >= 0) out.push_back(in[size_t(cell)]);
    return out;
}

Bytes withFrame(uint8_t byte3, uint8_t type, uint8_t modules, Bytes body) {
    Bytes frame = body;
    const uint8_t header[] = {0, 0, 0, byte3, type, modules};
    frame.insert(frame.begin(), std::begin(header), std::end(header));
    frame[0] = uint8_t(frame.size() >> 16);
    frame[1] = uint8_t(frame.size() >> 8);
    frame[2] = uint8_t(frame.size());
    return frame;
}

TEST(CodecFrame, EmptyStructuredMessageIsSixBytes) {
    ServiceMessage m;
    m.type = STILLALIVE;
    m.flags = 0x3F;  // only the replace flag may reach the wire
    m.source = kModulePlayer;
    m.destination = kModuleRouter;
    EXPECT_EQ(encode(m), bytes({0x00, 0x00, 0x06, 0x20, 67, 0x41}));

    auto decoded = decode(encode(m));
    ASSERT_TRUE(decoded);
    const auto& back = std::get<ServiceMessage>(*decoded);
    EXPECT_EQ(back.type, STILLALIVE);
    EXPECT_EQ(back.flags, 0x20);
    EXPECT_EQ(back.source, kModulePlayer);
    EXPECT_EQ(back.destination, kModuleRouter);
    EXPECT_TRUE(back.body.empty());
}

TEST(CodecFrame, ReceivedFlagByteKeepsPriorityAndReplaceFlag) {
    auto decoded = decode(withFrame(0x3F, PING, 0x34, {}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::get<ServiceMessage>(*decoded).flags, 0x3F);
}

TEST(CodecFrame, RawMessageLayout) {
    RawMessage m;
    m.kind = SENDTOPLAYER;
    m.flags = 0x25;
    m.sender = 0x0102;
    m.payload = bytes({243, 9});
    Bytes frame = encode(m);
    EXPECT_EQ(frame, bytes({0x00, 0x00, 0x09, 0x60, 3, 0x02, 0x01, 243, 9}));

    auto decoded = decode(frame);
    ASSERT_TRUE(decoded);
    const auto& back = std::get<RawMessage>(*decoded);
    EXPECT_EQ(back.sender, 0x0102);
    EXPECT_EQ(back.flags, 0x20);
    EXPECT_EQ(back.payload, m.payload);
}

TEST(CodecBody, ValueEncodings) {
    struct Row {
        const char* name;
        ValueList body;
        Bytes expected;
    };
    ValueList emptyText, emptyBinary, nestedEmpty, mixed;
    emptyText.appendText("");
    emptyBinary.appendBinary(nullptr, 0);
    ValueList holdsEmpty;
    holdsEmpty.appendList(ValueList{});
    nestedEmpty.appendList(holdsEmpty);  // the body has no brackets of its own
    ValueList inner;
    inner.appendText("ab");
    mixed.appendInteger<uint16_t>(0x0102);
    mixed.appendList(inner);
    const Row rows[] = {
        {"empty text", emptyText, bytes({0x73, 0x00})},
        {"empty binary", emptyBinary, bytes({0x62, 0, 0, 0, 0})},
        {"list holding an empty list", nestedEmpty, bytes({0x5B, 0x5B, 0x5D, 0x5D})},
        {"integer and nested text", mixed,
         bytes({0x62, 0, 0, 0, 2, 0x02, 0x01, 0x5B, 0x73, 'a', 'b', 0, 0x5D})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes out;
        encodeBody(row.body, out);
        EXPECT_EQ(out, row.expected);
        auto parsed = parseBody(out);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, row.body);
    }
}

TEST(CodecBody, TextStopsAtItsFirstNul) {
    ValueList list;
    list.appendText(std::string_view("ab\0cd", 5));
    EXPECT_EQ(*list.text(0), "ab");
}

TEST(CodecBody, ParseFailures) {
    struct Row {
        const char* name;
        Bytes body;
    };
    const Row rows[] = {
        {"top-level close", bytes({0x5D})},
        {"unknown marker", bytes({0x41})},
        {"text without terminator", bytes({0x73, 'a', 'b'})},
        {"binary length beyond the rest", bytes({0x62, 0, 0, 0, 3, 1, 2})},
        {"binary length cut short", bytes({0x62, 0, 0})},
        {"list without its close", bytes({0x5B, 0x73, 0})},
        {"unknown marker inside a list", bytes({0x5B, 0x00, 0x5D})},
        {"close after a closed list", bytes({0x5B, 0x5D, 0x5D})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(parseBody(row.body));
    }
    EXPECT_TRUE(parseBody({}));
}

TEST(CodecBody, EveryTruncatedPrefixOfABodyIsRejectedOrShorter) {
    ValueList body;
    body.appendText("hello");
    body.appendInteger<int32_t>(-5);
    ValueList inner;
    inner.appendBinary("xyz", 3);
    body.appendList(inner);
    Bytes encoded;
    encodeBody(body, encoded);
    for (size_t cut = 1; cut < encoded.size(); ++cut) {
        auto parsed = parseBody(std::span(encoded).first(cut));
        // A prefix may parse only if it ends exactly between two top-level values.
        if (parsed) {
            EXPECT_LT(parsed->size(), body.size()) << "cut at " << cut;
        }
    }
}

TEST(CodecBody, DeepNestingIsBoundedNotACrash) {
    Bytes deep(2'000'000, 0x5B);
    EXPECT_FALSE(parseBody(deep));
    Bytes fine;
    for (int i = 0; i < 100; ++i) fine.push_back(0x5B);
    for (int i = 0; i < 100; ++i) fine.push_back(0x5D);
    EXPECT_TRUE(parseBody(fine));
}

// A refused body must leave nothing in the parser's per-thread scratch:
// a stream of them from the network would otherwise grow without limit.
TEST(CodecBody, RefusedBodiesLeaveNothingBehind) {
    DiagCapture quiet;
    Bytes body(1001, 0x5B);  // one list deeper than allowed
    Bytes frame = {0, 0, 0, 0, LOGIN, 0x01};
    frame[2] = uint8_t(kHeaderSize + body.size());
    frame[1] = uint8_t((kHeaderSize + body.size()) >> 8);
    scrambleBody(body.data(), body.size());
    frame.insert(frame.end(), body.begin(), body.end());
    ASSERT_FALSE(decode(frame));
    const size_t heldAfterOne = parserScratch().bytesHeld;
    for (int i = 0; i < 10'000; ++i) ASSERT_FALSE(decode(frame));
    const ParserScratch after = parserScratch();
    EXPECT_EQ(after.values, 0u);
    EXPECT_EQ(after.openLists, 0u);
    EXPECT_LE(after.bytesHeld, heldAfterOne);
    EXPECT_TRUE(parseBody(Bytes{0x5B, 0x5D}));  // and the parser still works
}

TEST(CodecBody, KindCheckedReads) {
    ValueList list;
    list.appendText("t");
    list.appendInteger<int32_t>(-2);
    list.appendInteger<uint8_t>(7);
    int32_t i32 = 0;
    uint8_t u8 = 0;
    int16_t i16 = 0;
    EXPECT_TRUE(list.readInteger(1, i32));
    EXPECT_EQ(i32, -2);
    EXPECT_FALSE(list.readInteger(1, i16)) << "width must match exactly";
    EXPECT_TRUE(list.readInteger(2, u8));
    EXPECT_EQ(u8, 7);
    EXPECT_FALSE(list.readInteger(0, u8));
    EXPECT_EQ(list.binary(0), nullptr);
    EXPECT_EQ(list.text(1), nullptr);
    EXPECT_EQ(list.list(0), nullptr);
    EXPECT_EQ(list.text(3), nullptr);
}

TEST(CodecScramble, SmallExamples) {
    Bytes one{0x00};
    scrambleBody(one.data(), 1);
    EXPECT_EQ(one, bytes({0x89}));

    // After the XOR step a 4-byte body is reordered b0 b2 b1 b3.
    Bytes plain{1, 2, 3, 4};
    Bytes xored{uint8_t(1 ^ 0x89), uint8_t(2 ^ 0x8A), uint8_t(3 ^ 0x8B), uint8_t(4 ^ 0x8C)};
    scrambleBody(plain.data(), 4);
    EXPECT_EQ(plain, bytes({xored[0], xored[2], xored[1], xored[3]}));
}

TEST(CodecScramble, MatchesTheGridWalkAndRoundTripsForEveryLengthUpTo2000) {
    std::mt19937 rng(7);
    for (size_t n = 0; n <= 2000; ++n) {
        Bytes original(n);
        for (auto& b : original) b = uint8_t(rng());
        Bytes expected = original;
        for (size_t i = 0; i < n; ++i) expected[i] ^= uint8_t(i + 137);
        expected = referenceTranspose(expected);

        Bytes body = original;
        scrambleBody(body.data(), n);
        ASSERT_EQ(body, expected) << "n=" << n;
        unscrambleBody(body.data(), n);
        ASSERT_EQ(body, original) << "n=" << n;
    }
}

// Large bodies take the tiled path; sizes around squares and with a partial
// last diagonal.
TEST(CodecScramble, MatchesTheGridWalkForLargeBodies) {
    std::mt19937 rng(11);
    for (size_t n : {4'095u, 4'096u, 4'097u, 65'536u, 100'000u, 1'000'001u}) {
        Bytes original(n);
        for (auto& b : original) b = uint8_t(rng());
        Bytes expected = original;
        for (size_t i = 0; i < n; ++i) expected[i] ^= uint8_t(i + 137);
        expected = referenceTranspose(expected);

        Bytes body = original;
        scrambleBody(body.data(), n);
        ASSERT_EQ(body, expected) << "n=" << n;
    }
}

TEST(CodecScramble, LargeBodiesRoundTrip) {
    for (size_t n : {65'536u, 1'000'001u, 2'999'994u}) {
        Bytes original(n);
        for (size_t i = 0; i < n; ++i) original[i] = uint8_t(i * 31 + (i >> 9));
        Bytes body = original;
        scrambleBody(body.data(), n);
        EXPECT_NE(body, original);
        unscrambleBody(body.data(), n);
        EXPECT_EQ(body, original) << "n=" << n;
    }
}

TEST(CodecFrame, StructuredRoundTripWithNestedBody) {
    ServiceMessage m;
    m.type = SESSIONLIST;
    m.source = kModuleArena;
    m.destination = kModulePlayer;
    for (int i = 0; i < 30; ++i) {
        ValueList session;
        session.appendText("session " + std::to_string(i));
        session.appendInteger<int32_t>(i);
        ValueList players;
        players.appendText("p");
        session.appendList(players);
        m.body.appendList(session);
    }
    auto decoded = decode(encode(m));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::get<ServiceMessage>(*decoded), m);
}

TEST(CodecFrame, DecodeFailuresAreReported) {
    struct Row {
        const char* name;
        Bytes frame;
    };
    Bytes badBody = withFrame(0x00, NEWS, 0x14, {0x41});  // scrambled as is: unknown marker
    const Row rows[] = {
        {"format 2", withFrame(0x80, NEWS, 0x14, {})},
        {"format 3", withFrame(0xC0, NEWS, 0x14, {})},
        {"raw frame of six bytes", withFrame(0x40, 1, 0x00, {})},
        {"size field disagrees with the buffer", bytes({0, 0, 9, 0, 13, 0x14})},
        {"body that does not parse", badBody},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DiagCapture capture;
        EXPECT_FALSE(decode(row.frame));
        EXPECT_EQ(capture.text, "Erreur decodage message\n");
    }
}

TEST(CodecFrame, SizeCheckBounds) {
    struct Row {
        uint32_t size;
        bool ok;
        const char* diagnostic;
    };
    const Row rows[] = {
        {5, false, "On a lSize<TSHEADERSIZE\n"},
        {6, true, ""},
        {3'000'000, true, ""},
        {3'000'001, false, "On a lSize>MAXMESSAGESIZE\n"},
        {0xFFFFFF, false, "On a lSize>MAXMESSAGESIZE\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        DiagCapture capture;
        Bytes head{uint8_t(row.size >> 16), uint8_t(row.size >> 8), uint8_t(row.size)};
        EXPECT_EQ(checkFrameSize(head), row.ok);
        EXPECT_EQ(capture.text, row.diagnostic);
    }
    EXPECT_TRUE(checkFrameSize(bytes({0xFF, 0xFF})));  // nothing known yet
}

TEST(CodecNames, TablesAndFallbacks) {
    EXPECT_EQ(messageTypeName(UPDATEADVERTISMEMENTS), "UPDATEADVERTISMEMENTS");
    EXPECT_EQ(messageTypeName(ROUTEURLIST), "ROUTEURLIST");
    EXPECT_EQ(messageTypeName(3), "3");
    EXPECT_EQ(moduleName(kModuleGame), "G");
    EXPECT_EQ(moduleName(8), "?");
    EXPECT_EQ(rawKindName(SENDTOALLPLAYERS), "SENDTOALLPLAYERS");
    EXPECT_EQ(rawKindName(9), "9");
    EXPECT_EQ(gameEventName(EVENT_OWNID), "EVENT_OWNID");
    EXPECT_EQ(gameEventName(1), "1");
}

// The type list is the one source of codes and names: a code or a name given
// twice would make one of them unreachable by name or by number.
TEST(MessageTypes, EachCodeAndNameOnce) {
    std::set<std::string> names;
    for (size_t i = 0; i < std::size(kMessageTypes); ++i) {
        SCOPED_TRACE(kMessageTypes[i].name);
        if (i > 0) {
            EXPECT_LT(kMessageTypes[i - 1].code, kMessageTypes[i].code);
        }
        EXPECT_TRUE(names.insert(kMessageTypes[i].name).second);
        EXPECT_EQ(messageTypeName(kMessageTypes[i].code), kMessageTypes[i].name);
    }
    EXPECT_EQ(findMessageType(CHATLIST)->direction, Direction::Both);
    EXPECT_EQ(findMessageType(kSessionInfoAnswer), nullptr);
    EXPECT_EQ(answerCodeOf(GETSESSIONINFO), kSessionInfoAnswer);
    EXPECT_EQ(answerCodeOf(CREATESESSION), CREATESESSION);
}

TEST(MessageFields, WrittenByPositionEachOnce) {
    using F = SessionNewBody;
    auto complete = [] {
        BodyWriter<F> writer;
        writer.integer<int32_t>(F::State, 8).text(F::Game, "POKER").text(F::Master, "Ann");
        writer.integer<int32_t>(F::MaxSpectators, 2).integer<int32_t>(F::MaxPlayers, 4).text(F::Name, "Table");
        return writer;
    };
    ValueList expected;
    expected.appendText("Table");
    expected.appendInteger<int32_t>(4);
    expected.appendInteger<int32_t>(2);
    expected.appendText("Ann");
    expected.appendInteger<int32_t>(8);
    expected.appendText("POKER");
    EXPECT_EQ(complete().take(), expected);
    BodyWriter<F> missing;
    missing.text(F::Name, "Table");
    EXPECT_THROW(missing.take(), std::logic_error);
    EXPECT_THROW(complete().text(F::Name, "again"), std::logic_error);
}

TEST(CodecDump, CompactAndTreeForms) {
    ServiceMessage m;
    m.type = LOGIN;
    m.source = kModulePlayer;
    m.destination = kModuleRouter;
    m.body.appendText("bob");
    m.body.appendInteger<int16_t>(-3);
    m.body.appendBinary("12345", 5);
    EXPECT_EQ(formatMessage(m), "[P->R]  LOGIN:   [\"bob\"  b-3 ... 5 ...]\n");

    RawMessage raw;
    raw.kind = SENDTOALLPLAYERS;
    raw.sender = 3;
    raw.payload = bytes({243, 1});
    EXPECT_EQ(formatMessage(raw), "SENDTOALLPLAYERS:EVENT_NEWPLAYER:     Sender=3  Message=243-1-\n");

    ValueList tree;
    tree.appendText("x");
    ValueList inner;
    inner.appendBinary("\x01\xAB", 2);
    tree.appendList(inner);
    EXPECT_EQ(formatBodyTree(tree), "[\n  String->{x}\n  [\n    Binary->{01 AB }\n  ]\n]\n");
}

}  // namespace
}  // namespace tessary::protocol
