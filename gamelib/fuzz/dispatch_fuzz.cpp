// A hostile game server or peer: received stream messages and datagrams go
// through the library's dispatch with every callback fixed. The callbacks
// check what the game is promised (names within their field, sizes that
// match the data) and read the player table back as a game would.
//
// Input: the first byte chooses the form of the rest. Odd: the received
// stream as it is, cut into frames. Even: records of a flag byte, a 16-bit
// big-endian size and the bytes; flag bit 0 set means a datagram as it
// arrives, clear a raw payload (type byte first) with the relay kind and
// sender taken from the flag.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "library_messages.h"
#include "dispatch.h"
#include "fuzz_support.h"
#include "game_state.h"
#include "platform/diag.h"
#include "protocol/frame_cutter.h"

namespace {

using namespace tessary;
using namespace tessary::gamelib;

GameState* current = nullptr;

void checkName(const char* name) {
    require(name != nullptr);
    require(::strnlen(name, 64) <= 16);
}

// What a game does with a player it hears of: its name into a small buffer.
void lookUp(uint16_t id) {
    char buffer[20];
    std::memset(buffer, 0x5A, sizeof buffer);
    (void)current->players.copyName(id, buffer, 17);
    for (size_t i = 17; i < sizeof buffer; ++i) require(buffer[i] == 0x5A);
}

void onMyId(uint16_t id, uint16_t, uint16_t) { lookUp(id); }
void onNewPlayer(uint16_t id, const char* name) {
    checkName(name);
    lookUp(id);
}
void onPlayerLeft(uint16_t id) { lookUp(id); }
void onNewMaster(uint16_t id) { lookUp(id); }
void checkData(const void* data, int32_t size) {
    require(size >= 0);
    require(size == 0 || data != nullptr);
    if (size > 0) {
        volatile uint8_t sum = 0;
        for (int32_t i = 0; i < size; ++i) sum += static_cast<const uint8_t*>(data)[i];
    }
}
void onPlayerInfos(uint16_t id, const void* data, int32_t size) {
    checkData(data, size);
    lookUp(id);
}
void onPersonal(uint16_t sender, const void* data, int32_t size) {
    checkData(data, size);
    lookUp(sender);
}

void dispatch(GameState& state, const protocol::RawMessage& message, LocalMs now) {
    (void)dispatchMessage(state, message, now);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (platform::setDiagSink([](std::string_view) {}), true);
    (void)quiet;
    if (size == 0) return 0;
    GameState state;
    current = &state;
    state.events.myId = onMyId;
    state.events.newPlayer = onNewPlayer;
    state.events.playerLeft = onPlayerLeft;
    state.events.newMaster = onNewMaster;
    state.events.playerInfos = onPlayerInfos;
    for (int32_t type : {0, 1, 7, 100, 200}) (void)state.personal.fix(onPersonal, type);
    state.probe.start(0);
    LocalMs now = 1000;

    if (data[0] & 1) {
        protocol::ByteFifo fifo;
        protocol::ReceiveQueue queue;
        fifo.append(std::span<const uint8_t>(data + 1, size - 1));
        (void)protocol::cutFrames(fifo, queue);
        while (!queue.empty()) {
            protocol::Message message = protocol::toMessage(std::move(queue.takeFront().frame));
            if (auto* raw = std::get_if<protocol::RawMessage>(&message)) dispatch(state, *raw, now += 50);
        }
        return 0;
    }
    forEachRecord({data + 1, size - 1}, [&](uint8_t flag, std::span<const uint8_t> bytes) {
        now += 50;
        if (flag & 1) {
            if (bytes.size() > kMaxDatagramSize) return;
            if (auto datagram = decodeDatagram(bytes)) dispatch(state, datagram->message, now);
        } else {
            protocol::RawMessage message;
            message.kind = uint8_t((flag >> 1) % 5 + 1);
            message.sender = uint16_t(flag >> 4);
            message.payload.assign(bytes.begin(), bytes.end());
            dispatch(state, message, now);
        }
    });
    return 0;
}
