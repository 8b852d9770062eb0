#include "personal_callbacks.h"

#include <algorithm>

#include "library_messages.h"

namespace tessary::gamelib {

int32_t PersonalCallbacks::fix(TS_PersonalCallback callback, int32_t type) {
    if (!callback) return TS_ERROR_NO_CALLBACK;
    const auto low = uint8_t(type);
    if (low > kMaxGameType) return TS_ERROR_MESSAGE_TYPE;
    if (find(low)) return TS_ERROR_CALLBACK_EXISTS;
    entries_.push_back(Entry{low, callback});
    return TS_SUCCESS;
}

int32_t PersonalCallbacks::remove(int32_t type) {
    const auto low = uint8_t(type);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.type == low; });
    if (it == entries_.end()) return TS_ERROR_MESSAGE_TYPE;
    entries_.erase(it);
    return TS_SUCCESS;
}

TS_PersonalCallback PersonalCallbacks::find(uint8_t type) const {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.type == type; });
    return it == entries_.end() ? nullptr : it->callback;
}

}  // namespace tessary::gamelib
