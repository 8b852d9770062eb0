// The generic answer to a request: TSSUCCESS or TSFAIL, whose first value is
// the one-byte code of the request answered.
#pragma once

#include <cstdint>

#include "current_message.h"

namespace tessary::clientlib {

struct Answer {
    enum Outcome { NotRead, Success, Failure } outcome = NotRead;
    // Success: the answer's data list (null when the answer carries none).
    const protocol::ValueList* data = nullptr;
};

// Writes the current message's type into `result` (one byte) and checks the
// request code. On a TSFAIL copies the failure text into `error`; a TSFAIL
// without one is not read.
Answer readAnswer(const CurrentMessage& current, uint8_t request, char* result, char* error);

}  // namespace tessary::clientlib
