#include "game_session.h"

#include <unistd.h>

#include <array>
#include <cstdlib>

#include "TSGame.h"
#include "dispatch.h"
#include "library_messages.h"
#include "outgoing.h"
#include "platform/diag.h"

namespace tessary::gamelib {

namespace {

constexpr int32_t kLowestServerPort = 1024;
// The datagram channel uses the next port, which must exist too.
constexpr int32_t kHighestServerPort = 65534;
// Datagrams dispatched per TS_Engine call at most: a flood must not hold the
// game's thread; what is left waits for the next call.
constexpr int kDatagramsPerEngine = 256;

protocol::ConnectionOptions gameConnectionOptions() {
    protocol::ConnectionOptions options;
    options.receiveTimeoutSeconds = 0;  // a silent game server never ends the link
    options.keepAliveSeconds = 30;
    options.keepAliveSource = protocol::kModulePlayer;
    options.keepAliveDestination = protocol::kModuleGame;
    return options;
}

}  // namespace

GameSession::GameSession(const platform::Clock& clock)
    : clock_(clock), connection_(gameConnectionOptions(), clock) {}

int32_t GameSession::connect(std::string_view address, int32_t port) {
    if (port < kLowestServerPort || port > kHighestServerPort) return TS_ERROR_PORT;
    const auto resolved = platform::resolveIpv4(address);
    if (!resolved) return TS_ERROR_ADDRESS;
    if (connected_) return TS_ERROR_ALREADY_CONNECTED;

    state_.players.clear();
    closeLink();
    if (!connection_.connect(*resolved, uint16_t(port))) return TS_ERROR_NOT_CONNECTED;
    if (datagrams_.bind(0) != 0) {
        platform::diag("Erreur bind udp\n");
        connection_.reset();
        return TS_ERROR_NOT_CONNECTED;
    }
    datagramTarget_ = {connection_.peerAddress().address, uint16_t(port + 1)};
    connected_ = true;
    const LocalMs now = clock_.now();
    state_.probe.start(now);
    // A request sent on an earlier link can never be answered now.
    state_.serverClock.forgetPendingRequest();
    return TS_SUCCESS;
}

int32_t GameSession::disconnect() {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    closeLink();
    connected_ = false;
    state_.players.clear();
    return TS_SUCCESS;
}

void GameSession::closeLink() {
    connection_.reset();
    datagrams_.close();
    relay_.reset();
    state_.probe.stop();
}

bool GameSession::dropRequested() const {
    static const char* const file = std::getenv("TSGAME_TEST_DROP_LINK_FILE");
    return file && *file && ::unlink(file) == 0;
}

int32_t GameSession::engine() {
    if (connected_ && dropRequested()) connection_.close();
    if (connected_ && !pumpAndRelay(clock_.now())) linkLost();

    const LocalMs now = clock_.now();
    if (state_.serverClock.requestDue(now) && sendToServer(kServerTime) == TS_SUCCESS)
        state_.serverClock.requestSent(now);
    if (state_.probe.due(now) && sendProbe() == TS_SUCCESS) state_.probe.sent(now);

    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    dispatchReceived();
    return TS_SUCCESS;
}

bool GameSession::pumpAndRelay(LocalMs now) {
    if (!connection_.pump()) return false;
    relayStep(now);
    return true;
}

void GameSession::relayStep(LocalMs now) {
    auto outgoing = relay_.takeDue(now);
    if (!outgoing) return;
    // A datagram would overtake what waits on the stream; behind it, the
    // message keeps its place in the game's order.
    if (datagrams_.isOpen() && connection_.sendQueueEmpty()) {
        const protocol::Bytes datagram = encodeDatagram({outgoing->message, uint32_t(now), outgoing->echoStamp});
        (void)datagrams_.sendTo(datagramTarget_, datagram);  // a lost datagram is superseded by the next
    } else {
        connection_.queue(outgoing->message, 0);
    }
}

void GameSession::linkLost() {
    connected_ = false;
    connection_.close();
    datagrams_.close();
    if (auto callback = state_.events.disconnection) callback();
}

void GameSession::dispatchReceived() {
    int datagramBudget = kDatagramsPerEngine;
    // A callback may disconnect; what is left then belongs to no session.
    while (connected_) {
        auto message = nextReceived(datagramBudget);
        if (!message) return;
        (void)dispatchMessage(state_, *message, clock_.now());
    }
}

std::optional<protocol::RawMessage> GameSession::nextReceived(int& datagramBudget) {
    while (auto message = connection_.takeReceived()) {
        // Only raw messages carry game traffic; anything else on the game
        // stream is not for the game.
        if (auto* raw = std::get_if<protocol::RawMessage>(&*message)) return std::move(*raw);
    }
    return nextDatagram(datagramBudget);
}

std::optional<protocol::RawMessage> GameSession::nextDatagram(int& budget) {
    std::array<uint8_t, kMaxDatagramSize> buffer;
    while (budget-- > 0) {
        platform::Endpoint from;
        const platform::IoResult result = datagrams_.receiveFrom(buffer, &from);
        if (result.status != platform::IoStatus::Done) return std::nullopt;
        // Datagrams from anywhere but the game server are not part of the game.
        if (from.address != datagramTarget_.address) continue;
        auto datagram = decodeDatagram(std::span<const uint8_t>(buffer.data(), result.bytes));
        if (!datagram) continue;
        relay_.datagramReceived(datagram->stamp, datagram->echoStamp, clock_.now());
        return std::move(datagram->message);
    }
    return std::nullopt;
}

int32_t GameSession::sendGameMessage(uint8_t kind, int32_t type, int32_t mode, std::span<const uint8_t> addressing,
                                     std::span<const uint8_t> data) {
    const auto typeByte = uint8_t(type);
    if (typeByte > kMaxGameType) return TS_ERROR_MESSAGE_TYPE;
    const auto flags = flagsOfSendMode(uint8_t(mode));
    if (!flags) return TS_ERROR_SEND_MODE;
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    auto message = makeGameMessage(kind, typeByte, state_.ownId, *flags, addressing, data);
    if (isRelayed(*flags))
        relay_.insert(std::move(message));
    else
        connection_.queue(message, state_.ownId);
    return TS_SUCCESS;
}

int32_t GameSession::sendToServer(uint8_t type, std::span<const uint8_t> data) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    connection_.queue(makeServerMessage(type, state_.ownId, data), state_.ownId);
    return TS_SUCCESS;
}

int32_t GameSession::sendProbe() {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    const uint8_t filler[] = {0};
    relay_.insert(makeGameMessage(protocol::SENDTOSERVER, kProbe, state_.ownId,
                                  protocol::kReplaceFlag | kProbePriority, {}, filler));
    return TS_SUCCESS;
}

int32_t GameSession::registerPlayer(const char* name) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    auto data = registrationData(name);
    if (!data) return TS_ERROR_NAME;
    state_.ownName = name;
    return sendToServer(kRegister, *data);
}

int32_t GameSession::createGroup(uint8_t group) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    if (const int32_t refused = state_.groups.create(group); refused != TS_SUCCESS) return refused;
    return sendToServer(kGroupCreate, std::span<const uint8_t>(&group, 1));
}

int32_t GameSession::deleteGroup(uint8_t group) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    if (const int32_t refused = state_.groups.remove(group); refused != TS_SUCCESS) return refused;
    return sendToServer(kGroupDelete, std::span<const uint8_t>(&group, 1));
}

int32_t GameSession::emptyGroup(uint8_t group) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    if (const int32_t refused = state_.groups.empty(group); refused != TS_SUCCESS) return refused;
    return sendToServer(kGroupEmpty, std::span<const uint8_t>(&group, 1));
}

int32_t GameSession::addPlayerToGroup(uint8_t group, uint16_t id) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    // Members keep their name in a 16-byte field.
    char name[kNameFieldSize];
    if (const int32_t refused = state_.players.copyName(id, name, sizeof name); refused != TS_SUCCESS) return refused;
    if (const int32_t refused = state_.groups.addMember(group, id, name); refused != TS_SUCCESS) return refused;
    protocol::Bytes data{group};
    appendLe16(data, id);
    return sendToServer(kGroupAddPlayer, data);
}

int32_t GameSession::removePlayerFromGroup(uint8_t group, uint16_t id) {
    if (!connected_) return TS_ERROR_NOT_CONNECTED;
    if (const int32_t refused = state_.groups.removeMember(group, id); refused != TS_SUCCESS) return refused;
    protocol::Bytes data{group};
    appendLe16(data, id);
    return sendToServer(kGroupRemovePlayer, data);
}

int32_t GameSession::storePlayerInfos(uint16_t id, std::span<const uint8_t> data) {
    protocol::Bytes payload;
    payload.reserve(kPlayerIdSize + data.size());
    appendLe16(payload, id);
    payload.insert(payload.end(), data.begin(), data.end());
    return sendToServer(kPlayerInfos, payload);
}

int32_t GameSession::cancelPlayerInfosStorage() { return sendToServer(kCancelStorage); }

int32_t GameSession::serverTime(uint32_t* seconds, int32_t* milliseconds) const {
    return state_.serverClock.read(clock_.now(), seconds, milliseconds);
}

}  // namespace tessary::gamelib
