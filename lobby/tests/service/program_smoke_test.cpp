// The real TSClient program, started from a copy of the built application
// directory with no display (offscreen), reaches its login window and ends
// normally on SIGTERM, the stand-in for a close request.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "../support/dist_app_directory.h"
#include "../support/lobby_process.h"

namespace tessary::lobby {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::DistAppDirectory;
using testing::LobbyProcess;
using testing::waitUntil;

constexpr const char* kProgram = "TSClient";

TEST(TSClientProgram, ReachesItsLoginWindowAndEndsNormallyOnSigterm) {
    const char* dist = std::getenv("TESSARY_DIST");
    ASSERT_NE(dist, nullptr);
    // Sounds on through a value the ending writes back as 1.
    DistAppDirectory directory(dist, 7000, 7);
    directory.copyProgram(dist, kProgram);
    std::string pattern = (fs::temp_directory_path() / "lobby-smoke-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> removeFolder(&folder, [](const fs::path* f) {
        std::error_code ignored;
        fs::remove_all(*f, ignored);
    });

    {
        LobbyProcess lobby(directory, folder);
        ASSERT_TRUE(lobby.started());
        // The registry entry is written during start-up, the shared block by
        // the main window's creation, which ends by showing the login window.
        ASSERT_TRUE(waitUntil([&] { return lobby.registeredDirectory() == directory.path(); }, 20s))
            << lobby.log();
        ASSERT_TRUE(waitUntil([&] { return lobby.hasSharedBlock(); }, 20s)) << lobby.log();
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(lobby.running()) << lobby.log();

        const auto status = lobby.terminate();
        ASSERT_TRUE(status.has_value()) << lobby.log();
        EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        // Only the normal ending writes the sound toggle back.
        EXPECT_EQ(directory.storedSound(), 1);
        // The last one out of the mailbox takes it away.
        EXPECT_FALSE(lobby.hasSharedBlock());
        EXPECT_FALSE(lobby.hasSharedMutex());
    }
}

}  // namespace
}  // namespace tessary::lobby
