#include "protocol/frame_cutter.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessary::protocol {
namespace {

using testing::CapturedDiag;
using testing::serviceMessage;

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Message takeMessage(ReceiveQueue& queue) {
    return toMessage(std::move(queue.takeFront().frame));
}

ServiceMessage chat(std::string_view text) {
    ValueList body;
    body.appendText(text);
    return serviceMessage(CHAT, kModuleArena, kModulePlayer, body);
}

TEST(FrameCutter, CutsEveryWholeFrameAndLeavesAPartialOne) {
    const Bytes first = encode(chat("one"));
    const Bytes second = encode(chat("two"));
    const Bytes third = encode(chat("three"));
    ByteFifo fifo;
    fifo.append(concat({first, second, Bytes(third.begin(), third.begin() + 8)}));
    ReceiveQueue queue;

    ASSERT_EQ(cutFrames(fifo, queue), CutResult::Ok);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(std::get<ServiceMessage>(takeMessage(queue)), chat("one"));
    EXPECT_EQ(std::get<ServiceMessage>(takeMessage(queue)), chat("two"));
    EXPECT_EQ(fifo.size(), 8u);

    fifo.append(Bytes(third.begin() + 8, third.end()));
    ASSERT_EQ(cutFrames(fifo, queue), CutResult::Ok);
    EXPECT_EQ(std::get<ServiceMessage>(takeMessage(queue)), chat("three"));
    EXPECT_TRUE(fifo.empty());
}

TEST(FrameCutter, SixBytesAnnouncingSixAreAMessageWithEmptyBody) {
    ByteFifo fifo;
    fifo.append(Bytes{0, 0, 6, 0, STILLALIVE, 0x41});
    ReceiveQueue queue;
    ASSERT_EQ(cutFrames(fifo, queue), CutResult::Ok);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(std::get<ServiceMessage>(takeMessage(queue)),
              serviceMessage(STILLALIVE, kModulePlayer, kModuleRouter));
}

TEST(FrameCutter, ReceivedFramesAreQueuedByTheirPriority) {
    ServiceMessage urgent = chat("urgent");
    ByteFifo fifo;
    Bytes late = encode(chat("late"));
    Bytes early = encode(urgent);
    late[3] = 7;  // senders may set a priority; the codec keeps it on decoding
    fifo.append(concat({late, early}));
    ReceiveQueue queue;
    ASSERT_EQ(cutFrames(fifo, queue), CutResult::Ok);
    EXPECT_EQ(std::get<ServiceMessage>(takeMessage(queue)).body, urgent.body);
}

TEST(FrameCutter, ReportsBadFramesWithTheirTexts) {
    struct Case {
        const char* name;
        Bytes stream;
        CutResult result;
        const char* diagnostics;
        size_t bytesLeft;
    };
    const Bytes good = encode(chat("fine"));
    const std::vector<Case> cases = {
        {"size below the header",
         {0, 0, 5, 0, 1, 0x41},
         CutResult::BadSize,
         "On a lSize<TSHEADERSIZE\nLe message est incorrect\n",
         6},
        {"size above the limit",
         {0x2D, 0xC6, 0xC1, 0, 1, 0x41},
         CutResult::BadSize,
         "On a lSize>MAXMESSAGESIZE\nLe message est incorrect\n",
         6},
        {"body that does not parse",
         {0, 0, 7, 0, 1, 0x41, 0x5D ^ 0x89},
         CutResult::BadFrame,
         "Erreur decodage message\nErreur decodage message\n",
         0},
        {"format 2",
         {0, 0, 6, 0x80, 1, 0x41},
         CutResult::BadFrame,
         "Erreur decodage message\nErreur decodage message\n",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteFifo fifo;
        fifo.append(concat({good, c.stream, good}));
        ReceiveQueue queue;
        CapturedDiag diag;
        EXPECT_EQ(cutFrames(fifo, queue), c.result);
        EXPECT_EQ(diag.text, c.diagnostics);
        EXPECT_EQ(queue.size(), 1u);  // the frame before the bad one was cut
        EXPECT_EQ(fifo.size(), c.bytesLeft + good.size());
    }
}

TEST(FrameCutter, ChecksTheSizeBeforeTheWholeFrameHasArrived) {
    ByteFifo fifo;
    fifo.append(Bytes{0xFF, 0xFF, 0xFF, 0, 1, 0x41});  // only the header so far
    ReceiveQueue queue;
    CapturedDiag diag;
    EXPECT_EQ(cutFrames(fifo, queue), CutResult::BadSize);
}

}  // namespace
}  // namespace tessary::protocol
