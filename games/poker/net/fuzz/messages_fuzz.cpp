// Hostile players at the table: the local table receives any library events
// and game messages from any sender, with the local player's moves and clock
// ticks in between. Messages the table sends with echo come back as the
// server would return them, so a bad message can also drive the table's own
// answers. It never crashes, and what it shows stays bounded.
//
// Input: records of an operation byte, a sender byte, a size byte and the
// body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "poker/poker_game.h"

namespace {

using namespace tessary::poker;

struct Echo {
    uint8_t type;
    Payload payload;
};

// The service side: names for a few ids, echoes queued for delivery.
class Loopback : public PokerLink {
public:
    void sendToOthers(uint8_t, std::span<const uint8_t> payload) override { require(payload.size() < 4096); }
    void sendToAll(uint8_t type, std::span<const uint8_t> payload) override {
        require(payload.size() < 4096);
        if (echoes.size() < 64) echoes.push_back({type, Payload(payload.begin(), payload.end())});
    }
    void sendToOne(uint16_t, uint8_t, std::span<const uint8_t> payload) override { require(payload.size() < 4096); }
    void storeMoney(uint16_t, int32_t) override {}
    std::string playerName(uint16_t id) override { return id < 8 ? "player" + std::to_string(id) : std::string(); }
    std::deque<Echo> echoes;
    uint16_t ownId = 1;
};

struct Checks : TableObserver {
    // A player beyond the four seats has none (kNoSeat); the window skips it.
    void seatNote(int seat, const std::string& text) override {
        require(seat >= kNoSeat && seat < kSeatCount);
        require(text.size() <= 512);
    }
    void chatLine(int, const std::string& line) override { require(line.size() <= kMaxChatLength + 64); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Loopback link;
    Checks checks;
    int64_t nowMs = 0;
    PokerGame game(link, [&] { return nowMs / 1000; }, [&] { return nowMs; });
    game.setObserver(&checks);

    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t op = data[at];
        const uint16_t sender = data[at + 1] % 8;
        const size_t length = std::min<size_t>(data[at + 2], size - at - 3);
        const std::span<const uint8_t> body(data + at + 3, length);
        at += 3 + length;
        nowMs += 400;
        const uint32_t value = length >= 4 ? uint32_t(body[0] | body[1] << 8 | body[2] << 16 | uint32_t(body[3]) << 24)
                                           : uint32_t(length);
        switch (op % 10) {
            case 0: game.onOwnId(sender, uint16_t(value), uint16_t(value >> 16)); break;
            case 1: game.onNewPlayer(sender, std::string(body.begin(), body.end())); break;
            case 2: game.onPlayerLeft(sender); break;
            case 3: game.onPlayerInfos(sender, body); break;
            case 4:
                if (!body.empty()) game.onMessage(body[0], sender, body.subspan(1));
                break;
            case 5: game.ante(); game.call(); break;
            case 6: game.raise(int32_t(value)); break;
            case 7: game.fold(); game.draw(value); break;
            case 8: game.sendChat(std::string(body.begin(), body.end())); break;
            default: game.tick(); break;
        }
        // The server returns what was sent with echo.
        for (int n = 0; n < 16 && !link.echoes.empty(); ++n) {
            Echo echo = std::move(link.echoes.front());
            link.echoes.pop_front();
            game.onMessage(echo.type, game.table().localId(), echo.payload);
        }
        require(game.raiseChoices().size() <= 64);
        require(game.secondsLeft() >= -1 && game.secondsLeft() <= 3600);
    }
    return 0;
}
