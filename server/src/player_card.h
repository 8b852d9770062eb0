// The player information card (PLAYERINFO and the answer to GETPLAYERINFO)
// and the photo value, built the same way by the Router and the Arenas.
#pragma once

#include <optional>
#include <string>

#include "protocol/codec.h"
#include "protocol/message_fields.h"
#include "server/storage.h"

namespace tessary::server {

// Six texts, gender byte, photo number, then one [game, statistics] entry
// per game the player has played.
inline protocol::ValueList playerCard(const AccountProfile& p, const std::vector<GameStat>& stats) {
    using F = protocol::PlayerCard;
    protocol::BodyWriter<F> card;
    card.text(F::Name, p.name)
        .text(F::Email, p.field1004)
        .text(F::RealName, p.field1003)
        .text(F::Country, p.country)
        .text(F::HomePage, p.field1005)
        .text(F::Description, p.description)
        .integer<uint8_t>(F::Gender, p.gender)
        .integer<int32_t>(F::PhotoNumber, p.photoNumber);
    protocol::ValueList games;
    for (const GameStat& stat : stats) {
        protocol::ValueList entry;
        entry.appendText(stat.game);
        entry.appendText("played " + std::to_string(stat.played) + ", won " + std::to_string(stat.won));
        games.appendList(std::move(entry));
    }
    return card.list(F::Games, std::move(games)).take();
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
