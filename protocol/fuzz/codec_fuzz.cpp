// Fuzzes everything that reads bytes from the network: the size check and
// frame cutting over a stream, frame decoding, and body parsing. Besides
// "no crash", it checks properties that must hold for any input.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_support.h"
#include "platform/diag.h"
#include "protocol/codec.h"
#include "protocol/frame_cutter.h"

namespace tessary::protocol {
namespace {

// Cuts the stream in one piece and in two, and takes every message out.
// Where the stream is cut into reads must not change what comes out.
void cutStream(std::span<const uint8_t> input) {
    std::vector<Message> whole;
    ByteFifo fifo;
    ReceiveQueue queue;
    fifo.append(input);
    const CutResult result = cutFrames(fifo, queue);
    while (!queue.empty()) whole.push_back(toMessage(std::move(queue.takeFront().frame)));

    ByteFifo split;
    ReceiveQueue splitQueue;
    split.append(input.first(input.size() / 2));
    CutResult splitResult = cutFrames(split, splitQueue);
    if (splitResult == CutResult::Ok) {
        split.append(input.subspan(input.size() / 2));
        splitResult = cutFrames(split, splitQueue);
    }
    require(splitResult == result);
    if (result == CutResult::Ok) {
        require(split.size() == fifo.size());
        size_t i = 0;
        while (!splitQueue.empty())
            require(toMessage(std::move(splitQueue.takeFront().frame)) == whole.at(i++));
        require(i == whole.size());
    }
}

// The input as a body: parsing and encoding are exact inverses.
void parseAsBody(std::span<const uint8_t> input) {
    const std::optional<ValueList> body = parseBody(input);
    if (!body) return;
    Bytes encoded;
    encodeBody(*body, encoded);
    require(std::equal(encoded.begin(), encoded.end(), input.begin(), input.end()));
}

// The input behind a header that announces its size: decode agrees with the
// two-step check, and what decodes encodes back to the same frame (but for
// the priority bits, which are never sent).
void decodeAsFrame(std::span<const uint8_t> input) {
    if (input.size() < 3) return;
    const size_t size = kHeaderSize + input.size() - 3;
    if (size > kMaxMessageSize) return;
    Bytes frame = {uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)};
    frame.insert(frame.end(), input.begin(), input.end());
    frame.resize(size);
    const std::optional<Message> decoded = decode(frame);
    std::optional<CheckedFrame> checked = checkFrame(frame);
    require(decoded.has_value() == checked.has_value());
    if (!decoded) return;
    require(toMessage(std::move(*checked)) == *decoded);
    Bytes expected = frame;
    expected[3] &= 0xE0;
    require(encode(*decoded) == expected);
}

// Whatever the input did, the parser's per-thread scratch is empty again and
// holds no more than one ordinary body's worth: nothing grows input by input.
void scratchIsBack() {
    const ParserScratch scratch = parserScratch();
    require(scratch.values == 0 && scratch.openLists == 0);
    require(scratch.bytesHeld <= 4096 * (sizeof(Value) + sizeof(size_t)));
}

void scrambleRoundTrip(std::span<const uint8_t> input) {
    Bytes body(input.begin(), input.end());
    scrambleBody(body.data(), body.size());
    unscrambleBody(body.data(), body.size());
    require(std::equal(body.begin(), body.end(), input.begin(), input.end()));
}

}  // namespace
}  // namespace tessary::protocol

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessary;
    static const bool quiet = (platform::setDiagSink([](std::string_view) {}), true);
    (void)quiet;
    const std::span<const uint8_t> input(data, size);
    protocol::cutStream(input);
    protocol::parseAsBody(input);
    protocol::decodeAsFrame(input);
    protocol::scrambleRoundTrip(input);
    protocol::scratchIsBack();
    return 0;
}
