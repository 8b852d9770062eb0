// Hands each poll result to the controller that registered for its type.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "lobby/busy_count.h"

namespace tessary::lobby {

class Dispatcher {
public:
    using Handler = std::function<void()>;

    explicit Dispatcher(BusyCount& busy) : busy_(busy) {}

    // One handler per type: a type claimed twice is a programming error.
    void on(int32_t type, Handler handler);
    bool handles(int32_t type) const { return handlers_.contains(type); }

    // Releases the busy wait of a request this answers, then runs the
    // type's handler. A type no controller claimed is dropped unread: the
    // next poll replaces the message.
    void dispatch(int32_t type);

private:
    BusyCount& busy_;
    std::map<int32_t, Handler> handlers_;
};

}  // namespace tessary::lobby
