#include "dispatch.h"

#include <cstring>
#include <span>
#include <string>

#include "library_messages.h"

namespace tessary::gamelib {

namespace {

using Payload = std::span<const uint8_t>;

// A name field that may fill all 16 bytes without a terminator.
std::string nameFromField(Payload field) {
    const auto* chars = reinterpret_cast<const char*>(field.data());
    return std::string(chars, strnlen(chars, field.size()));
}

DispatchResult newMaster(GameState& state, Payload rest) {
    if (rest.size() != kPlayerIdSize) return DispatchResult::WrongSize;
    if (auto callback = state.events.newMaster) callback(readLe16(rest.data()));
    return DispatchResult::Handled;
}

DispatchResult playerLeft(GameState& state, Payload rest) {
    if (rest.size() != kPlayerIdSize) return DispatchResult::WrongSize;
    const uint16_t id = readLe16(rest.data());
    // Without a callback the game never learns of the departure, so the
    // player stays where the game can still find it.
    if (auto callback = state.events.playerLeft) {
        callback(id);
        state.players.remove(id);
    }
    return DispatchResult::Handled;
}

DispatchResult newPlayer(GameState& state, Payload rest) {
    if (rest.size() != kNewPlayerSize) return DispatchResult::WrongSize;
    const uint16_t id = readLe16(rest.data());
    const std::string name = nameFromField(rest.subspan(kPlayerIdSize));
    state.players.announce(id, name);
    if (auto callback = state.events.newPlayer; callback && id != 0) callback(id, name.c_str());
    return DispatchResult::Handled;
}

DispatchResult playerInfos(GameState& state, Payload rest) {
    if (rest.size() < kPlayerIdSize) return DispatchResult::WrongSize;
    if (auto callback = state.events.playerInfos) {
        const Payload info = rest.subspan(kPlayerIdSize);
        callback(readLe16(rest.data()), info.empty() ? nullptr : info.data(), int32_t(info.size()));
    }
    return DispatchResult::Handled;
}

DispatchResult ownId(GameState& state, Payload rest) {
    if (rest.size() != kOwnIdSize) return DispatchResult::WrongSize;
    state.ownId = readLe16(rest.data());
    state.players.announce(state.ownId, state.ownName);
    if (auto callback = state.events.myId)
        callback(state.ownId, readLe16(rest.data() + 2), readLe16(rest.data() + 4));
    return DispatchResult::Handled;
}

DispatchResult personal(GameState& state, uint8_t type, uint16_t sender, Payload rest) {
    auto callback = state.personal.find(type);
    if (!callback) return DispatchResult::Dropped;
    callback(sender, rest.data(), int32_t(rest.size()));
    return DispatchResult::Handled;
}

}  // namespace

DispatchResult dispatchMessage(GameState& state, const protocol::RawMessage& message, LocalMs now) {
    if (message.payload.empty()) return DispatchResult::Dropped;
    const uint8_t type = message.payload[0];
    const Payload rest = Payload(message.payload).subspan(1);
    switch (type) {
        case kProbe:
            state.probe.stop();
            return DispatchResult::Handled;
        case kServerTime:
            return state.serverClock.takeAnswer(rest, now) ? DispatchResult::Handled : DispatchResult::WrongSize;
        case kNewMaster: return newMaster(state, rest);
        case kPlayerLeft: return playerLeft(state, rest);
        case kNewPlayer: return newPlayer(state, rest);
        case kPlayerInfos: return playerInfos(state, rest);
        case kOwnId: return ownId(state, rest);
        default: return personal(state, type, message.sender, rest);
    }
}

}  // namespace tessary::gamelib
