#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <mutex>
#include <atomic>
#include <thread>

#include "frame_reader.h"
#include "log.h"
#include "protocol/message_fields.h"
#include "request_bucket.h"
#include "server/storage.h"
#include "service_fixture.h"
#include "tcp_listener.h"

namespace tessary::server {
namespace {

using namespace protocol;

using SafetyTest = ServiceTest;

// A Router connection that the service serves, once the per-address limit
// lets one in (places are freed when the service sees a connection end).
std::unique_ptr<TestClient> servedRouterClient(uint16_t port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        auto client = std::make_unique<TestClient>(port);
        client->send(request(STILLALIVE));
        if (client->waitFor(STILLALIVE, 500)) return client;
    }
    return nullptr;
}

TEST_F(SafetyTest, OneConnectionLimitPerAddressAcrossEveryListener) {
    Config config = testConfig(dir.path());
    config.limits.connectionsPerAddress = 3;
    startService(config);
    auto arena = enterArena("Ann");
    auto router = servedRouterClient(service->routerPort());
    auto another = servedRouterClient(service->routerPort());
    ASSERT_TRUE(router && another) << "an arena and two router connections are three";
    for (uint16_t port : {service->routerPort(), service->arenaPort(1), service->gameServerPort()}) {
        TestClient fourth(port);
        EXPECT_TRUE(fourth.closedByPeer()) << "a fourth on port " << port;
    }
    TestClient elsewhere(service->routerPort(), "127.0.0.1", "127.0.0.2");
    elsewhere.send(request(STILLALIVE));
    EXPECT_TRUE(elsewhere.waitFor(STILLALIVE));
    router.reset();  // a place frees up
    EXPECT_TRUE(servedRouterClient(service->routerPort()));
}

// Collects the log lines for the length of a test.
class CapturedLog {
public:
    CapturedLog() {
        setLogSink([this](std::string_view line) {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(line);
        });
    }
    ~CapturedLog() { setLogSink({}); }
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST(LogTest, TextsAreEscaped) {
    const struct {
        std::string_view in, out;
    } cases[] = {
        {"plain Name-1", "plain Name-1"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"x\n2026-01-01T00:00:00Z router: y logged in as admin", "x\\n2026-01-01T00:00:00Z router: y logged in as admin"},
        {std::string_view("\0\x1B[2J\x7F\xE9\\", 8), "\\x00\\x1B[2J\\x7F\\xE9\\\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(escapeForLog(c.in), c.out);
}

TEST(LogTest, RepeatsFromOneAddressAreFolded) {
    LogFold fold;
    int written = 0;
    for (int i = 0; i < 5020; ++i) written += fold.admit("r", "127.0.0.1", i) ? 1 : 0;
    EXPECT_TRUE(fold.admit("r", "127.0.0.2", 5020)) << "another address has its own share";
    EXPECT_EQ(written, LogFold::kLinesPerWindow);
    EXPECT_TRUE(fold.closeWindows(6'000).empty()) << "the window is not over";
    const auto summaries = fold.closeWindows(LogFold::kWindowMs + 1'000);
    ASSERT_EQ(summaries.size(), 1u);
    EXPECT_EQ(summaries[0].text, "... and 5,000 more from 127.0.0.1 in the last 10 s");
    EXPECT_EQ(summaries[0].role, "r");
    EXPECT_TRUE(fold.admit("r", "127.0.0.1", LogFold::kWindowMs + 1'001)) << "a new window";
}

// A name with a line break cannot forge a line, and a flood of refusals
// from one address writes a bounded number of lines.
TEST_F(SafetyTest, TheLogCannotBeForgedOrFlooded) {
    CapturedLog log;
    auto client = routerClient();
    const std::string forged = "x\n2026-01-01T00:00:00Z router Tessary: 127.0.0.1:1 #1 logged in as admin";
    auto answer = login(*client, forged, "pw");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type, TSFAIL);
    for (int i = 0; i < 500; ++i) client->send(request(GETSESSIONINFO));
    client->send(request(STILLALIVE));
    ASSERT_TRUE(client->waitFor(STILLALIVE));  // every request was handled
    const auto lines = log.lines();
    bool sawEscaped = false;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
        if (line.find("x\\n2026-01-01T00:00:00Z") != std::string::npos) sawEscaped = true;
    }
    EXPECT_TRUE(sawEscaped);
    EXPECT_LE(lines.size(), size_t(LogFold::kLinesPerWindow) + 5) << "501 refusals, one address";
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
    EXPECT_EQ(line->body.text(protocol::ChatLineBody::Text)->size(), 512u);  // the longest allowed, and only it
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

// Answers every message with an empty one, so a client sees what was handled.
class EchoHandler final : public LinkHandler {
public:
    void linkOpened(const LinkPtr&) override {}
    void messageReceived(const LinkPtr& link, Message&) override { link->send(encodeShared(ServiceMessage{})); }
    void linkClosed(const LinkPtr&) override {}
};

// A clock the test moves while the listener's thread reads it.
class SteppedClock final : public platform::Clock {
public:
    int64_t wallSeconds() const override { return 1'000'000'000 + ms_.load() / 1000; }
    int64_t monotonicMs() const override { return ms_.load(); }
    void advanceMs(int64_t ms) { ms_ += ms; }

private:
    std::atomic<int64_t> ms_{0};
};

// A listener on loopback whose connections read `clock`.
struct ListenerOnClock {
    ListenerOnClock(SteppedClock& clock, int64_t perSecond, int64_t burst, int frameDeadlineSeconds,
                    int idleSeconds)
        : listener(io, "test", handler, {1024, perSecond, burst, 1 << 20, frameDeadlineSeconds, &clock}, addresses,
                   idleSeconds) {
        listener.open({"127.0.0.1", 0});
        loop = std::thread([this] { io.run(); });
    }
    ~ListenerOnClock() {
        io.stop();
        loop.join();
        listener.stop();  // the loop's thread is gone: safe from here
    }
    asio::io_context io;
    EchoHandler handler;
    AddressLimit addresses{100};
    TcpListener listener;
    std::thread loop;
};

// Counts what arrives until `quietMs` pass without a frame.
size_t countUntilQuiet(TestClient& client, int quietMs = 300) {
    size_t count = 0;
    while (client.receive(quietMs)) ++count;
    return count;
}

TEST(RequestBucketTest, LetsThroughExactlyTheRate) {
    struct Case {
        int64_t perSecond, burst, stepMs, durationMs;
    } cases[] = {{40, 120, 1, 10'000}, {10, 2, 7, 3'000}, {3, 5, 1, 1'000}, {1000, 1, 1, 500}};
    for (const Case& c : cases) {
        RequestBucket bucket(c.perSecond, c.burst, 0);
        int64_t taken = 0;
        for (int64_t t = 0; t <= c.durationMs; t += c.stepMs)
            while (bucket.take(t)) ++taken;
        const int64_t lastStep = c.durationMs / c.stepMs * c.stepMs;
        EXPECT_EQ(taken, c.burst + lastStep * c.perSecond / 1000) << c.perSecond << "/s burst " << c.burst;
    }
}

// A flood over loopback gets the burst, then exactly one message handled
// per token: none is handled before its token is there.
TEST(ListenerTest, AFloodGetsExactlyTheRateAndLosesNothing) {
    SteppedClock clock;
    ListenerOnClock server(clock, 10, 5, 30, 600);
    TestClient flooder(server.listener.port());
    for (int i = 0; i < 40; ++i) flooder.send(request(STILLALIVE));
    // The bucket holds at most 5, so the clock moves at most 500 ms at once
    // but for the long pause.
    const struct {
        int64_t advanceMs;
        size_t handled;
    } steps[] = {{0, 5}, {400, 4}, {400, 4}, {400, 4}, {250, 2}, {60'000, 5}, {500, 5}, {500, 5}, {500, 5}, {100, 1}};
    size_t total = 0;
    for (const auto& step : steps) {
        clock.advanceMs(step.advanceMs);
        const size_t handled = countUntilQuiet(flooder);
        EXPECT_EQ(handled, step.handled) << "after " << step.advanceMs << " ms more";
        total += handled;
    }
    EXPECT_EQ(total, 40u) << "nothing lost";
}

// A silent connection is closed after the idle time-out, and a frame whose
// first bytes came must be complete within its deadline even when its bytes
// keep trickling in; a client that sends whole frames stays.
TEST(ListenerTest, SilentAndTricklingConnectionsAreClosed) {
    SteppedClock clock;
    ListenerOnClock server(clock, 1000, 1000, 1, 3);
    TestClient silent(server.listener.port());
    TestClient trickler(server.listener.port());
    TestClient talker(server.listener.port());
    trickler.sendBytes({0, 0, 100});  // announces 100 bytes, sends one more per step
    int tricklerClosedAt = -1;
    int silentClosedAt = -1;
    const int steps = 20;  // 250 ms each: past both limits
    for (int step = 0; step < steps; ++step) {
        talker.send(request(STILLALIVE));
        ASSERT_TRUE(talker.receive()) << "the talker is served at step " << step;
        trickler.sendBytes({0x5B});
        if (tricklerClosedAt < 0 && trickler.closedByPeer(1)) tricklerClosedAt = step;
        if (silentClosedAt < 0 && silent.closedByPeer(1)) silentClosedAt = step;
        clock.advanceMs(250);
    }
    EXPECT_TRUE(tricklerClosedAt >= 0 || trickler.closedByPeer());
    EXPECT_TRUE(silentClosedAt >= 0 || silent.closedByPeer());
    // Never before its limit: a close seen at step n happened by n * 250 ms.
    if (tricklerClosedAt >= 0) {
        EXPECT_GT(tricklerClosedAt, 4);
    }
    if (silentClosedAt >= 0) {
        EXPECT_GT(silentClosedAt, 12);
    }
    talker.send(request(STILLALIVE));
    EXPECT_TRUE(talker.receive());
}

}  // namespace
}  // namespace tessary::server

namespace tessary::server {
namespace {

TEST(ServiceStart, ATakenPortIsNamedInTheError) {
    TempDir dir;
    asio::io_context io;
    EchoHandler handler;
    AddressLimit addresses(1);
    TcpListener taken(io, "other", handler, {1024, 1, 1, 1024}, addresses, 60);
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
