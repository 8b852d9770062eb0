// Cutting a received byte stream into frames.
#pragma once

#include "protocol/byte_fifo.h"
#include "protocol/message_queue.h"

namespace tessary::protocol {

enum class CutResult {
    Ok,          // every whole frame was cut; a partial one may wait for more bytes
    BadSize,     // the next frame announces an impossible size; it stays in the FIFO
    Unreadable,  // the frame could not be taken from the FIFO
    BadFrame,    // the frame was taken but would not decode
};

// Takes every whole frame from the front of `received`, checks it (as decode()
// would) and inserts it into `queue`, stopping at the first failure, which it
// reports on the diagnostics stream.
[[nodiscard]] CutResult cutFrames(ByteFifo& received, ReceiveQueue& queue);

}  // namespace tessary::protocol
