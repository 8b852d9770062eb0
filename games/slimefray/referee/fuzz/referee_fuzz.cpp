// Feeds the referee arbitrary requests from three players after a normal start:
// it must never crash, and a refused request must send nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "slimefray/referee.h"

using namespace tessary::slimefray;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Referee referee(RefereeSettings{});
    int64_t now = 0;
    for (uint16_t id = 1; id <= 3; ++id) (void)referee.playerJoined(id, "p", now);
    (void)referee.receive(1, kGameDescription, GameDescription{8, "x", 3, 1, 30, 2}.encode(), now);
    (void)referee.receive(1, kMap, Bytes(64, 0), now);
    size_t at = 0;
    while (at + 3 <= size) {
        uint16_t id = uint16_t(data[at] % 5);
        uint8_t type = data[at + 1];
        size_t length = data[at + 2];
        at += 3;
        if (length > size - at) length = size - at;
        std::span<const uint8_t> body(data + at, length);
        at += length;
        now += 700;
        Outcome outcome = referee.receive(id, type, body, now);
        if (!outcome.accepted() && !outcome.messages.empty()) std::abort();
        (void)referee.tick(now);
        if (type == 0xEE) (void)referee.playerLeft(id, now);
    }
    return 0;
}
