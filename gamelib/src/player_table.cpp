#include "player_table.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "TSGame.h"

namespace tessary::gamelib {

void PlayerTable::announce(uint16_t id, std::string name) {
    auto same = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.name == name; });
    if (same != players_.end()) {
        same->id = id;
        return;
    }
    players_.push_back(Player{id, std::move(name), {}});
}

bool PlayerTable::remove(uint16_t id) {
    auto it = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id == id; });
    if (it == players_.end()) return false;
    players_.erase(it);
    return true;
}

const Player* PlayerTable::find(uint16_t id) const {
    auto it = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.id == id; });
    return it == players_.end() ? nullptr : &*it;
}

Player* PlayerTable::findMutable(uint16_t id) { return const_cast<Player*>(std::as_const(*this).find(id)); }

const Player* PlayerTable::findByName(std::string_view name) const {
    auto it = std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.name == name; });
    return it == players_.end() ? nullptr : &*it;
}

int32_t PlayerTable::copyName(uint16_t id, char* buffer, int32_t size) const {
    const Player* player = find(id);
    if (!player) return TS_ERROR_PLAYER;
    if (!buffer || size <= 0 || size_t(size) <= player->name.size()) return TS_ERROR_BUFFER_TOO_SMALL;
    std::memcpy(buffer, player->name.c_str(), player->name.size() + 1);
    return TS_SUCCESS;
}

int32_t PlayerTable::readData(uint16_t id, uint16_t key, void* buffer, int32_t* size) const {
    const Player* player = find(id);
    if (!player) return TS_ERROR_PLAYER;
    if (!size) return TS_ERROR_BUFFER_TOO_SMALL;
    auto item = std::find_if(player->items.begin(), player->items.end(), [&](const DataItem& i) { return i.key == key; });
    if (item == player->items.end()) {
        *size = 0;
        return TS_ERROR_NO_DATA_KEY;
    }
    const size_t capacity = buffer && *size > 0 ? size_t(*size) : 0;
    if (capacity < item->bytes.size()) return TS_ERROR_BUFFER_TOO_SMALL;
    if (!item->bytes.empty()) std::memcpy(buffer, item->bytes.data(), item->bytes.size());
    *size = int32_t(item->bytes.size());
    return TS_SUCCESS;
}

int32_t PlayerTable::updateData(uint16_t id, uint16_t key, const void* data, int32_t size) {
    Player* player = findMutable(id);
    if (!player) return TS_ERROR_PLAYER;
    protocol::Bytes bytes;
    if (data && size > 0) {
        const auto* first = static_cast<const uint8_t*>(data);
        bytes.assign(first, first + size);
    }
    auto item = std::find_if(player->items.begin(), player->items.end(), [&](const DataItem& i) { return i.key == key; });
    if (item != player->items.end())
        item->bytes = std::move(bytes);
    else
        player->items.push_back(DataItem{key, std::move(bytes)});
    return TS_SUCCESS;
}

int32_t PlayerTable::deleteData(uint16_t id, uint16_t key) {
    Player* player = findMutable(id);
    if (!player) return TS_ERROR_PLAYER;
    auto item = std::find_if(player->items.begin(), player->items.end(), [&](const DataItem& i) { return i.key == key; });
    if (item == player->items.end()) return TS_ERROR_NO_DATA_KEY;
    player->items.erase(item);
    return TS_SUCCESS;
}

}  // namespace tessary::gamelib
