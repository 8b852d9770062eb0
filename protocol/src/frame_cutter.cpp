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

        // Checked where it lies, then dropped from the FIFO: no copy of the frame.
        std::optional<CheckedFrame> checked = checkFrame(received.bytes().first(size));
        if (!received.consume(size)) {
            diag("Erreur: impossible de lire la fifo\n");
            return CutResult::Unreadable;
        }
        if (!checked) {
            diag("Erreur decodage message\n");
            return CutResult::BadFrame;
        }
        queue.insert({checked->format, checked->flags, 0, std::move(*checked)});
    }
    return CutResult::Ok;
}

}  // namespace tessary::protocol
