// Two real poker programs at one session of the reference service: each is
// started through the hand-off by its own lobby-side process under its own
// mailbox, registry and runtime folder (as two machines would be). Other
// members of the session watch what the tables send.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "log.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/testing/test_objects.h"
#include "poker/messages.h"
#include "server/storage.h"
#include "service_fixture.h"

namespace tessary::poker {
namespace {

namespace fs = std::filesystem;

using protocol::Bytes;
using protocol::RawMessage;
using server::Body;
using server::TestClient;

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One machine: a lobby-side process with its own mailbox, registry and
// runtime folder, and the poker program it starts.
struct Machine {
    std::string player;
    fs::path home;
    pid_t stub = 0;

    fs::path out() const { return home / "stub.out"; }
    std::string log() const { return readFile(out()); }
    pid_t pokerPid() const {
        std::istringstream in(log());
        for (std::string word; in >> word;) {
            if (word == "pid") {
                pid_t pid = 0;
                in >> pid;
                return pid;
            }
        }
        return 0;
    }
};

class PokerSession : public server::ServiceTest {
protected:
    void SetUp() override {
        // Every player and program here comes from 127.0.0.1, and the test
        // reads their lines: none may be folded.
        server::setLogSink(
            [this](std::string_view line) {
                std::lock_guard lock(logMutex_);
                log_ += std::string(line);
            },
            1'000'000);
        ServiceTest::SetUp();
    }
    void TearDown() override {
        for (Machine* m : {&ann_, &bob_}) {
            if (const pid_t poker = m->pokerPid(); poker > 0) kill(poker, SIGKILL);
            if (m->stub > 0) {
                kill(m->stub, SIGTERM);
                int status = 0;
                waitpid(m->stub, &status, 0);
                kill(-m->stub, SIGKILL);  // a game it started and nobody could name
            }
            platform::testing::removeShmObjects(mailboxPrefix(*m));
        }
        ServiceTest::TearDown();
        server::setLogSink({});
    }

    static std::string mailboxPrefix(const Machine& m) {
        return platform::testing::shmPrefix("poker-session-" + m.player + "-");
    }

    std::string serviceLog() {
        std::lock_guard lock(logMutex_);
        return log_;
    }

    bool logged(const std::string& text) {
        std::lock_guard lock(logMutex_);
        return log_.find(text) != std::string::npos;
    }

    void startMachine(Machine& m, uint16_t gamePort) {
        m.home = fs::path(dir.path()) / m.player;
        const fs::path lobbyDirectory = m.home / "lobby";
        fs::create_directories(lobbyDirectory);
        fs::permissions(m.home, fs::perms::owner_all);  // a runtime folder is private
        fs::create_symlink(fs::path(TESSARY_DIST_DIR) / "libTSGame.so", lobbyDirectory / "libTSGame.so");
        const std::string registry = (m.home / "registry.ini").string();
        ASSERT_TRUE(platform::Registry(registry).set("SOFTWARE\\Quillon\\Tessary Client", "Directory",
                                                     lobbyDirectory.string() + "/"));
        const std::pair<const char*, std::string> environment[] = {
            {"TESSARY_REGISTRY", registry},
            {"TESSARY_SHM_PREFIX", mailboxPrefix(m)},
            {"XDG_RUNTIME_DIR", m.home.string()},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"SDL_AUDIODRIVER", "dummy"},
            {"STUB_LIBRARY", std::string(TESSARY_DIST_DIR) + "/libTSClient.so"},
            {"STUB_NAME", m.player},
            {"STUB_LAUNCH", std::string(POKER_PROGRAM_PATH) + "|"},
            {"STUB_REPORT", "127.0.0.1"},
            {"STUB_SESSION", std::to_string(service->arenaPort(0))},
            {"STUB_ADDRESS", "127.0.0.1"},
            {"STUB_PORT", std::to_string(gamePort)},
            {"STUB_OUT", m.out().string()},
            {"STUB_LINGER_MS", "60000"},
        };
        for (const auto& [name, value] : environment) setenv(name, value.c_str(), 1);
        auto pid = platform::spawnProgram(LOBBY_STUB_PATH, {"poker_lobby_stub"});
        ASSERT_TRUE(pid);
        m.stub = *pid;
    }

    Machine ann_{"Ann", {}, 0};
    Machine bob_{"Bob", {}, 0};

private:
    std::mutex logMutex_;
    std::string log_;
};

// A member of the session that registers at the game server and records
// what the tables send it.
struct Probe {
    explicit Probe(uint16_t gamePort, const char* name) : link(gamePort) {
        Bytes registration{250};
        registration.resize(17, 0);
        std::memcpy(&registration[1], name, std::strlen(name));
        link.send(RawMessage{protocol::SENDTOSERVER, 0, 0, registration});
    }

    // Reads until `done` holds or `timeoutMs` has passed; says whether it holds.
    bool listen(int timeoutMs, const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done() && std::chrono::steady_clock::now() < end) {
            auto message = link.receive(100);
            if (!message || !std::holds_alternative<RawMessage>(*message)) continue;
            const RawMessage& m = std::get<RawMessage>(*message);
            if (m.payload.empty()) continue;
            const std::span<const uint8_t> body = std::span(m.payload).subspan(1);
            if (m.payload[0] == 243 && body.size() == 18) {
                ids[std::string(reinterpret_cast<const char*>(&body[2]))] = uint16_t(body[0] | body[1] << 8);
            } else if (m.payload[0] == kActionMessage) {
                if (auto action = decodeAction(body); action && action->code == ActionCode::Money) {
                    bankrolls[m.sender] = action->value;
                }
            } else if (m.payload[0] == kTurnMessage) {
                if (auto id = decodeTurn(body)) turns.push_back(*id);
            } else if (m.payload[0] == kTurnHolderMessage) {
                if (auto id = decodeTurn(body)) toldHolder.emplace_back(m.sender, *id);
            }
        }
        return done();
    }

    TestClient link;
    std::map<std::string, uint16_t> ids;  // from EVENT_NEWPLAYER
    std::map<uint16_t, int32_t> bankrolls;
    std::vector<uint16_t> turns;                            // who was given the turn, in order
    std::vector<std::pair<uint16_t, uint16_t>> toldHolder;  // (sender, holder) told to this newcomer
};

// Bob's table arrives after the master has taken the first turn and learns
// from him that he holds it; when the master leaves during that turn, Bob's
// table, now the master's, hands the turn on. Eve and Fay are members of the
// session that listen: Eve sees the first turn given before Bob comes, Fay
// comes after Bob, is told who holds the turn and sees it handed on.
TEST_F(PokerSession, ANewcomerLearnsWhoHoldsTheTurnAndTheHolderLeavingHandsItOn) {
    auto ann = enterArena("Ann");
    std::vector<std::unique_ptr<TestClient>> joiners;
    for (const char* name : {"Bob", "Eve", "Fay"}) joiners.push_back(enterArena(name));
    ann->send(server::request(protocol::CREATESESSION,
                              Body().text("Table").text("POKER").text("1.0").i32(0).i32(4).i32(0).text("").text("").i8(0),
                              protocol::kModuleArena));
    ASSERT_EQ(ann->waitAnswer(protocol::CREATESESSION)->type, protocol::TSSUCCESS);
    for (auto& joiner : joiners) {
        joiner->send(server::request(protocol::JOINSESSION, Body().text("Table").text("").text("1.0").i8(0),
                                     protocol::kModuleArena));
        ASSERT_EQ(joiner->waitAnswer(protocol::JOINSESSION)->type, protocol::TSSUCCESS);
    }
    ann->send(server::request(protocol::BEGINGAME, {}, protocol::kModuleArena));
    auto start = ann->waitFor(protocol::STARTGAME);
    ASSERT_TRUE(start);
    int32_t gamePort = 0;
    ASSERT_TRUE(start->body.readInteger(1, gamePort));

    // Ann's machine first: she is the first at the table, and the master. She
    // takes the first turn once her bankroll (the minimum of 250$, nothing
    // is stored yet) is known; Eve hears it given, or is told by Ann.
    startMachine(ann_, uint16_t(gamePort));
    ASSERT_TRUE(waitUntil([&] { return logged("Ann registered as"); }, 30000)) << ann_.log();
    EXPECT_NE(ann_.log().find("started 1"), std::string::npos) << ann_.log();
    auto eve = std::make_unique<Probe>(uint16_t(gamePort), "Eve");
    uint16_t annId = 0;
    const auto heardAnnsTurn = [&] {
        annId = eve->ids.count("Ann") ? eve->ids["Ann"] : 0;
        const bool told = !eve->toldHolder.empty() && eve->toldHolder.back() == std::pair(annId, annId);
        return annId != 0 && eve->bankrolls[annId] == 250 && (told || !eve->turns.empty());
    };
    ASSERT_TRUE(eve->listen(15000, heardAnnsTurn)) << ann_.log();
    for (uint16_t id : eve->turns) EXPECT_EQ(id, annId) << "only the master has had the turn";

    // Bob arrives during Ann's turn; so does Fay after him, who is told by
    // Ann that Ann holds it (no turn message was given since).
    startMachine(bob_, uint16_t(gamePort));
    ASSERT_TRUE(waitUntil([&] { return logged("Bob registered as"); }, 30000)) << bob_.log();
    Probe fay(uint16_t(gamePort), "Fay");
    uint16_t bobId = 0;
    ASSERT_TRUE(fay.listen(15000, [&] {
        bobId = fay.ids.count("Bob") ? fay.ids["Bob"] : 0;
        return bobId != 0 && fay.bankrolls.count(annId) && fay.bankrolls.count(bobId) && !fay.toldHolder.empty();
    })) << bob_.log();
    EXPECT_LT(annId, bobId);
    EXPECT_EQ(fay.bankrolls[annId], 250);
    EXPECT_EQ(fay.bankrolls[bobId], 250);
    EXPECT_EQ(fay.toldHolder, (std::vector<std::pair<uint16_t, uint16_t>>{{annId, annId}}));
    EXPECT_TRUE(fay.turns.empty());

    // Eve goes; Bob is now the first after Ann. Ann's lobby asks her table to
    // close during her turn: Bob's table must hand the turn on, to Bob
    // himself, the first one with money after her.
    eve.reset();
    ASSERT_TRUE(waitUntil([&] { return logged("Eve left"); }, 10000)) << serviceLog();
    ASSERT_TRUE(waitUntil([&] { return ann_.pokerPid() > 0; }, 10000)) << ann_.log();
    ASSERT_TRUE(platform::signalProgram(ann_.pokerPid(), SIGTERM));
    ASSERT_TRUE(fay.listen(15000, [&] { return !fay.turns.empty(); })) << "the turn was not handed on\n" << bob_.log();
    EXPECT_EQ(fay.turns.front(), bobId);

    // Ann's finish report reaches her lobby with the way back to the arena.
    EXPECT_TRUE(waitUntil([&] { return ann_.log().find("finished 127.0.0.1 " + std::to_string(service->arenaPort(0))) !=
                                       std::string::npos; },
                          10000))
        << ann_.log();
    // Bob's table stored Ann's bankroll as she left.
    auto storage = server::openSqliteStorage(service->config().databasePath);
    EXPECT_TRUE(waitUntil([&] { return storage->playerInfo("POKER", "Ann").has_value(); }, 5000));
    EXPECT_EQ(storage->playerInfo("POKER", "Ann"), encodeBankroll(250));
}

}  // namespace
}  // namespace tessary::poker
