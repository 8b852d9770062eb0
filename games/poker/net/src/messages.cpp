#include "poker/messages.h"

#include <algorithm>

#include "protocol/little_endian.h"

namespace tessary::poker {
namespace {

void putInt32(Payload& out, int32_t v) { protocol::appendLe32(out, static_cast<uint32_t>(v)); }

int32_t getInt32(std::span<const uint8_t> in, size_t at) { return static_cast<int32_t>(protocol::readLe32(in, at)); }

bool isKnownActionCode(int32_t code) { return code == 0 || (code >= 2 && code <= 7); }

}  // namespace

Payload encodeAction(Action action) {
    Payload out;
    putInt32(out, static_cast<int32_t>(action.code));
    putInt32(out, action.value);
    return out;
}

std::optional<Action> decodeAction(std::span<const uint8_t> payload) {
    if (payload.size() != kActionSize) return std::nullopt;
    const int32_t code = getInt32(payload, 0);
    if (!isKnownActionCode(code)) return std::nullopt;
    return Action{static_cast<ActionCode>(code), getInt32(payload, 4)};
}

Payload encodeCards(const Hand& hand) {
    Payload out;
    for (Card c : hand) putInt32(out, c);
    return out;
}

std::optional<Hand> decodeCards(std::span<const uint8_t> payload) {
    if (payload.size() != kCardsSize) return std::nullopt;
    Hand hand{};
    for (size_t i = 0; i < hand.size(); ++i) {
        hand[i] = getInt32(payload, 4 * i);
        if (!isCard(hand[i])) return std::nullopt;
    }
    return hand;
}

Payload encodeTurn(uint16_t playerId) {
    Payload out;
    putInt32(out, playerId);
    return out;
}

std::optional<uint16_t> decodeTurn(std::span<const uint8_t> payload) {
    if (payload.size() != kTurnSize) return std::nullopt;
    return static_cast<uint16_t>(getInt32(payload, 0) & 0xFFFF);
}

Payload encodeChat(std::string_view text) {
    text = text.substr(0, std::min(text.find('\0'), kMaxChatLength));
    Payload out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::optional<std::string> decodeChat(std::span<const uint8_t> payload) {
    if (payload.empty()) return std::nullopt;
    const auto end = std::find(payload.begin(), payload.end(), uint8_t{0});
    const size_t length = std::min(static_cast<size_t>(end - payload.begin()), kMaxChatLength);
    return std::string(payload.begin(), payload.begin() + static_cast<ptrdiff_t>(length));
}

Payload encodeBankroll(int32_t money) {
    Payload out;
    putInt32(out, money);
    return out;
}

std::optional<int32_t> decodeBankroll(std::span<const uint8_t> info) {
    if (info.size() < kBankrollSize) return std::nullopt;
    return getInt32(info, 0);
}

}  // namespace tessary::poker
