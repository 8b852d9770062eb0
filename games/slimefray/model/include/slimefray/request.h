// A game message the program asks the network side to send.
#pragma once

#include <cstdint>

#include "slimefray/messages.h"

namespace tessary::slimefray {

struct Request {
    enum class To { Server, EveryoneWithEcho };
    To to = To::Server;
    uint8_t type = 0;
    Bytes body;
};

}  // namespace tessary::slimefray
