#include "protocol/frame_cutter.h"

#include <algorithm>

#include "platform/diag.h"

namespace tessary::protocol {

using platform::diag;

CutResult cutFrames(ByteFifo& received, ReceiveQueue& queue) {
    while (received.size() >= kHeaderSize) {
        const auto head = received.bytes().first(std::min(received.size(), kRawHeaderSize));
        if (!checkFrameSize(head)) {
            diag("Le message est incorrect\n");
            return CutResult::BadSize;
        }
        const size_t size = announcedSize(head.data());
        if (received.size() < size) break;

        // Decoded where it lies, then dropped from the FIFO: no copy of the frame.
        std::optional<Message> message = decode(received.bytes().first(size));
        if (!received.consume(size)) {
            diag("Erreur: impossible de lire la fifo\n");
            return CutResult::Unreadable;
        }
        if (!message) {
            diag("Erreur decodage message\n");
            return CutResult::BadFrame;
        }
        const uint8_t flags = std::visit([](const auto& m) { return m.flags; }, *message);
        const Format format =
            std::holds_alternative<RawMessage>(*message) ? Format::Raw : Format::Structured;
        queue.insert({format, flags, 0, std::move(*message)});
    }
    return CutResult::Ok;
}

}  // namespace tessary::protocol
