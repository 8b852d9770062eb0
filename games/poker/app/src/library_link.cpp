#include "library_link.h"

namespace tessary::poker {
namespace {

PokerGame* g_game = nullptr;  // the library calls back plain functions

std::span<const uint8_t> bytes(const void* data, int32_t count) {
    if (data == nullptr || count <= 0) return {};
    return {static_cast<const uint8_t*>(data), static_cast<size_t>(count)};
}

template <uint8_t Type>
void onPersonal(uint16_t sender, const void* payload, int32_t count) {
    if (g_game != nullptr) g_game->onMessage(Type, sender, bytes(payload, count));
}

void onMyId(uint16_t id, uint16_t first, uint16_t second) {
    if (g_game != nullptr) g_game->onOwnId(id, first, second);
}

void onNewPlayer(uint16_t id, const char* name) {
    if (g_game != nullptr) g_game->onNewPlayer(id, name != nullptr ? name : "");
}

void onPlayerLeft(uint16_t id) {
    if (g_game != nullptr) g_game->onPlayerLeft(id);
}

void onPlayerInfos(uint16_t id, const void* info, int32_t count) {
    if (g_game != nullptr) g_game->onPlayerInfos(id, bytes(info, count));
}

}  // namespace

void LibraryLink::sendToOthers(uint8_t type, std::span<const uint8_t> payload) {
    library_->TS_SendMessageToAllPlayers(type, kStreamMode, payload.data(), static_cast<int32_t>(payload.size()));
}

void LibraryLink::sendToAll(uint8_t type, std::span<const uint8_t> payload) {
    library_->TS_SendMessageToAllPlayersWithEcho(type, kStreamMode, payload.data(),
                                                 static_cast<int32_t>(payload.size()));
}

void LibraryLink::sendToOne(uint16_t playerId, uint8_t type, std::span<const uint8_t> payload) {
    library_->TS_SendMessageToOnePlayer(type, playerId, kStreamMode, payload.data(),
                                        static_cast<int32_t>(payload.size()));
}

void LibraryLink::storeMoney(uint16_t playerId, int32_t money) {
    const Payload stored = encodeBankroll(money);
    library_->TS_StorePlayerInfosInDatabase(playerId, stored.data(), static_cast<int32_t>(stored.size()));
}

std::string LibraryLink::playerName(uint16_t playerId) {
    char name[80] = {};
    if (library_->TS_GetPlayerName(playerId, name, sizeof name) != 1) return {};
    name[sizeof name - 1] = '\0';
    return name;
}

void disconnectCallbacks() { g_game = nullptr; }

void connectCallbacks(const GameLibrary& library, PokerGame& game) {
    g_game = &game;
    library->TS_FixMyIdCallback(&onMyId);
    library->TS_FixNewPlayerCallback(&onNewPlayer);
    library->TS_FixPlayerLeftCallback(&onPlayerLeft);
    library->TS_FixPlayerInfosCallback(&onPlayerInfos);
    library->TS_FixPersonalCallback(&onPersonal<kActionMessage>, kActionMessage);
    library->TS_FixPersonalCallback(&onPersonal<kTurnMessage>, kTurnMessage);
    library->TS_FixPersonalCallback(&onPersonal<kChatMessage>, kChatMessage);
    library->TS_FixPersonalCallback(&onPersonal<kCardsMessage>, kCardsMessage);
    library->TS_FixPersonalCallback(&onPersonal<kNewHandMessage>, kNewHandMessage);
    library->TS_FixPersonalCallback(&onPersonal<kShowdownMessage>, kShowdownMessage);
    library->TS_FixPersonalCallback(&onPersonal<kTurnHolderMessage>, kTurnHolderMessage);
}

}  // namespace tessary::poker
