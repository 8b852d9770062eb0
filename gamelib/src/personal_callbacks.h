// The game's callbacks for its own message types: at most one per type.
#pragma once

#include <cstdint>
#include <vector>

#include "TSGame.h"

namespace tessary::gamelib {

class PersonalCallbacks {
public:
    // TS_FixPersonalCallback: only the low 8 bits of `type` count.
    [[nodiscard]] int32_t fix(TS_PersonalCallback callback, int32_t type);
    // TS_DeletePersonalCallback.
    [[nodiscard]] int32_t remove(int32_t type);
    // The callback of `type`, or null.
    [[nodiscard]] TS_PersonalCallback find(uint8_t type) const;

private:
    struct Entry {
        uint8_t type;
        TS_PersonalCallback callback;
    };
    std::vector<Entry> entries_;
};

}  // namespace tessary::gamelib
