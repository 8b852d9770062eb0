#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "frame_reader.h"
#include "log.h"
#include "server/storage.h"
#include "service_fixture.h"
#include "tcp_listener.h"

namespace tessary::server {
namespace {

using namespace protocol;

using SafetyTest = ServiceTest;

TEST_F(SafetyTest, ConnectionsPerAddressAreLimited) {
    Config config = testConfig(dir.path());
    config.limits.connectionsPerAddress = 3;
    startService(config);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 3; ++i) clients.push_back(routerClient());
    for (auto& client : clients) {
        client->send(request(STILLALIVE));
        ASSERT_TRUE(client->waitFor(STILLALIVE)) << "the first three are served";
    }
    TestClient fourth(service->routerPort());
    EXPECT_TRUE(fourth.closedByPeer());
    TestClient elsewhere(service->routerPort(), "127.0.0.1", "127.0.0.2");
    elsewhere.send(request(STILLALIVE));
    EXPECT_TRUE(elsewhere.waitFor(STILLALIVE));
    clients.pop_back();  // a place frees up
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    TestClient again(service->routerPort());
    again.send(request(STILLALIVE));
    EXPECT_TRUE(again.waitFor(STILLALIVE));
}

TEST_F(SafetyTest, AFloodIsSlowedDownButNothingIsLost) {
    Config config = testConfig(dir.path());
    config.limits.requestsPerSecond = 20;
    config.limits.requestBurst = 5;
    startService(config);
    auto client = routerClient();
    const int sent = 30;
    for (int i = 0; i < sent; ++i) client->send(request(STILLALIVE));
    const auto start = std::chrono::steady_clock::now();
    size_t early = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300) && client->receive(50)) ++early;
    EXPECT_LT(early, 15u);  // 5 saved up, then 20 per second
    const auto rest = client->drain(500);
    EXPECT_EQ(early + rest.size(), size_t(sent));
}

TEST_F(SafetyTest, MalformedInputClosesOnlyThatConnection) {
    auto frame = [](std::initializer_list<int> bytes) {
        Bytes out;
        for (int b : bytes) out.push_back(uint8_t(b));
        return out;
    };
    Bytes oversized = frame({0x04, 0x93, 0xE0, 0, 1, 0x14});  // 300,000 bytes announced
    Bytes badBody = frame({0, 0, 8, 0, 1, 0x14, 0x99, 0x99});
    Bytes badFormat = frame({0, 0, 6, 0x80, 1, 0x14});
    struct Case {
        const char* label;
        Bytes bytes;
    } cases[] = {
        {"size below the header", frame({0, 0, 5, 0, 1, 0x14})},
        {"size over the codec's maximum", frame({0x2F, 0xFF, 0xFF, 0, 1, 0x14})},
        {"size over the service's maximum", oversized},
        {"unparsable body", badBody},
        {"format 2", badFormat},
        {"truncated raw header", frame({0, 0, 6, 0x40, 1, 0x14})},
    };
    auto bystander = routerClient();
    for (const Case& c : cases) {
        for (uint16_t port : {service->routerPort(), service->arenaPort(0), service->gameServerPort()}) {
            TestClient bad(port);
            bad.sendBytes(c.bytes);
            EXPECT_TRUE(bad.closedByPeer()) << c.label << " on port " << port;
        }
        bystander->send(request(STILLALIVE));
        EXPECT_TRUE(bystander->waitFor(STILLALIVE)) << c.label;
    }
}

TEST_F(SafetyTest, TooLongTextsAreNotPassedOn) {
    auto ann = enterArena("Ann");
    auto bob = enterArena("Bob");
    ann->drain(100);
    ann->send(request(CHATALL, Body().text(std::string(513, 'x')).i32(0).i32(0), kModuleArena));
    ann->send(request(CHATALL, Body().text(std::string(512, 'y')).i32(0).i32(0), kModuleArena));
    auto line = bob->waitFor(CHATALL);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->body.text(1)->size(), 512u);  // the longest allowed, and only it
    ann->send(request(CHATALL, Body().text("no colour"), kModuleArena));
    EXPECT_FALSE(bob->waitFor(CHATALL, 300));
}

TEST_F(SafetyTest, TheDatabaseHoldsNoPlainPassword) {
    const std::string passwords[] = {"Zebra-7531", "quartz!!88"};
    createAccount("Ann", passwords[0]);
    auto bob = createAccount("Bob", "first-pw");
    ASSERT_EQ(login(*bob, "Bob", "first-pw", 4)->type, TSSUCCESS);
    bob->send(request(MODIFYUSER, accountForm("Bob", passwords[1])));
    ASSERT_EQ(bob->waitAnswer(MODIFYUSER)->type, TSSUCCESS);
    service->stop();

    auto storage = openSqliteStorage(service->config().databasePath);
    EXPECT_EQ(storage->findAccount("Ann")->passwordHash.rfind("$argon2id$", 0), 0u);
    std::string everything;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        everything += bytes.str();
    }
    ASSERT_NE(everything.find("Likes games."), std::string::npos);  // the files were really read
    for (const std::string& password : passwords) EXPECT_EQ(everything.find(password), std::string::npos) << password;
    EXPECT_EQ(everything.find("first-pw"), std::string::npos);
}

// Frame reader: every truncated prefix waits, the whole frame decodes, the
// stream may arrive one byte at a time.
TEST(FrameReaderTest, CutsFramesAtEveryOffset) {
    ServiceMessage message;
    message.type = CHATALL;
    message.body.appendText("hello");
    message.body.appendInteger<int32_t>(7);
    Bytes stream = encode(message);
    const Bytes second = encode(RawMessage{SENDTOALLPLAYERS, 0, 3, {1, 2}});
    stream.insert(stream.end(), second.begin(), second.end());
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameReader reader(1024);
        Message out;
        std::string reason;
        std::vector<Message> got;
        reader.append(stream.data(), cut);
        while (reader.next(out, reason) == FrameReader::Result::Message) got.push_back(out);
        reader.append(stream.data() + cut, stream.size() - cut);
        while (reader.next(out, reason) == FrameReader::Result::Message) got.push_back(out);
        ASSERT_EQ(got.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(std::get<ServiceMessage>(got[0]), message);
        EXPECT_EQ(std::get<RawMessage>(got[1]).sender, 3);
        EXPECT_EQ(reader.buffered(), 0u);
    }
}

TEST(FrameReaderTest, RefusesALargeFrameBeforeItsBody) {
    FrameReader reader(100);
    const uint8_t head[] = {0, 0, 101};
    reader.append(head, sizeof head);
    Message out;
    std::string reason;
    EXPECT_EQ(reader.next(out, reason), FrameReader::Result::Error);
    EXPECT_NE(reason.find("over the limit"), std::string::npos);
}

// A silent connection is closed; one that keeps talking is not.
class SilentHandler final : public LinkHandler {
public:
    void linkOpened(const LinkPtr&) override {}
    void messageReceived(const LinkPtr& link, Message&) override { link->send(encodeShared(ServiceMessage{})); }
    void linkClosed(const LinkPtr&) override { ++closed; }
    int closed = 0;
};

TEST(ListenerTest, SilentConnectionsAreClosed) {
    asio::io_context io;
    SilentHandler handler;
    TcpListener listener(io, "test", handler, {1024, 1000, 1000, 1 << 20}, 10, 1);
    listener.open({"127.0.0.1", 0});
    std::thread loop([&] { io.run_for(std::chrono::seconds(3)); });
    TestClient silent(listener.port());
    TestClient talker(listener.port());
    const auto start = std::chrono::steady_clock::now();
    bool talkerAlive = true;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(2200)) {
        talker.send(request(STILLALIVE));
        talkerAlive = talker.receive(500).has_value() && talkerAlive;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_TRUE(silent.closedByPeer(100));
    EXPECT_TRUE(talkerAlive);
    loop.join();
}

}  // namespace
}  // namespace tessary::server

namespace tessary::server {
namespace {

TEST(ServiceStart, ATakenPortIsNamedInTheError) {
    TempDir dir;
    asio::io_context io;
    SilentHandler handler;
    TcpListener taken(io, "other", handler, {1024, 1, 1, 1024}, 1, 60);
    taken.open({"127.0.0.1", 0});
    Config config = testConfig(dir.path());
    config.arenas[1].listen.port = taken.port();
    Service service(config);
    try {
        service.start();
        FAIL() << "started on a taken port";
    } catch (const std::system_error& error) {
        EXPECT_NE(std::string(error.what()).find("arena Arena 2 cannot listen on 127.0.0.1:" + std::to_string(taken.port())),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace tessary::server
