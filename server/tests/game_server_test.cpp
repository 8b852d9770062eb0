#include "game_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <ctime>
#include <set>

#include "fake_link.h"
#include "platform/fake_clock.h"
#include "service_fixture.h"

namespace tessary::server {
namespace {

using namespace protocol;

std::vector<RawMessage> raws(const std::vector<Message>& messages) {
    std::vector<RawMessage> out;
    for (const Message& m : messages)
        if (auto* raw = std::get_if<RawMessage>(&m)) out.push_back(*raw);
    return out;
}

// Records what the game server tells a game's logic.
struct RecordingLogic final : GameLogic {
    explicit RecordingLogic(GameTable& t, std::vector<std::string>& log) : table(t), log(log) {}
    void playerJoined(PlayerId id, std::string_view name, bool spectator, int64_t) override {
        log.push_back("joined " + std::to_string(id) + " " + std::string(name) + (spectator ? " spectator" : ""));
    }
    void playerLeft(PlayerId id, int64_t) override { log.push_back("left " + std::to_string(id)); }
    void masterChanged(PlayerId id) override { log.push_back("master " + std::to_string(id)); }
    void receive(PlayerId from, uint8_t type, std::span<const uint8_t> body, int64_t) override {
        log.push_back("got " + std::to_string(type) + " from " + std::to_string(from) + " size " +
                      std::to_string(body.size()));
        if (type == 7) {  // stands for a game's start
            keeping = true;
            log.push_back("options " + table.setup().options);
            log.push_back("computer " + std::to_string(table.addComputerPlayer("Bot 1")));
            return;
        }
        const uint8_t answer[] = {42};
        table.sendToPlayer(from, 99, answer);
        table.sendToAll(98, {});
        table.recordWin(from);
    }
    void tick(int64_t) override {}
    bool keepsSeat(PlayerId) const override { return keeping; }
    void playerAway(PlayerId id, int64_t) override { log.push_back("away " + std::to_string(id)); }
    void playerReturned(PlayerId id, int64_t) override { log.push_back("returned " + std::to_string(id)); }
    GameTable& table;
    std::vector<std::string>& log;
    bool keeping = false;
};

class GameServerUnit : public ::testing::Test {
protected:
    GameServerUnit() {
        auto owned = openSqliteStorage(":memory:");
        storage = owned.get();
        GameLogicRegistry registry;
        registry.add("TESTGAME", [this](GameTable& table) { return std::make_unique<RecordingLogic>(table, logicLog); });
        server = std::make_unique<GameServer>(io, GameServerSettings{Limits::defaults(), &clock}, std::move(owned), bus,
                                              std::move(registry));
        bus.subscribe([this](const Event& e) { events.push_back(e); });
        announce("S#1", "POKER", {{"Ann", "127.0.0.1", false}, {"Bob", "127.0.0.1", false}, {"Cid", "127.0.0.1", true}});
    }

    void announce(const std::string& key, const std::string& game, std::vector<GameMember> members,
                  std::string options = "") {
        storage->announceGameSession(
            {key, game, "Arena 1", "Table " + key, 2, int64_t(std::time(nullptr)), members, std::move(options)});
    }

    std::shared_ptr<FakeLink> join(const std::string& name, const std::string& address = "127.0.0.1") {
        auto link = std::make_shared<FakeLink>(++lastLink, address);
        server->linkOpened(link);
        send(link, SENDTOSERVER, registrationPayload(name));
        return link;
    }

    void send(const std::shared_ptr<FakeLink>& link, uint8_t kind, Bytes payload, uint16_t sender = 0) {
        Message message = RawMessage{kind, 0, sender, std::move(payload)};
        server->messageReceived(link, message);
    }

    void leave(const std::shared_ptr<FakeLink>& link) {
        link->close("");
        server->linkClosed(link);
    }

    platform::FakeClock clock;
    asio::io_context io;
    LocalEventBus bus;
    Storage* storage = nullptr;
    std::unique_ptr<GameServer> server;
    std::vector<Event> events;
    std::vector<std::string> logicLog;
    uint64_t lastLink = 0;
};

TEST_F(GameServerUnit, RegistrationAnnouncesEveryone) {
    auto ann = join("Ann");
    auto annSees = raws(ann->take());
    ASSERT_EQ(annSees.size(), 3u);
    EXPECT_EQ(annSees[0].payload[0], EVENT_OWNID);
    const uint16_t annId = le16(annSees[0].payload, 1);
    EXPECT_NE(annId, 0);
    EXPECT_EQ(le16(annSees[0].payload, 3), 1);  // the first one in
    EXPECT_EQ(le16(annSees[0].payload, 5), 2);  // players expected
    EXPECT_EQ(annSees[1].payload, Bytes({EVENT_NEWPLAYER, uint8_t(annId), uint8_t(annId >> 8), 'A', 'n', 'n', 0, 0, 0, 0,
                                         0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(annSees[2].payload, Bytes({EVENT_NEWMASTER, uint8_t(annId), uint8_t(annId >> 8)}));
    for (const RawMessage& m : annSees) EXPECT_EQ(m.sender, 0);

    auto bob = join("bob");
    auto bobSees = raws(bob->take());
    ASSERT_EQ(bobSees.size(), 3u);
    const uint16_t bobId = le16(bobSees[0].payload, 1);
    EXPECT_EQ(le16(bobSees[0].payload, 3), 0);
    EXPECT_EQ(le16(bobSees[1].payload, 1), annId);
    EXPECT_EQ(le16(bobSees[2].payload, 1), bobId);
    EXPECT_EQ(std::string(bobSees[2].payload.begin() + 3, bobSees[2].payload.begin() + 6), "Bob");  // announced spelling
    auto annSeesBob = raws(ann->take());
    ASSERT_EQ(annSeesBob.size(), 1u);
    EXPECT_EQ(annSeesBob[0].payload[0], EVENT_NEWPLAYER);
    EXPECT_EQ(le16(annSeesBob[0].payload, 1), bobId);

    ASSERT_FALSE(events.empty());
    const auto* presence = std::get_if<GamePresenceEvent>(&events.back());
    ASSERT_TRUE(presence);
    EXPECT_EQ(presence->name, "Bob");
    EXPECT_TRUE(presence->joined);
}

TEST_F(GameServerUnit, RegistrationsThatAreRefused) {
    struct Case {
        const char* label;
        std::string name;
        std::string address;
        const char* fragment;
    } cases[] = {
        {"not announced", "Dan", "127.0.0.1", "no announced session"},
        {"other address", "Ann", "127.0.0.9", "did not announce"},
        {"bad name", "A;n", "127.0.0.1", "malformed"},
        {"empty name", "", "127.0.0.1", "malformed"},
    };
    for (const Case& c : cases) {
        auto link = join(c.name, c.address);
        EXPECT_FALSE(link->isOpen()) << c.label;
        EXPECT_NE(link->closeReason.find(c.fragment), std::string::npos) << c.label << ": " << link->closeReason;
    }
}

// A second registration of a name takes the seat only from a stream that is
// gone or silent beyond the keep-alive; a rejoin after a drop still works.
TEST_F(GameServerUnit, ASeatIsTakenOnlyFromAGoneOrSilentStream) {
    auto first = join("Ann");
    auto refused = join("Ann");
    EXPECT_FALSE(refused->isOpen());
    EXPECT_NE(refused->closeReason.find("still alive"), std::string::npos) << refused->closeReason;
    clock.advanceSeconds(30);
    Message keepAlive = request(STILLALIVE, {}, kModuleGame);
    server->messageReceived(first, keepAlive);
    clock.advanceSeconds(30);
    EXPECT_FALSE(join("Ann")->isOpen()) << "heard 30 s ago: still alive";
    clock.advanceSeconds(6);
    auto second = join("Ann");
    EXPECT_TRUE(second->isOpen()) << "silent for 36 s: taken for dropped";
    EXPECT_FALSE(first->isOpen());
    leave(second);
    EXPECT_TRUE(join("Ann")->isOpen()) << "the stream is gone: a rejoin at once";
}

// The logic reads the session's options and seats computer players that
// every program sees arrive; a dropped player's seat waits for the player
// (the others see no departure) and is given up after the bound.
TEST_F(GameServerUnit, ComputerPlayersAndKeptSeats) {
    announce("S#2", "TESTGAME", {{"Dan", "127.0.0.1", false}, {"Eve", "127.0.0.1", false}}, "0 45 Lava Duel 1 1 0");
    auto dan = join("Dan");
    auto eve = join("Eve");
    const uint16_t eveId = le16(raws(eve->take())[0].payload, 1);
    dan->take();
    send(dan, SENDTOSERVER, {7});
    ASSERT_GE(logicLog.size(), 2u);
    EXPECT_EQ(logicLog[logicLog.size() - 2], "options 0 45 Lava Duel 1 1 0");
    const std::string computer = logicLog.back();
    ASSERT_NE(computer, "computer 0");
    const auto botId = uint16_t(std::stoi(computer.substr(9)));
    for (FakeLink* link : {dan.get(), eve.get()}) {
        auto seen = raws(link->take());
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].payload[0], EVENT_NEWPLAYER);
        EXPECT_EQ(le16(seen[0].payload, 1), botId);
        EXPECT_EQ(std::string(seen[0].payload.begin() + 3, seen[0].payload.begin() + 8), "Bot 1");
    }

    leave(eve);
    EXPECT_EQ(logicLog.back(), "away " + std::to_string(eveId));
    EXPECT_TRUE(raws(dan->take()).empty()) << "no departure while the seat is kept";
    clock.advanceSeconds(59);
    server->tick(GameServer::Clock::now());
    auto back = join("Eve");
    ASSERT_TRUE(back->isOpen());
    auto eveSees = raws(back->take());
    ASSERT_GE(eveSees.size(), 3u);
    EXPECT_EQ(le16(eveSees[0].payload, 1), eveId) << "the same id again";
    std::set<uint16_t> announced;
    for (const RawMessage& m : eveSees)
        if (m.payload[0] == EVENT_NEWPLAYER) announced.insert(le16(m.payload, 1));
    EXPECT_TRUE(announced.count(botId)) << "the computer player is announced to a returning program";
    EXPECT_EQ(logicLog.back(), "returned " + std::to_string(eveId));
    EXPECT_TRUE(raws(dan->take()).empty()) << "the others never saw the player go";

    // A stream gone silent without closing is a dropped one too: a new
    // registration takes the kept seat back.
    clock.advanceSeconds(36);
    auto again = join("Eve");
    ASSERT_TRUE(again->isOpen());
    EXPECT_FALSE(back->isOpen());
    EXPECT_EQ(le16(raws(again->take())[0].payload, 1), eveId);
    ASSERT_GE(logicLog.size(), 2u);
    EXPECT_EQ(logicLog[logicLog.size() - 2], "away " + std::to_string(eveId));
    EXPECT_EQ(logicLog.back(), "returned " + std::to_string(eveId));
    EXPECT_TRUE(raws(dan->take()).empty()) << "the others never saw the player go";
    back = again;

    leave(back);
    clock.advanceSeconds(60);
    server->tick(GameServer::Clock::now());
    EXPECT_EQ(logicLog.back(), "left " + std::to_string(eveId));
    auto danSees = raws(dan->take());
    ASSERT_EQ(danSees.size(), 1u);
    EXPECT_EQ(danSees[0].payload, Bytes({EVENT_PLAYERLEFT, uint8_t(eveId), uint8_t(eveId >> 8)}));
}

TEST_F(GameServerUnit, RelayKinds) {
    auto ann = join("Ann");
    auto bob = join("Bob");
    auto cid = join("Cid");
    const uint16_t annId = le16(raws(ann->take())[0].payload, 1);
    const uint16_t bobId = le16(raws(bob->take())[0].payload, 1);
    cid->take();

    send(ann, SENDTOSERVER, {248, 7});                                        // create group 7
    send(ann, SENDTOSERVER, {245, 7, uint8_t(bobId), uint8_t(bobId >> 8)});  // add Bob

    struct Case {
        const char* label;
        uint8_t kind;
        Bytes payload;
        Bytes delivered;  // what the receivers see
        bool annGets, bobGets, cidGets;
    } cases[] = {
        {"others", SENDTOOTHERPLAYERS, {5, 1, 2}, {5, 1, 2}, false, true, true},
        {"everyone", SENDTOALLPLAYERS, {6, 9}, {6, 9}, true, true, true},
        {"one player", SENDTOPLAYER, {7, uint8_t(bobId), uint8_t(bobId >> 8), 3}, {7, 3}, false, true, false},
        {"group", SENDTOPLAYERGROUP, {8, 7, 4, 4}, {8, 4, 4}, false, true, false},
        {"unknown group", SENDTOPLAYERGROUP, {8, 6, 4}, {}, false, false, false},
        {"absent player", SENDTOPLAYER, {7, 0xEE, 0xEE}, {}, false, false, false},
        {"reserved type", SENDTOOTHERPLAYERS, {EVENT_NEWMASTER, uint8_t(annId), 0}, {}, false, false, false},
        {"kept by the server", SENDTOSERVER, {9, 1}, {}, false, false, false},
        {"unknown kind", 6, {9, 1}, {}, false, false, false},
        {"empty", SENDTOALLPLAYERS, {}, {}, false, false, false},
    };
    for (const Case& c : cases) {
        send(ann, c.kind, c.payload, /*forged sender*/ 999);
        const bool expected[] = {c.annGets, c.bobGets, c.cidGets};
        FakeLink* links[] = {ann.get(), bob.get(), cid.get()};
        for (int i = 0; i < 3; ++i) {
            auto got = raws(links[i]->take());
            ASSERT_EQ(got.size(), expected[i] ? 1u : 0u) << c.label << " receiver " << i;
            if (got.empty()) continue;
            EXPECT_EQ(got[0].payload, c.delivered) << c.label;
            EXPECT_EQ(got[0].sender, annId) << c.label;  // never the sender field it sent
            EXPECT_EQ(got[0].kind, c.kind) << c.label;
        }
    }
    send(ann, SENDTOSERVER, {244, 7, uint8_t(bobId), uint8_t(bobId >> 8)});  // remove Bob
    send(ann, SENDTOPLAYERGROUP, {8, 7, 1});
    EXPECT_EQ(bob->pending(), 0u);
    send(ann, SENDTOSERVER, {245, 7, uint8_t(bobId), uint8_t(bobId >> 8)});
    send(ann, SENDTOSERVER, {246, 7});  // empty
    send(ann, SENDTOPLAYERGROUP, {8, 7, 1});
    EXPECT_EQ(bob->pending(), 0u);
    send(ann, SENDTOSERVER, {247, 7});  // delete
    send(ann, SENDTOSERVER, {245, 7, uint8_t(bobId), uint8_t(bobId >> 8)});
    send(ann, SENDTOPLAYERGROUP, {8, 7, 1});
    EXPECT_EQ(bob->pending(), 0u);
}

TEST_F(GameServerUnit, LibraryRequestsAreAnswered) {
    auto ann = join("Ann");
    ann->take();
    send(ann, SENDTOSERVER, {237, 0});
    auto probe = raws(ann->take());
    ASSERT_EQ(probe.size(), 1u);
    EXPECT_EQ(probe[0].payload, Bytes{237});

    const uint32_t before = uint32_t(std::time(nullptr));
    send(ann, SENDTOSERVER, {240});
    auto time = raws(ann->take());
    ASSERT_EQ(time.size(), 1u);
    ASSERT_EQ(time[0].payload.size(), 9u);
    EXPECT_EQ(time[0].payload[0], EVENT_SERVERTIME);
    const uint32_t seconds = uint32_t(time[0].payload[1] | time[0].payload[2] << 8 | time[0].payload[3] << 16 |
                                      uint32_t(time[0].payload[4]) << 24);
    const uint32_t millis = uint32_t(time[0].payload[5] | time[0].payload[6] << 8);
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, before + 2);
    EXPECT_LT(millis, 1000u);
}

TEST_F(GameServerUnit, StoredInformationComesBackOnArrival) {
    auto ann = join("Ann");
    const uint16_t annId = le16(raws(ann->take())[0].payload, 1);
    auto bob = join("Bob");
    const uint16_t bobId = le16(raws(bob->take())[0].payload, 1);
    ann->take();
    // Ann stores her bankroll and Bob's (poker stores everyone's).
    send(ann, SENDTOSERVER, {239, uint8_t(annId), uint8_t(annId >> 8), 100, 0, 0, 0});
    send(ann, SENDTOSERVER, {239, uint8_t(bobId), uint8_t(bobId >> 8), 50, 0, 0, 0});
    send(ann, SENDTOSERVER, {239, 0xEE, 0xEE, 1});  // nobody of this session: ignored
    EXPECT_EQ(storage->playerInfo("POKER", "Ann"), Bytes({100, 0, 0, 0}));
    EXPECT_EQ(storage->playerInfo("POKER", "Bob"), Bytes({50, 0, 0, 0}));

    leave(ann);
    auto bobSees = raws(bob->take());
    ASSERT_EQ(bobSees.size(), 2u);
    EXPECT_EQ(bobSees[0].payload, Bytes({EVENT_PLAYERLEFT, uint8_t(annId), uint8_t(annId >> 8)}));
    EXPECT_EQ(bobSees[1].payload, Bytes({EVENT_NEWMASTER, uint8_t(bobId), uint8_t(bobId >> 8)}));

    auto back = join("Ann");
    auto annSees = raws(back->take());
    EXPECT_EQ(le16(annSees[0].payload, 1), annId);  // the same id again
    std::vector<Bytes> infos;
    for (const RawMessage& m : annSees)
        if (m.payload[0] == EVENT_PLAYERINFOS) infos.push_back(m.payload);
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0], Bytes({EVENT_PLAYERINFOS, uint8_t(annId), uint8_t(annId >> 8), 100, 0, 0, 0}));
    EXPECT_EQ(infos[1], Bytes({EVENT_PLAYERINFOS, uint8_t(bobId), uint8_t(bobId >> 8), 50, 0, 0, 0}));
    auto bobSeesReturn = raws(bob->take());
    ASSERT_EQ(bobSeesReturn.size(), 2u);  // Ann again, and her information
    EXPECT_EQ(bobSeesReturn[1].payload[0], EVENT_PLAYERINFOS);

    send(back, SENDTOSERVER, {238});  // cancel her own storage
    EXPECT_FALSE(storage->playerInfo("POKER", "Ann"));
    EXPECT_TRUE(storage->playerInfo("POKER", "Bob"));
}

TEST_F(GameServerUnit, SessionsAreKeptApart) {
    announce("S#2", "POKER", {{"Dan", "127.0.0.1", false}});
    auto ann = join("Ann");
    auto dan = join("Dan");
    ann->take();
    auto danSees = raws(dan->take());
    EXPECT_EQ(le16(danSees[0].payload, 3), 1);  // first of its own session
    send(dan, SENDTOALLPLAYERS, {1, 2});
    EXPECT_EQ(ann->pending(), 0u);
    EXPECT_EQ(raws(dan->take()).size(), 1u);
}

TEST_F(GameServerUnit, GameLogicSeesItsSession) {
    announce("S#3", "testgame", {{"Eve", "127.0.0.1", false}, {"Fay", "127.0.0.1", true}});
    auto eve = join("Eve");
    const uint16_t eveId = le16(raws(eve->take())[0].payload, 1);
    auto fay = join("Fay");
    const uint16_t fayId = le16(raws(fay->take())[0].payload, 1);
    eve->take();
    send(eve, SENDTOSERVER, {12, 1, 2, 3});
    send(eve, SENDTOSERVER, {240});  // library requests are not game messages
    auto eveSees = raws(eve->take());
    ASSERT_EQ(eveSees.size(), 3u);
    EXPECT_EQ(eveSees[0].payload, Bytes({99, 42}));
    EXPECT_EQ(eveSees[1].payload, Bytes({98}));
    EXPECT_EQ(raws(fay->take())[0].payload, Bytes({98}));
    leave(eve);
    const std::vector<std::string> expected = {
        "joined " + std::to_string(eveId) + " Eve", "master " + std::to_string(eveId),
        "joined " + std::to_string(fayId) + " Fay spectator", "got 12 from " + std::to_string(eveId) + " size 3",
        "left " + std::to_string(eveId), "master " + std::to_string(fayId)};
    EXPECT_EQ(logicLog, expected);
    EXPECT_EQ(storage->gameStats("Eve"), (std::vector<GameStat>{{"testgame", 0, 1}}));
}

// --- over real sockets: streams and datagrams ---

int udpSocket(const char* bindAddress) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, bindAddress, &local.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    timeval timeout{0, 300000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

void sendDatagram(int fd, uint16_t port, uint16_t sender, uint8_t kind, uint32_t stamp, uint32_t echo, Bytes game) {
    Bytes payload;
    for (uint32_t v : {stamp, echo})
        for (int i = 0; i < 4; ++i) payload.push_back(uint8_t(v >> (8 * i)));
    payload.insert(payload.end(), game.begin(), game.end());
    const Bytes frame = encode(RawMessage{kind, kReplaceFlag, sender, payload});
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    ::sendto(fd, frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

std::optional<RawMessage> receiveDatagram(int fd) {
    uint8_t buffer[2048];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return std::nullopt;
    auto message = decode({buffer, size_t(n)});
    if (!message) return std::nullopt;
    return std::get<RawMessage>(*message);
}

class GameServerNetwork : public ServiceTest {
protected:
    void announce(std::vector<GameMember> members) {
        auto storage = openSqliteStorage(service->config().databasePath);
        storage->announceGameSession({"N#1", "POKER", "Arena 1", "Net", 2, int64_t(std::time(nullptr)), members, ""});
    }
    // Registers and returns the id from EVENT_OWNID.
    uint16_t registerAs(TestClient& client, const std::string& name) {
        client.send(RawMessage{SENDTOSERVER, 0, 0, registrationPayload(name)});
        auto message = client.receive();
        if (!message) return 0;
        const auto& own = std::get<RawMessage>(*message);
        client.drain(100);
        return le16(own.payload, 1);
    }
};

TEST_F(GameServerNetwork, UnannouncedRegistrationClosesTheLink) {
    TestClient client(service->gameServerPort());
    client.send(RawMessage{SENDTOSERVER, 0, 0, registrationPayload("Nobody")});
    EXPECT_TRUE(client.closedByPeer());
}

TEST_F(GameServerNetwork, DatagramsAreLearnedEchoedAndRelayed) {
    announce({{"Ann", "127.0.0.1", false}, {"Bob", "127.0.0.3", false}});
    const uint16_t udpPort = uint16_t(service->gameServerPort() + 1);
    TestClient ann(service->gameServerPort());
    TestClient bob(service->gameServerPort(), "127.0.0.1", "127.0.0.3");
    const uint16_t annId = registerAs(ann, "Ann");
    const uint16_t bobId = registerAs(bob, "Bob");
    ASSERT_NE(annId, 0);
    ASSERT_NE(bobId, 0);
    ann.drain(100);
    const int annUdp = udpSocket("127.0.0.1");
    const int bobUdp = udpSocket("127.0.0.3");
    const int forger = udpSocket("127.0.0.3");

    // Ann's datagram reaches Bob by the stream while Bob's address is unknown.
    sendDatagram(annUdp, udpPort, annId, SENDTOOTHERPLAYERS, 1000, 0, {20, 1});
    auto byStream = bob.receive();
    ASSERT_TRUE(byStream);
    EXPECT_EQ(std::get<RawMessage>(*byStream).payload, Bytes({20, 1}));  // no stamps on the stream
    EXPECT_EQ(std::get<RawMessage>(*byStream).sender, annId);

    // Bob's probe by datagram teaches the server his address; the answer
    // comes back by datagram and echoes his stamp.
    const auto probeSent = std::chrono::steady_clock::now();
    sendDatagram(bobUdp, udpPort, bobId, SENDTOSERVER, 5000, 0, {237, 0});
    auto probe = receiveDatagram(bobUdp);
    const auto roundTrip = std::chrono::steady_clock::now() - probeSent;
    ASSERT_TRUE(probe);
    ASSERT_EQ(probe->payload.size(), 9u);
    EXPECT_EQ(probe->payload[8], 237);
    const uint32_t echo = uint32_t(probe->payload[4] | probe->payload[5] << 8 | probe->payload[6] << 16 |
                                   uint32_t(probe->payload[7]) << 24);
    // The stamp comes back with the time the server held it added, which
    // lies within the round trip this side saw.
    EXPECT_GE(echo, 5000u);
    EXPECT_LE(echo - 5000u, std::chrono::ceil<std::chrono::milliseconds>(roundTrip).count());

    // Now Ann's paced traffic goes to Bob by datagram.
    sendDatagram(annUdp, udpPort, annId, SENDTOOTHERPLAYERS, 1100, 0, {20, 2});
    auto relayed = receiveDatagram(bobUdp);
    ASSERT_TRUE(relayed);
    EXPECT_EQ(relayed->sender, annId);
    EXPECT_EQ(Bytes(relayed->payload.begin() + 8, relayed->payload.end()), Bytes({20, 2}));

    // Forgeries: Bob's id from Bob's address but another port (it must
    // neither be relayed nor move Bob's endpoint), Ann's id from Bob's
    // address, an unknown id, a broken frame.
    sendDatagram(forger, udpPort, bobId, SENDTOOTHERPLAYERS, 1, 0, {20, 65});
    EXPECT_FALSE(receiveDatagram(annUdp));
    sendDatagram(annUdp, udpPort, annId, SENDTOOTHERPLAYERS, 1200, 0, {20, 3});
    auto stillBob = receiveDatagram(bobUdp);
    ASSERT_TRUE(stillBob) << "Bob's endpoint stayed his";
    EXPECT_EQ(Bytes(stillBob->payload.begin() + 8, stillBob->payload.end()), Bytes({20, 3}));
    sendDatagram(forger, udpPort, annId, SENDTOOTHERPLAYERS, 1, 0, {20, 66});
    sendDatagram(forger, udpPort, 4321, SENDTOOTHERPLAYERS, 1, 0, {20, 67});
    const uint8_t junk[] = {0, 0, 40, 0x40, 1, 0, 0};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(udpPort);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    ::sendto(forger, junk, sizeof junk, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    EXPECT_FALSE(receiveDatagram(bobUdp));
    EXPECT_FALSE(ann.receive(300));
    EXPECT_FALSE(bob.receive(300));
    for (int fd : {annUdp, bobUdp, forger}) ::close(fd);
}

TEST_F(GameServerNetwork, ArenaSessionsReachTheGameServer) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    ann->send(request(CREATESESSION, Body().text("Duel").text("POKER").text("1.0").i32(0).i32(2).i32(0).text("").text("").i8(0),
                      kModuleArena));
    ASSERT_EQ(ann->waitAnswer(CREATESESSION)->type, TSSUCCESS);
    bob->send(request(JOINSESSION, Body().text("Duel").text("").text("1.0").i8(0), kModuleArena));
    ASSERT_EQ(bob->waitAnswer(JOINSESSION)->type, TSSUCCESS);
    ann->send(request(BEGINGAME, {}, kModuleArena));
    auto start = ann->waitFor(STARTGAME);
    ASSERT_TRUE(start);
    int32_t port = 0;
    ASSERT_TRUE(start->body.readInteger(1, port));

    TestClient annGame{uint16_t(port)};
    TestClient bobGame{uint16_t(port)};
    const uint16_t annId = registerAs(annGame, "Ann");
    const uint16_t bobId = registerAs(bobGame, "Bob");
    ASSERT_NE(annId, 0);
    ASSERT_NE(bobId, 0);
    annGame.drain(100);
    annGame.send(RawMessage{SENDTOOTHERPLAYERS, 0, annId, {3, 1, 2, 3}});
    auto got = bobGame.receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(std::get<RawMessage>(*got).payload, Bytes({3, 1, 2, 3}));
}

}  // namespace
}  // namespace tessary::server
