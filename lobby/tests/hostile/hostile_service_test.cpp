// The real TSClient program on an X display of its own (Xvfb) against a
// hostile Router and Arena on loopback: it logs in and joins the arena as a
// player would (keys and clicks through xdotool), then the Arena sends every
// message type the lobby's dispatch table names, broken in every way the wire
// allows, and a flood of chat. The program must stay alive, keep answering
// its window system (the window manager's ping) and its link (a PING comes
// back), and what it shows must stay bounded: every window inside the screen,
// titles short and free of control characters, a bounded number of windows.
// Runs in a network namespace of its own (run_isolated.sh): hostile host
// names are looked up and connected to, and must reach nothing outside.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../support/dist_app_directory.h"
#include "../support/lobby_process.h"
#include "hostile_messages.h"
#include "lobby/lobby_settings.h"
#include "protocol/codec.h"
#include "test_support.h"
#include "window_system.h"

namespace tessary::lobby {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using protocol::ServiceMessage;
using protocol::ValueList;
using protocol::testing::FramePeer;
using testing::DistAppDirectory;
using testing::LobbyProcess;
using testing::TopWindow;
using testing::WindowSystem;
using testing::waitUntil;
using Clock = std::chrono::steady_clock;

constexpr int kSendMs = 30'000;
// What a window of the lobby may be: the main window is 800 x 600.
constexpr size_t kMaxTitle = 80;
constexpr size_t kMaxWindows = 12;

ServiceMessage fromService(uint8_t type, uint8_t source, ValueList body = {}) {
    return protocol::testing::serviceMessage(type, source, protocol::kModulePlayer, std::move(body));
}

ServiceMessage success(uint8_t source, uint8_t request, std::optional<ValueList> data = std::nullopt) {
    ValueList body;
    body.appendInteger(request);
    if (data) body.appendList(*data);
    return fromService(protocol::TSSUCCESS, source, std::move(body));
}

bool send(FramePeer& peer, const ServiceMessage& message) { return peer.send(protocol::encode(message), kSendMs); }

// Reads what the lobby sends until a message of `type` comes; false after `limit`.
bool readUntil(FramePeer& peer, uint8_t type, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        const auto message = peer.readMessage(200);
        if (!message) continue;
        const auto* service = std::get_if<ServiceMessage>(&*message);
        if (service != nullptr && service->type == type) return true;
    }
    return false;
}

std::string describe(const std::vector<TopWindow>& windows) {
    std::string text;
    for (const auto& w : windows) {
        text += "\n  " + std::to_string(w.id) + (w.mapped ? " shown " : " hidden ") + std::to_string(w.width) + "x" +
                std::to_string(w.height) + " \"" + w.title.substr(0, 100) + "\"";
    }
    return text;
}

class HostileService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X display: run through run_isolated.sh";
        const char* dist = std::getenv("TESSARY_DIST");
        ASSERT_NE(dist, nullptr);
        std::string pattern = (fs::temp_directory_path() / "lobby-hostile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        directory = std::make_unique<DistAppDirectory>(dist, router.port());
        directory->copyProgram(dist, "TSClient");
        ASSERT_TRUE(LobbySettings((directory->root() / kSettingsFile).string()).writeUserInfo({"Mallory", "secret"}));
        lobby = std::make_unique<LobbyProcess>(*directory, folder, "xcb");
        ASSERT_TRUE(lobby->started());
    }

    void TearDown() override {
        lobby.reset();
        directory.reset();
        std::error_code ignored;
        if (!folder.empty()) fs::remove_all(folder, ignored);
    }

    void screenshot(const std::string& name) {
        const char* previews = std::getenv("TESSARY_PREVIEW_DIR");
        if (previews == nullptr) return;
        fs::create_directories(previews);
        (void)testing::runTool("import", {"-window", "root", (fs::path(previews) / (name + ".png")).string()});
    }

    // The login window takes Return; the Router stand-in lets Mallory in and
    // lists one arena.
    void logIn() {
        const auto loginWindow = x.waitForWindow(lobby->pid(), "TSClient - Login", 60s);
        ASSERT_TRUE(loginWindow) << describe(x.windowsOf(lobby->pid())) << lobby->log();
        ASSERT_TRUE(testing::xdotool({"windowfocus", "--sync", std::to_string(loginWindow->id)}));
        ASSERT_TRUE(testing::xdotool({"key", "Return"}));
        ASSERT_TRUE(router.accept(20'000)) << lobby->log();
        ASSERT_TRUE(readUntil(router, protocol::LOGIN, 20s)) << "no login";
        ASSERT_TRUE(send(router, success(protocol::kModuleRouter, protocol::LOGIN)));
        ValueList arenas, arena;
        arena.appendText("Den");
        arena.appendInteger(int32_t{3});
        arena.appendText("127.0.0.1");
        arena.appendInteger(int32_t{-1});
        arenas.appendList(arena);
        ASSERT_TRUE(send(router, fromService(protocol::SERVERSLIST, protocol::kModuleRouter, arenas)));

        main = x.waitForWindow(lobby->pid(), "TSClient - Mallory", 30s);
        ASSERT_TRUE(main) << describe(x.windowsOf(lobby->pid())) << lobby->log();
    }

    // A double click on the arena's row joins it.
    void joinTheArena() {
        // The first row of the arena list ("arena list" area at 605, 78).
        const std::string id = std::to_string(main->id);
        ASSERT_TRUE(testing::xdotool({"mousemove", "--window", id, "650", "86", "click", "--repeat", "2", "1"}));
        ASSERT_TRUE(readUntil(router, protocol::CONNECTIONREQUEST, 20s)) << "no join request";
        ValueList admission;
        admission.appendText("127.0.0.1");
        admission.appendInteger(int32_t(arenaPeer.port()));
        ASSERT_TRUE(send(router, success(protocol::kModuleRouter, protocol::CONNECTIONREQUEST, admission)));
        ASSERT_TRUE(arenaPeer.accept(20'000)) << lobby->log();
        ASSERT_TRUE(readUntil(arenaPeer, protocol::LOGINARENA, 20s)) << "no arena login";
        ASSERT_TRUE(send(arenaPeer, success(protocol::kModuleArena, protocol::LOGINARENA)));
    }

    // A PING on the link comes back: the poll still runs. The round trip.
    static std::optional<Clock::duration> wirePing(FramePeer& peer, std::chrono::milliseconds limit) {
        const auto sent = Clock::now();
        if (!send(peer, fromService(protocol::PING, protocol::kModuleArena))) return std::nullopt;
        if (!readUntil(peer, protocol::PING, limit)) return std::nullopt;
        return Clock::now() - sent;
    }

    // Every hostile message of the table and a chat flood from `peer`
    // (module `source`); then the program must answer its link and its window
    // system, and show only bounded windows. Returns the answers that move the
    // lobby elsewhere, which the caller sends when it wants.
    std::vector<testing::HostileMessage> floodAndCheck(FramePeer& peer, uint8_t source, const std::string& where) {
        const auto types = testing::lobbyMessageTypes();
        auto set = testing::hostileMessages(types, source);
        size_t sent = 0;
        const auto started = Clock::now();
        // A lobby that reads but hardly moves fails too.
        const auto floodDeadline = started + 300s;
        for (const auto& hostile : set.content) {
            EXPECT_TRUE(send(peer, hostile.message)) << "the lobby stopped reading at " << hostile.label;
            EXPECT_LT(Clock::now(), floodDeadline) << "the lobby reads too slowly, at " << hostile.label;
            // What the lobby sends meanwhile is read, so that neither side stalls.
            if (++sent % 25 == 0) (void)peer.receiveUntilQuiet(1);
            EXPECT_TRUE(lobby->running()) << "ended after " << hostile.label << "\n" << lobby->log();
            if (::testing::Test::HasFailure()) return {};
        }
        for (const auto& line : testing::chatFlood(5000, source)) {
            EXPECT_TRUE(send(peer, line));
            EXPECT_LT(Clock::now(), floodDeadline) << "the lobby reads the chat too slowly";
            if (::testing::Test::HasFailure()) return {};
            if (++sent % 250 == 0) (void)peer.receiveUntilQuiet(1);
        }
        const auto wire = wirePing(peer, 60s);
        EXPECT_TRUE(wire) << "no PING answer after the flood" << lobby->log();
        EXPECT_TRUE(lobby->running()) << lobby->log();
        const auto windowPing = slowestWindowPing(20);
        EXPECT_TRUE(windowPing) << "the lobby no longer answers its window system";
        if (::testing::Test::HasFailure()) return {};
        // With the backlog read, a PING waits for the next poll tick at most.
        Clock::duration slowestTick{0};
        for (int i = 0; i < 10; ++i) {
            const auto tick = wirePing(peer, 10s);
            EXPECT_TRUE(tick) << "the link stopped being polled";
            if (!tick) return {};
            slowestTick = std::max(slowestTick, *tick);
        }
        std::cout << "[ figures ] " << where << ": " << set.content.size() << " hostile messages of " << types.size()
                  << " types and 5000 chat lines in "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count()
                  << " ms; PING round trip after them "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(*wire).count()
                  << " ms; slowest of 10 PINGs then "
                  << std::chrono::duration_cast<std::chrono::microseconds>(slowestTick).count() / 1000.0
                  << " ms; slowest of 20 window-manager pings " << windowPing->count() / 1000.0 << " ms\n";
        expectBoundedDisplay("after the flood");
        screenshot("hostile_" + where + "_after");
        return std::move(set.flowChanging);
    }

    void expectEndsNormally() {
        const auto status = lobby->terminate();
        ASSERT_TRUE(status) << "did not end on SIGTERM";
        const std::string log = lobby->log();
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "status " << *status << ", the end of its output:\n"
            << log.substr(log.size() > 6000 ? log.size() - 6000 : 0);
    }

    // The window manager's ping, `count` times; the slowest answer.
    std::optional<std::chrono::microseconds> slowestWindowPing(int count) {
        std::chrono::microseconds slowest{0};
        for (int i = 0; i < count; ++i) {
            const auto answer = x.ping(main->id, 10s);
            if (!answer) return std::nullopt;
            slowest = std::max(slowest, *answer);
        }
        return slowest;
    }

    void expectBoundedDisplay(const std::string& when) {
        const auto windows = x.windowsOf(lobby->pid());
        size_t shown = 0;
        for (const auto& w : windows) {
            if (!w.mapped) continue;
            ++shown;
            EXPECT_LE(w.width, x.screenWidth()) << when << describe(windows);
            EXPECT_LE(w.height, x.screenHeight()) << when << describe(windows);
            EXPECT_LE(w.title.size(), kMaxTitle) << when << describe(windows);
            EXPECT_TRUE(std::none_of(w.title.begin(), w.title.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
                << when << describe(windows);
        }
        EXPECT_LE(shown, kMaxWindows) << when << describe(windows);
    }

    WindowSystem x;
    FramePeer router;
    FramePeer arenaPeer;
    fs::path folder;
    std::unique_ptr<DistAppDirectory> directory;
    std::unique_ptr<LobbyProcess> lobby;
    std::optional<TopWindow> main;
};

TEST_F(HostileService, InTheArenaEveryMessageBrokenLeavesTheLobbyAliveAnsweringAndBounded) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    ASSERT_NO_FATAL_FAILURE(joinTheArena());
    ASSERT_TRUE(wirePing(arenaPeer, 20s)) << "the arena link is not polled" << lobby->log();
    screenshot("hostile_arena_before");

    const auto flowChanging = floodAndCheck(arenaPeer, protocol::kModuleArena, "arena");
    ASSERT_FALSE(HasFailure());

    // Answers that move the lobby elsewhere come last; the link may end.
    for (const auto& hostile : flowChanging) {
        if (!send(arenaPeer, hostile.message)) break;
        (void)arenaPeer.receiveUntilQuiet(1);
    }
    ASSERT_TRUE(lobby->running()) << lobby->log();
    ASSERT_TRUE(x.ping(main->id, 10s)) << "the lobby no longer answers its window system";
    expectBoundedDisplay("after the answers");
    screenshot("hostile_end");
    expectEndsNormally();
}

// The same from the Router, while the router view (arena list, news,
// advertisements, own information) is shown.
TEST_F(HostileService, BeforeTheArenaEveryMessageBrokenLeavesTheLobbyAliveAnsweringAndBounded) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    (void)floodAndCheck(router, protocol::kModuleRouter, "router");
    ASSERT_FALSE(HasFailure());
    expectEndsNormally();
}

}  // namespace
}  // namespace tessary::lobby
