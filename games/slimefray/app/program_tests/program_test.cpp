// The Slimefray program as the lobby's library starts it: "child" as argument
// 0, the game library found through the registry, SIGTERM to close it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

TEST(Program, RunsWithTheGameLibraryAndEndsOnSigterm) {
    fs::path root = fs::temp_directory_path() / ("slimefray_program_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);
    std::ofstream(root / "registry.ini") << "[SOFTWARE\\Quillon\\Tessary Client]\nDirectory=" << FAKE_TSGAME_DIR << "\n";

    std::vector<std::string> env{"TESSARY_REGISTRY=" + (root / "registry.ini").string(),
                                 "XDG_RUNTIME_DIR=" + (root / "runtime").string(), "QT_QPA_PLATFORM=offscreen",
                                 "SDL_AUDIODRIVER=dummy", "HOME=" + root.string()};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = SLIMEFRAY_PROGRAM;
    char child[] = "child";
    char* argv[] = {child, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    const fs::path record = root / "runtime" / "tessary" / "windows" / "Slimefray";
    bool appeared = false;
    for (int i = 0; i < 100 && !appeared; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        appeared = fs::exists(record);
    }
    EXPECT_TRUE(appeared);
    long recorded = 0;
    std::ifstream(record) >> recorded;
    EXPECT_EQ(recorded, pid);

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = -1;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!WIFEXITED(status)) ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(record));
    fs::remove_all(root);
}

}  // namespace
