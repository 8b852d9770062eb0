// The real Slimefray program against a hostile game server: well-framed
// messages of every type it reads, with wrong sizes and values, names with
// control characters and path separators, theme names that try to leave the
// theme folder, 2 MB payloads and chat at full speed. It stays alive, its
// engine keeps running, it writes nothing outside its own folder, and it
// still ends normally when the lobby asks (also from the error message some
// of these messages bring up on purpose).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_harness.h"
#include "slimefray/messages.h"

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;
using gamelib::testing::FakeGameServer;
using gamelib::testing::fromServer;
using gamelib::testing::newPlayerEvent;
using gamelib::testing::ProgramHarness;
using protocol::RawMessage;

// Everything in `root`, as relative paths.
std::vector<std::string> listing(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) names.push_back(entry.path().lexically_relative(root));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(HostileServer, SlimefrayStaysAliveAndBounded) {
    ProgramHarness harness("slimefray-hostile", TESSARY_DIST_DIR, FAKE_LOBBY_PATH);
    // The program works in its own folder (it writes theme names there): a copy.
    const fs::path game = harness.scratch() / "game" / "slimefray";
    fs::create_directories(game.parent_path());
    fs::copy(SLIMEFRAY_DIST_DIR, game, fs::copy_options::recursive);
    const auto before = listing(harness.scratch() / "game");

    FakeGameServer server;
    ASSERT_TRUE(server.ready());
    ASSERT_TRUE(harness.startLobby("SLIMEFRAY", "alice@report@77@127.0.0.1@" + std::to_string(server.port()) +
                                                    "@0 45 ../../escape ../../../etc/passwd 1"));
    ASSERT_TRUE(harness.startProgram((game / "Slimefray").string()));
    ASSERT_TRUE(server.accept(15000)) << "Slimefray did not connect";
    ASSERT_FALSE(harness.receiveUntil(server, [](const RawMessage& m) { return !m.payload.empty() && m.payload[0] == 250; },
                                      5000)
                     .empty());

    auto message = [](uint8_t type, Bytes body, uint16_t sender = 8) {
        body.insert(body.begin(), type);
        return fromServer(std::move(body), protocol::SENDTOOTHERPLAYERS, sender);
    };
    const Bytes huge(2'000'000, 0x41);
    const std::vector<RawMessage> events = {
        fromServer({249, 7, 0, 3, 0, 1, 0}),
        fromServer({249, 0, 0, 0, 0, 0, 0}),
        fromServer(newPlayerEvent(8, "\x01\x1b[31m\r\n\t\x7f")),
        fromServer(newPlayerEvent(9, "../../etc/passwd")),
        fromServer(newPlayerEvent(10, "a\\b/c:d*e?f<g>|")),
        fromServer(newPlayerEvent(11, "sixteen-bytes-no-nul")),
        fromServer({243, 12, 0}),
        fromServer({241, 7, 0}),  // we are the master: the map is read from the option line's name
        fromServer({241, 99, 0}),
        fromServer({242, 7, 0}),
        message(kThemeList, Bytes{'.', '.', '/', 'x', ' ', '.', '.', ' ', 'a', '/', 'b', ' ', '/', 'e', 't', 'c', ' ',
                                  'o', 'k', 0}),
        message(kMap, huge),
        message(kChat, huge),
    };
    for (const RawMessage& m : events) ASSERT_TRUE(server.send(m));
    Bytes chat = {0, 0, 0, 0};
    chat.insert(chat.end(), 200, 'z');
    chat.push_back(0);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(server.send(message(kChat, chat)));
        if (i % 500 == 0) (void)server.receiveRawUntilQuiet(1);
    }
    int status = 0;
    ASSERT_TRUE(harness.running(status)) << "Slimefray ended under the hostile stream: " << status;
    EXPECT_TRUE(harness.engineTicks(server, 10000)) << "the engine stopped";

    // Every type with wrong sizes and values. Some of them end the game on
    // purpose (a theme picture that does not decode, a map reported missing):
    // the program then shows its message and stops reading, so this part
    // comes last and stays small enough for the socket buffers.
    for (uint8_t type = 0; type <= 31; ++type) {
        for (size_t size : {size_t{0}, size_t{1}, size_t{4}, size_t{8}, size_t{12}, size_t{24}, size_t{600}}) {
            ASSERT_TRUE(server.send(message(type, Bytes(size, 0xFF))));
            ASSERT_TRUE(server.send(message(type, Bytes(size, 0x00), 7)));
            ASSERT_TRUE(server.send(message(type, Bytes(size, 0x7F))));
        }
    }
    (void)server.receiveRawUntilQuiet(500);
    ASSERT_TRUE(harness.running(status)) << "Slimefray ended under the hostile stream: " << status;
    // Asked to close, it ends normally, even from its error message.
    status = harness.closeProgram(20000);
    EXPECT_TRUE(WIFEXITED(status)) << status;

    // Only its own theme folder may have changed.
    std::vector<std::string> outsideThemes;
    for (const std::string& name : listing(harness.scratch() / "game"))
        if (name.rfind("slimefray/theme", 0) != 0) outsideThemes.push_back(name);
    std::vector<std::string> expected;
    for (const std::string& name : before)
        if (name.rfind("slimefray/theme", 0) != 0) expected.push_back(name);
    EXPECT_EQ(outsideThemes, expected);
}

}  // namespace
}  // namespace tessary::slimefray
