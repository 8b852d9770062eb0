// The table's game messages (types 1 to 8) and their payloads. Every decoder
// checks the payload's length and values before anything is read, so a
// malformed message from a peer is dropped instead of trusted.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "poker/card.h"

namespace tessary::poker {

using Payload = std::vector<uint8_t>;

enum MessageType : uint8_t {
    kChatMessage = 1,      // text and terminator, with echo
    kActionMessage = 2,    // action code, value
    kCardsMessage = 3,     // five card codes, to the others
    kTurnMessage = 4,      // player id, with echo
    kNewHandMessage = 5,   // no payload, to the others
    kShowdownMessage = 7,  // no payload, with echo
    // Player id (as type 4), to one newcomer: who held the turn when he came.
    // Programs that do not know it ignore it.
    kTurnHolderMessage = 8,
};

enum class ActionCode : int32_t {
    Ante = 0,       // value: money after the ante; with echo
    Call = 2,       // value: money after the call; with echo
    Raise = 3,      // value: money after the raise; with echo
    Fold = 4,       // with echo
    SitOut = 5,     // to the others
    DrawBegins = 6, // with echo
    Money = 7,      // value: the sender's money; to the others
};

struct Action {
    ActionCode code;
    int32_t value = 0;
};

inline constexpr size_t kActionSize = 8;
inline constexpr size_t kCardsSize = 20;
inline constexpr size_t kTurnSize = 4;
inline constexpr size_t kMaxChatLength = 249;
inline constexpr size_t kBankrollSize = 4;

Payload encodeAction(Action action);
// Exactly 8 bytes with a known code (0, 2 to 7); anything else is nullopt.
[[nodiscard]] std::optional<Action> decodeAction(std::span<const uint8_t> payload);

Payload encodeCards(const Hand& hand);
// Exactly 20 bytes of five codes 0 to 51.
[[nodiscard]] std::optional<Hand> decodeCards(std::span<const uint8_t> payload);

// Types 4 and 8.
Payload encodeTurn(uint16_t playerId);
// Exactly 4 bytes; the low 16 bits are the player id.
[[nodiscard]] std::optional<uint16_t> decodeTurn(std::span<const uint8_t> payload);

// The text cut to 249 characters, then its terminator.
Payload encodeChat(std::string_view text);
// The text up to its terminator, or the whole payload without one, cut to 249
// characters; nullopt for an empty payload.
[[nodiscard]] std::optional<std::string> decodeChat(std::span<const uint8_t> payload);

Payload encodeBankroll(int32_t money);
// The stored bankroll is the first 4 bytes of the player's information.
[[nodiscard]] std::optional<int32_t> decodeBankroll(std::span<const uint8_t> info);

}  // namespace tessary::poker
