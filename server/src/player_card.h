// The player information card (PLAYERINFO and the answer to GETPLAYERINFO)
// and the photo value, built the same way by the Router and the Arenas.
#pragma once

#include <optional>
#include <string>

#include "protocol/codec.h"
#include "server/storage.h"

namespace tessary::server {

// Six texts, gender byte, photo number, then one [game, statistics] entry
// per game the player has played.
inline protocol::ValueList playerCard(const AccountProfile& p, const std::vector<GameStat>& stats) {
    protocol::ValueList card;
    for (const std::string* text : {&p.name, &p.field1004, &p.field1003, &p.country, &p.field1005, &p.description})
        card.appendText(*text);
    card.appendInteger<uint8_t>(p.gender);
    card.appendInteger<int32_t>(p.photoNumber);
    protocol::ValueList games;
    for (const GameStat& stat : stats) {
        protocol::ValueList entry;
        entry.appendText(stat.game);
        entry.appendText("played " + std::to_string(stat.played) + ", won " + std::to_string(stat.won));
        games.appendList(std::move(entry));
    }
    card.appendList(std::move(games));
    return card;
}

// The photo as the lobby reads it: fewer than 5 bytes is a stock picture
// number, otherwise the picture file itself. Nothing for an own photo that
// was never uploaded.
inline std::optional<protocol::Bytes> photoValue(const Account& account, Storage& storage) {
    if (account.profile.photoNumber > 0) {
        const int32_t number = account.profile.photoNumber;
        protocol::Bytes bytes(4);
        for (int i = 0; i < 4; ++i) bytes[size_t(i)] = uint8_t(uint32_t(number) >> (8 * i));
        return bytes;
    }
    if (!account.hasPhoto) return std::nullopt;
    auto picture = storage.photo(account.profile.name);
    if (!picture || picture->size() < 5) return std::nullopt;
    return picture;
}

}  // namespace tessary::server
