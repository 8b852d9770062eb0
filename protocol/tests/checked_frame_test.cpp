#include <gtest/gtest.h>

#include "protocol/codec.h"
#include "test_support.h"

namespace tessary::protocol {
namespace {

using testing::CapturedDiag;

// checkFrame() then toMessage() must agree with decode() on every frame:
// the receive queue relies on it.
TEST(CheckedFrame, AgreesWithDecode) {
    ValueList nested;
    nested.appendText("inner");
    nested.appendList(ValueList{});
    ValueList body;
    body.appendText("outer");
    body.appendInteger<uint32_t>(0xDEADBEEF);
    body.appendList(nested);
    ServiceMessage structured;
    structured.type = SESSIONLIST;
    structured.flags = kReplaceFlag;
    structured.source = kModuleArena;
    structured.destination = kModulePlayer;
    structured.body = body;
    RawMessage raw{.kind = SENDTOPLAYER, .flags = 0, .sender = 0x0102, .payload = {EVENT_OWNID, 7}};

    Bytes prioritised = encode(structured);
    prioritised[3] |= 0x07;
    const std::vector<std::pair<const char*, Bytes>> frames = {
        {"structured", encode(structured)},
        {"with priority", prioritised},
        {"empty body", encode(ServiceMessage{})},
        {"raw", encode(raw)},
        {"raw without payload", encode(RawMessage{})},
        {"body that does not parse", {0, 0, 7, 0, 1, 0x41, 0x5D ^ 0x89}},
        {"unclosed list", {0, 0, 7, 0, 1, 0x41, 0x5B ^ 0x89}},
        {"format 3", {0, 0, 6, 0xC0, 1, 0x41}},
        {"raw shorter than its header", {0, 0, 6, 0x40, 1, 0x41}},
        {"size field disagrees", {0, 0, 9, 0, 1, 0x41}},
    };
    for (const auto& [name, frame] : frames) {
        SCOPED_TRACE(name);
        CapturedDiag decodeDiag;
        const std::optional<Message> decoded = decode(frame);
        const std::string decodeText = decodeDiag.text;
        decodeDiag.text.clear();
        std::optional<CheckedFrame> checked = checkFrame(frame);
        EXPECT_EQ(decodeDiag.text, decodeText);
        ASSERT_EQ(checked.has_value(), decoded.has_value());
        if (checked) {
            EXPECT_EQ(toMessage(std::move(*checked)), *decoded);
        }
    }
}

}  // namespace
}  // namespace tessary::protocol
