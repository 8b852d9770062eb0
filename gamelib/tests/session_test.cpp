// The game session against a fake game server on loopback, with the clock
// driven by hand.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TSGame.h"
#include "fake_game_server.h"
#include "game_session.h"
#include "library_messages.h"
#include "platform/fake_clock.h"

namespace tessary::gamelib {
namespace {

using protocol::Bytes;
using protocol::RawMessage;

std::vector<std::string> calls;
int disconnections = 0;

void onPersonal(uint16_t sender, const void* data, int32_t size) {
    std::string line = "personal " + std::to_string(sender);
    for (int32_t i = 0; i < size; ++i) line += " " + std::to_string(static_cast<const uint8_t*>(data)[i]);
    calls.push_back(line);
}
void onDisconnection() { ++disconnections; }

RawMessage fromServer(Bytes payload, uint16_t sender = 0) {
    RawMessage m;
    m.kind = protocol::SENDTOOTHERPLAYERS;
    m.sender = sender;
    m.payload = std::move(payload);
    return m;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        disconnections = 0;
        ASSERT_TRUE(server.ready());
    }

    void connect(const char* host = "127.0.0.1") {
        ASSERT_EQ(session.connect(host, server.port()), TS_SUCCESS);
        ASSERT_TRUE(server.accept());
        server.setClientDatagramPort(session.datagramPort());
    }

    // Runs the engine until `done` holds; loopback delivery is quick but not
    // instant, so a few rounds with short sleeps are allowed.
    template <class Done>
    bool engineUntil(Done done, int rounds = 100) {
        for (int i = 0; i < rounds; ++i) {
            (void)session.engine();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    std::vector<RawMessage> engineAndReceive() {
        EXPECT_EQ(session.engine(), TS_SUCCESS);
        return server.receiveRawUntilQuiet();
    }

    void giveOwnId(uint16_t id) {
        ASSERT_TRUE(server.send(fromServer({kOwnId, uint8_t(id), uint8_t(id >> 8), 0, 0, 0, 0})));
        ASSERT_TRUE(engineUntil([&] { return session.state().ownId == id; }));
    }

    platform::FakeClock clock;
    GameSession session{clock};
    testing::FakeGameServer server;
};

TEST_F(Session, ConnectChecksThePortThenTheAddressThenTheLink) {
    struct Case {
        const char* host;
        int32_t port;
        int32_t result;
    } cases[] = {
        {"", 80, TS_ERROR_PORT},  // before any resolution
        {"", 1023, TS_ERROR_PORT},
        {"", 65535, TS_ERROR_PORT},  // no port left for the datagrams
        {"", 40000, TS_ERROR_ADDRESS},
    };
    for (const Case& c : cases) EXPECT_EQ(session.connect(c.host, c.port), c.result) << c.host << ":" << c.port;
    EXPECT_FALSE(session.connected());

    connect();
    EXPECT_EQ(session.connect("127.0.0.1", server.port()), TS_ERROR_ALREADY_CONNECTED);
    EXPECT_EQ(session.disconnect(), TS_SUCCESS);
    EXPECT_EQ(session.disconnect(), TS_ERROR_NOT_CONNECTED);
    connect();
}

TEST_F(Session, ConnectToAClosedPortFails) {
    uint16_t port = 0;
    {
        testing::FakeGameServer gone;
        port = gone.port();
    }
    EXPECT_EQ(session.connect("127.0.0.1", port), TS_ERROR_NOT_CONNECTED);
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(session.engine(), TS_ERROR_NOT_CONNECTED);
}

TEST_F(Session, AHostNameSendsDatagramsToTheAddressItResolvedTo) {
    connect("localhost");
    EXPECT_EQ(session.datagramTarget().address, session.connection().peerAddress().address);
    EXPECT_EQ(session.datagramTarget().port, server.port() + 1);
    clock.advanceMs(100);
    ASSERT_EQ(session.sendGameMessage(protocol::SENDTOOTHERPLAYERS, 5, 2, {}, {}), TS_SUCCESS);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto datagram = server.receiveDatagram(1000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->message.payload, (Bytes{5}));
}

TEST_F(Session, RegistrationSendsSixteenNameBytesToTheServer) {
    EXPECT_EQ(session.registerPlayer("ann"), TS_ERROR_NOT_CONNECTED);
    connect();
    EXPECT_EQ(session.registerPlayer("abcdefghijklmnopq"), TS_ERROR_NAME);
    EXPECT_EQ(session.registerPlayer(nullptr), TS_ERROR_NAME);
    EXPECT_EQ(session.registerPlayer("abcdefghijklmnop"), TS_SUCCESS);
    auto frames = engineAndReceive();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, protocol::SENDTOSERVER);
    EXPECT_EQ(frames[0].flags, 0);
    EXPECT_EQ(frames[0].sender, 0);
    EXPECT_EQ(frames[0].payload, (Bytes{kRegister, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm',
                                        'n', 'o', 'p'}));
    EXPECT_EQ(session.state().ownName, "abcdefghijklmnop");
}

TEST_F(Session, SendingChecksTypeThenModeThenLink) {
    EXPECT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 201, 1, {}, {}), TS_ERROR_MESSAGE_TYPE);
    EXPECT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 7, 0, {}, {}), TS_ERROR_SEND_MODE);
    EXPECT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 7, 5, {}, {}), TS_ERROR_SEND_MODE);
    EXPECT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 7, 1, {}, {}), TS_ERROR_NOT_CONNECTED);
    connect();
    EXPECT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 200, 1, {}, {}), TS_SUCCESS);
}

TEST_F(Session, RelayedMessagesOfOneTypeLeaveAsOneDatagramWithTheLastPayload) {
    connect();
    clock.advanceMs(100);
    for (uint8_t value : {1, 2, 3}) {
        const uint8_t data[] = {value};
        ASSERT_EQ(session.sendGameMessage(protocol::SENDTOALLPLAYERS, 5, 2, {}, data), TS_SUCCESS);
    }
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto datagram = server.receiveDatagram(1000);
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->message.kind, protocol::SENDTOALLPLAYERS);
    EXPECT_EQ(datagram->message.flags, protocol::kReplaceFlag);  // the priority never reaches the wire
    EXPECT_EQ(datagram->message.payload, (Bytes{5, 3}));
    EXPECT_EQ(datagram->stamp, 100u);
    EXPECT_EQ(datagram->echoStamp, 0u);
    clock.advanceMs(100);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    EXPECT_FALSE(server.receiveDatagram(50));
    EXPECT_TRUE(server.receiveRawUntilQuiet(20).empty());
}

TEST_F(Session, RelayedMessagesOfTwoTypesLeaveOnePerStepAtLeastEightyMsApart) {
    connect();
    clock.advanceMs(100);
    ASSERT_EQ(session.sendGameMessage(protocol::SENDTOOTHERPLAYERS, 5, 3, {}, {}), TS_SUCCESS);
    ASSERT_EQ(session.sendGameMessage(protocol::SENDTOOTHERPLAYERS, 6, 4, {}, {}), TS_SUCCESS);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto first = server.receiveDatagram(1000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->message.payload, (Bytes{5}));
    clock.advanceMs(80);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    EXPECT_FALSE(server.receiveDatagram(50));
    clock.advanceMs(1);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto second = server.receiveDatagram(1000);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->message.payload, (Bytes{6}));
    EXPECT_EQ(second->stamp - first->stamp, 81u);
}

TEST_F(Session, WithAStreamBacklogARelayedMessageQueuesBehindItAtPriorityThirtyOne) {
    connect();
    // The server reads nothing until the socket is full and frames wait.
    const Bytes big(60'000, 0xAB);
    bool backlog = false;
    for (int i = 0; i < 500 && !backlog; ++i) {
        ASSERT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 1, 1, {}, big), TS_SUCCESS);
        ASSERT_EQ(session.engine(), TS_SUCCESS);
        backlog = !session.connection().sendQueueEmpty();
    }
    ASSERT_TRUE(backlog);

    clock.advanceMs(100);
    ASSERT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 9, 2, {}, {}), TS_SUCCESS);
    ASSERT_EQ(session.engine(), TS_SUCCESS);  // relay step: into the stream queue
    EXPECT_EQ(session.relayList().size(), 0u);
    // Sent later but at priority 0: overtakes the relayed message.
    ASSERT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 8, 1, {}, {}), TS_SUCCESS);

    std::vector<uint8_t> smallTypes;
    for (int i = 0; i < 2000 && smallTypes.size() < 2; ++i) {
        (void)session.engine();
        for (const RawMessage& m : server.receiveRawUntilQuiet(5))
            if (m.payload.size() < 10) smallTypes.push_back(m.payload[0]);
    }
    EXPECT_EQ(smallTypes, (std::vector<uint8_t>{8, 9}));
    EXPECT_FALSE(server.receiveDatagram(20));
}

TEST_F(Session, ProbeGoesEveryHalfSecondUntilTheServerAnswers) {
    connect();
    clock.advanceMs(500);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    clock.advanceMs(1);
    ASSERT_EQ(session.engine(), TS_SUCCESS);  // the probe joins the relay list
    ASSERT_EQ(session.engine(), TS_SUCCESS);  // and leaves in the next relay step
    auto probe = server.receiveDatagram(1000);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->message.kind, protocol::SENDTOSERVER);
    EXPECT_EQ(probe->message.payload, (Bytes{kProbe, 0}));

    clock.advanceMs(500);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    EXPECT_FALSE(server.receiveDatagram(30));
    clock.advanceMs(1);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    EXPECT_TRUE(server.receiveDatagram(1000));

    ASSERT_TRUE(server.send(fromServer({kProbe})));
    ASSERT_TRUE(engineUntil([&] { return !session.state().probe.active(); }));
    for (int i = 0; i < 4; ++i) {
        clock.advanceMs(501);
        ASSERT_EQ(session.engine(), TS_SUCCESS);
    }
    EXPECT_FALSE(server.receiveDatagram(30));
}

TEST_F(Session, DatagramStampsAreEchoedAndTheirRoundTripsMeasured) {
    ASSERT_EQ(session.state().personal.fix(onPersonal, 3), TS_SUCCESS);
    connect();
    clock.advanceMs(200);
    Datagram in;
    in.message = fromServer({3, 42}, 9);
    in.stamp = 5000;
    ASSERT_TRUE(server.sendDatagram(in));
    ASSERT_TRUE(engineUntil([] { return !calls.empty(); }));
    EXPECT_EQ(calls[0], "personal 9 42");

    clock.advanceMs(30);
    ASSERT_EQ(session.sendGameMessage(protocol::SENDTOOTHERPLAYERS, 4, 2, {}, {}), TS_SUCCESS);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto out = server.receiveDatagram(1000);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->stamp, 230u);
    EXPECT_EQ(out->echoStamp, 5030u);  // held here for 30 ms

    clock.advanceMs(70);
    Datagram echo;
    echo.message = fromServer({3, 43}, 9);
    echo.stamp = 5100;
    echo.echoStamp = out->stamp;
    ASSERT_TRUE(server.sendDatagram(echo));
    ASSERT_TRUE(engineUntil([] { return calls.size() == 2; }));
    EXPECT_EQ(session.relayList().roundTrips().minimumRoundTrip(), 70);
}

TEST_F(Session, MessagesThatAreNotGameTrafficAreDropped) {
    ASSERT_EQ(session.state().personal.fix(onPersonal, 3), TS_SUCCESS);
    ASSERT_EQ(session.state().personal.fix(onPersonal, 67), TS_SUCCESS);
    connect();

    protocol::ServiceMessage structured;
    structured.type = protocol::STILLALIVE;  // 67: would reach the type-67 callback if dispatched
    ASSERT_TRUE(server.send(structured));
    ASSERT_TRUE(server.send(fromServer({3, 1})));

    Datagram valid;
    valid.message = fromServer({3, 2});
    const Bytes whole = encodeDatagram(valid);
    ASSERT_TRUE(server.sendDatagramBytes(protocol::encode(structured)));
    ASSERT_TRUE(server.sendDatagramBytes(std::span(whole).first(14)));
    // From another address of the machine than the server's.
    const int stranger = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = inet_addr("127.0.0.2");
    ASSERT_EQ(::bind(stranger, reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(session.datagramPort());
    Datagram spoofed;
    spoofed.message = fromServer({3, 9});
    const Bytes spoofedBytes = encodeDatagram(spoofed);
    ASSERT_EQ(::sendto(stranger, spoofedBytes.data(), spoofedBytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
              ssize_t(spoofedBytes.size()));
    ::close(stranger);
    ASSERT_TRUE(server.sendDatagramBytes(whole));

    ASSERT_TRUE(engineUntil([] { return calls.size() >= 2; }));
    for (int i = 0; i < 5; ++i) (void)session.engine();
    EXPECT_EQ(calls, (std::vector<std::string>{"personal 0 1", "personal 0 2"}));
    EXPECT_TRUE(session.connected());
}

// Each datagram received makes the server send the next: a flood that never
// ends while the game reads.
testing::FakeGameServer* floodingServer = nullptr;
void onFloodDatagram(uint16_t, const void*, int32_t) {
    calls.push_back("flood");
    Datagram next;
    next.message = fromServer({4});
    (void)floodingServer->sendDatagram(next);
}

TEST_F(Session, ADatagramFloodDoesNotHoldTheEngine) {
    ASSERT_EQ(session.state().personal.fix(onFloodDatagram, 4), TS_SUCCESS);
    connect();
    floodingServer = &server;
    Datagram first;
    first.message = fromServer({4});
    ASSERT_TRUE(server.sendDatagram(first));
    // Without a limit the first call that reads a datagram would never return.
    for (int i = 0; i < 200 && calls.size() <= 256; ++i) {
        const size_t before = calls.size();
        ASSERT_EQ(session.engine(), TS_SUCCESS);
        EXPECT_LE(calls.size() - before, 256u);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(calls.size(), 256u);
}

TEST_F(Session, ALostLinkCallsTheDisconnectionCallbackOnce) {
    session.state().events.disconnection = onDisconnection;
    connect();
    server.closeClient();
    ASSERT_TRUE(engineUntil([&] { return !session.connected(); }));
    EXPECT_EQ(disconnections, 1);
    EXPECT_EQ(session.engine(), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(session.engine(), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(disconnections, 1);
    EXPECT_EQ(session.sendGameMessage(protocol::SENDTOSERVER, 1, 1, {}, {}), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(session.disconnect(), TS_ERROR_NOT_CONNECTED);
}

TEST_F(Session, KeepAlivesGoToTheGameServerAndSilenceNeverEndsTheLink) {
    connect();
    for (int minute = 0; minute < 10; ++minute) {
        clock.advanceSeconds(61);
        ASSERT_EQ(session.engine(), TS_SUCCESS);
        ASSERT_EQ(session.engine(), TS_SUCCESS);
        auto frame = server.receiveFrame(1000);
        ASSERT_TRUE(frame);
        auto* alive = std::get_if<protocol::ServiceMessage>(&*frame);
        ASSERT_NE(alive, nullptr);
        EXPECT_EQ(alive->type, protocol::STILLALIVE);
        EXPECT_EQ(alive->source, protocol::kModulePlayer);
        EXPECT_EQ(alive->destination, protocol::kModuleGame);
    }
    EXPECT_TRUE(session.connected());
}

TEST_F(Session, ServerTimeIsRequestedEveryThirtySecondsOnceAnswered) {
    connect();
    giveOwnId(5);
    session.state().serverClock.setSynchronization(true);
    // The request is queued after the pump, so it leaves with the next one.
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto first = engineAndReceive();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].kind, protocol::SENDTOSERVER);
    EXPECT_EQ(first[0].sender, 5);
    EXPECT_EQ(first[0].payload, (Bytes{kServerTime}));

    clock.advanceMs(300);
    Bytes answer{kServerTime};
    appendLe32(answer, 100);
    appendLe32(answer, 900);
    ASSERT_TRUE(server.send(fromServer(answer)));
    ASSERT_TRUE(engineUntil([&] { return session.state().serverClock.valid(); }));
    uint32_t seconds = 0;
    int32_t milliseconds = 0;
    ASSERT_EQ(session.serverTime(&seconds, &milliseconds), TS_SUCCESS);
    EXPECT_EQ(seconds, 101u);
    EXPECT_EQ(milliseconds, 50);

    clock.advanceMs(20'000);
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    EXPECT_TRUE(engineAndReceive().empty());
    clock.advanceMs(9'701);  // 30,001 ms after the request
    ASSERT_EQ(session.engine(), TS_SUCCESS);
    auto second = engineAndReceive();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].payload, (Bytes{kServerTime}));
}

TEST_F(Session, GroupsAreKeptLocallyAndToldToTheServer) {
    EXPECT_EQ(session.createGroup(3), TS_ERROR_NOT_CONNECTED);
    connect();
    ASSERT_TRUE(server.send(fromServer({kNewPlayer, 0x02, 0x01, 'a', 'n', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
    ASSERT_TRUE(server.send(fromServer({kNewPlayer, 0x03, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k',
                                        'l', 'm', 'n', 'o', 'p'})));
    ASSERT_TRUE(engineUntil([&] { return session.state().players.players().size() == 2; }));

    struct Step {
        int32_t result;
        Bytes sent;  // empty: nothing goes to the server
    };
    const Step steps[] = {
        {session.createGroup(3), {kGroupCreate, 3}},
        {session.createGroup(3), {}},
        {session.addPlayerToGroup(3, 0x0102), {kGroupAddPlayer, 3, 0x02, 0x01}},
        {session.addPlayerToGroup(3, 0x0102), {}},
        {session.addPlayerToGroup(3, 0x0003), {}},  // a 16-character name
        {session.addPlayerToGroup(3, 0x0999), {}},
        {session.addPlayerToGroup(4, 0x0102), {}},
        {session.removePlayerFromGroup(3, 0x0102), {kGroupRemovePlayer, 3, 0x02, 0x01}},
        {session.removePlayerFromGroup(3, 0x0102), {}},
        {session.emptyGroup(3), {kGroupEmpty, 3}},
        {session.emptyGroup(4), {}},
        {session.deleteGroup(3), {kGroupDelete, 3}},
        {session.deleteGroup(3), {}},
    };
    const int32_t expected[] = {TS_SUCCESS,   TS_ERROR_GROUP, TS_SUCCESS,     TS_ERROR_PLAYER, TS_ERROR_BUFFER_TOO_SMALL,
                                TS_ERROR_PLAYER, TS_ERROR_GROUP, TS_SUCCESS, TS_ERROR_PLAYER, TS_SUCCESS,
                                TS_ERROR_GROUP, TS_SUCCESS,     TS_ERROR_GROUP};
    std::vector<Bytes> wanted;
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(steps[i].result, expected[i]) << "step " << i;
        if (!steps[i].sent.empty()) wanted.push_back(steps[i].sent);
    }
    std::vector<Bytes> sent;
    for (const RawMessage& m : engineAndReceive()) {
        EXPECT_EQ(m.kind, protocol::SENDTOSERVER);
        sent.push_back(m.payload);
    }
    EXPECT_EQ(sent, wanted);
}

TEST_F(Session, DatabaseStorageMessages) {
    const uint8_t info[] = {1, 2, 3};
    EXPECT_EQ(session.storePlayerInfos(0x0102, info), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(session.cancelPlayerInfosStorage(), TS_ERROR_NOT_CONNECTED);
    connect();
    EXPECT_EQ(session.storePlayerInfos(0x0102, info), TS_SUCCESS);
    EXPECT_EQ(session.storePlayerInfos(7, {}), TS_SUCCESS);
    EXPECT_EQ(session.cancelPlayerInfosStorage(), TS_SUCCESS);
    auto frames = engineAndReceive();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].payload, (Bytes{kPlayerInfos, 0x02, 0x01, 1, 2, 3}));
    EXPECT_EQ(frames[1].payload, (Bytes{kPlayerInfos, 7, 0}));
    EXPECT_EQ(frames[2].payload, (Bytes{kCancelStorage}));
}

}  // namespace
}  // namespace tessary::gamelib
