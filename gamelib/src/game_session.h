// One game session: the stream connection to the game server with its
// datagram side channel and relay list, and the game state the received
// messages change. Everything runs on the caller's thread; only connect()
// blocks (name lookup and TCP connect).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "game_state.h"
#include "local_clock.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "protocol/codec.h"
#include "protocol/connection.h"
#include "relay_list.h"

namespace tessary::gamelib {

class GameSession {
public:
    // `clock` must outlive the session; the local clock starts now.
    explicit GameSession(const platform::Clock& clock = platform::systemClock());

    // TS_ConnectGame to `address` (dotted or a host name) and `port`.
    [[nodiscard]] int32_t connect(std::string_view address, int32_t port);
    // TS_DisconnectFromGame.
    [[nodiscard]] int32_t disconnect();
    // TS_Engine: pump, relay step, time request, probe, dispatch.
    [[nodiscard]] int32_t engine();
    // TS_Registration.
    [[nodiscard]] int32_t registerPlayer(const char* name);

    // The five sending exports: `kind` is the relay kind, `addressing` the
    // bytes between the type byte and the data (target id or group id).
    [[nodiscard]] int32_t sendGameMessage(uint8_t kind, int32_t type, int32_t mode,
                                          std::span<const uint8_t> addressing, std::span<const uint8_t> data);
    // A library message to the server by the stream at priority 0.
    [[nodiscard]] int32_t sendToServer(uint8_t type, std::span<const uint8_t> data = {});

    // Groups: the local table changes and the server is told.
    [[nodiscard]] int32_t createGroup(uint8_t group);
    [[nodiscard]] int32_t deleteGroup(uint8_t group);
    [[nodiscard]] int32_t emptyGroup(uint8_t group);
    [[nodiscard]] int32_t addPlayerToGroup(uint8_t group, uint16_t id);
    [[nodiscard]] int32_t removePlayerFromGroup(uint8_t group, uint16_t id);

    // TS_StorePlayerInfosInDatabase / TS_CancelPlayerInfosStorageInDatabase.
    [[nodiscard]] int32_t storePlayerInfos(uint16_t id, std::span<const uint8_t> data);
    [[nodiscard]] int32_t cancelPlayerInfosStorage();

    [[nodiscard]] int32_t serverTime(uint32_t* seconds, int32_t* milliseconds) const;

    bool connected() const { return connected_; }
    LocalMs now() const { return clock_.now(); }
    GameState& state() { return state_; }
    const GameState& state() const { return state_; }
    const RelayList& relayList() const { return relay_; }
    const protocol::Connection& connection() const { return connection_; }
    // Where datagrams go: the address the stream reached, port + 1.
    const platform::Endpoint& datagramTarget() const { return datagramTarget_; }
    // The local port of the datagram socket; 0 while there is none.
    uint16_t datagramPort() const { return datagrams_.localPort(); }

private:
    // Test hook: when $TSGAME_TEST_DROP_LINK_FILE names a file that exists,
    // the file is removed and the stream closed abortively, as a network
    // failure would, with the program left running.
    bool dropRequested() const;
    // One pump cycle and the relay step; false when the link was lost.
    bool pumpAndRelay(LocalMs now);
    void relayStep(LocalMs now);
    void linkLost();
    void dispatchReceived();
    // The next received game message: the stream first, then one datagram.
    // `datagramBudget` counts the datagrams still allowed in this call.
    [[nodiscard]] std::optional<protocol::RawMessage> nextReceived(int& datagramBudget);
    [[nodiscard]] std::optional<protocol::RawMessage> nextDatagram(int& datagramBudget);
    [[nodiscard]] int32_t sendProbe();
    void closeLink();

    LocalClock clock_;
    protocol::Connection connection_;
    platform::UdpSocket datagrams_;
    platform::Endpoint datagramTarget_;
    RelayList relay_;
    GameState state_;
    bool connected_ = false;
};

}  // namespace tessary::gamelib
