#include "lobby/dispatcher.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace tessary::lobby {

void Dispatcher::on(int32_t type, Handler handler) {
    if (!handlers_.emplace(type, std::move(handler)).second) {
        throw std::logic_error("message type claimed twice: " + std::to_string(type));
    }
}

void Dispatcher::dispatch(int32_t type) {
    busy_.answered(type);
    const auto it = handlers_.find(type);
    if (it == handlers_.end()) return;  // unclaimed: dropped here and only here
    it->second();
}

}  // namespace tessary::lobby
