#include "slimefray/library_link.h"

#include <array>
#include <utility>

namespace tessary::slimefray {
namespace {

constexpr int32_t kSendMode = 1;  // the ordered stream
constexpr size_t kTextBuffer = 1024;  // the library writes at most 80 bytes here
constexpr int kMaxGameType = 200;

LinkListener* listening = nullptr;

void onOwnId(uint16_t id, uint16_t first, uint16_t second) {
    if (listening) listening->ownId(id, first, second);
}
void onNewPlayer(uint16_t id, const char* name) {
    if (listening) listening->newPlayer(id, name ? name : "");
}
void onPlayerLeft(uint16_t id) {
    if (listening) listening->playerLeft(id);
}
void onNewMaster(uint16_t id) {
    if (listening) listening->newMaster(id);
}
void onDisconnection() {
    if (listening) listening->disconnected();
}

// The personal callback carries no type, so each type gets its own function.
template <uint8_t Type>
void onMessage(uint16_t sender, const void* data, int32_t length) {
    if (!listening) return;
    if (!data || length < 0) length = 0;
    listening->message(sender, Type, {static_cast<const uint8_t*>(data), size_t(length)});
}

template <size_t... Types>
constexpr std::array<tsgame::PersonalCallback, sizeof...(Types)> messageHandlers(std::index_sequence<Types...>) {
    return {&onMessage<uint8_t(Types)>...};
}

constexpr auto kHandlers = messageHandlers(std::make_index_sequence<kMaxGameType + 1>());

}  // namespace

LibraryLink::~LibraryLink() { listening = nullptr; }

int32_t LibraryLink::initialise(const std::string& gameName, int32_t window) {
    return e_.TS_Initialisation(gameName.c_str(), window);
}

void LibraryLink::listen(LinkListener& listener, const std::vector<uint8_t>& types) {
    listening = &listener;
    e_.TS_FixMyIdCallback(&onOwnId);
    e_.TS_FixNewPlayerCallback(&onNewPlayer);
    e_.TS_FixPlayerLeftCallback(&onPlayerLeft);
    e_.TS_FixNewMasterCallback(&onNewMaster);
    e_.TS_FixDisconnectionCallback(&onDisconnection);
    for (uint8_t type : types) {
        if (type <= kMaxGameType) e_.TS_FixPersonalCallback(kHandlers[type], type);
    }
}

int32_t LibraryLink::isGameAllowed(std::string& name, std::string& extra) {
    std::array<char, kTextBuffer> nameBuffer{}, extraBuffer{};
    int32_t result = e_.TS_IsGameAllowed(nameBuffer.data(), extraBuffer.data());
    nameBuffer.back() = extraBuffer.back() = '\0';
    name = nameBuffer.data();
    extra = extraBuffer.data();
    return result;
}

std::string LibraryLink::playerName(uint16_t id) {
    char buffer[80] = {};
    if (e_.TS_GetPlayerName(id, buffer, sizeof buffer) != tsgame::kSuccess) return {};
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

int32_t LibraryLink::sendToServer(uint8_t type, std::span<const uint8_t> body) {
    return e_.TS_SendMessageToServer(type, kSendMode, body.data(), int32_t(body.size()));
}

int32_t LibraryLink::sendToAllWithEcho(uint8_t type, std::span<const uint8_t> body) {
    return e_.TS_SendMessageToAllPlayersWithEcho(type, kSendMode, body.data(), int32_t(body.size()));
}

}  // namespace tessary::slimefray
