// The players known in the game, in the order they arrived, each with the
// data items the game attached to it. Local to the process: nothing here
// touches the network.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/codec.h"

namespace tessary::gamelib {

struct DataItem {
    uint16_t key = 0;
    protocol::Bytes bytes;  // possibly empty
};

struct Player {
    uint16_t id = 0;
    std::string name;
    std::vector<DataItem> items;
};

class PlayerTable {
public:
    // A player is (or already was) in the session: an entry with this exact
    // name only takes the new id, otherwise a new entry goes to the tail.
    void announce(uint16_t id, std::string name);
    // Removes the first entry with this id and its items; false when none.
    bool remove(uint16_t id);
    void clear() { players_.clear(); }

    [[nodiscard]] const Player* find(uint16_t id) const;
    [[nodiscard]] const Player* findByName(std::string_view name) const;
    const std::vector<Player>& players() const { return players_; }

    // TS_GetPlayerName: the name and its NUL into `buffer` of `size` bytes.
    [[nodiscard]] int32_t copyName(uint16_t id, char* buffer, int32_t size) const;

    // TS_GetPlayerData: `*size` is the buffer's size in and the item's out.
    [[nodiscard]] int32_t readData(uint16_t id, uint16_t key, void* buffer, int32_t* size) const;
    // TS_UpdatePlayerData: creates or replaces the item (no bytes when `data`
    // is null or `size` below 1).
    [[nodiscard]] int32_t updateData(uint16_t id, uint16_t key, const void* data, int32_t size);
    // TS_DeletePlayerData.
    [[nodiscard]] int32_t deleteData(uint16_t id, uint16_t key);

private:
    Player* findMutable(uint16_t id);

    std::vector<Player> players_;
};

}  // namespace tessary::gamelib
