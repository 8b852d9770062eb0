#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/named_mutex.h"
#include "platform/process.h"
#include "platform/window_titles.h"

namespace tessary::platform {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "tessary-process-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TemporaryFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readAll(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForExit(pid_t child) {
    for (int i = 0; i < 500; ++i) {
        if (reapIfExited(child)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(Process, AliveUntilExitedEvenBeforeReaping) {
    EXPECT_TRUE(processAlive(::getpid()));
    for (pid_t invalid : {0, -1, -12345}) EXPECT_FALSE(processAlive(invalid)) << invalid;

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    EXPECT_TRUE(processAlive(child));
    ::kill(child, SIGKILL);
    for (int i = 0; i < 200 && processAlive(child); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(processAlive(child)) << "a zombie is not alive";
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(processAlive(child));
}

TEST(Process, SignalsOnlyOneOtherProgram) {
    for (pid_t refused : {0, -1, 1, ::getpid()}) EXPECT_FALSE(signalProgram(refused, 0)) << refused;
}

TEST(Process, SpawnsWithTheGivenArgumentVectorAndACleanSignalState) {
    TemporaryFolder folder;
    const auto out = folder.path() / "out.txt";
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    const auto child = spawnProgram(
        "/bin/sh", {"child", "-c",
                    // The mask is read by a program the shell execs into: the shell's own
                    // mask changes for a moment while it forks.
                    "{ head -c 6 /proc/$$/cmdline | tr '\\0' '|'; echo \"$0|$1\"; } > \"$2\"; "
                    "exec grep SigBlk /proc/self/status >> \"$2\"",
                    "-a", "-b", out.string()});
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ASSERT_TRUE(child);
    ASSERT_TRUE(waitForExit(*child));
    EXPECT_EQ(readAll(out), "child|-a|-b\nSigBlk:\t0000000000000000\n");

    EXPECT_FALSE(spawnProgram((folder.path() / "missing").string(), {"child"}));
    EXPECT_TRUE(reapIfExited(::getpid() + 100000)) << "not our child: nothing to wait for";
}

class WindowTitles : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        saved_ = saved ? std::optional<std::string>(saved) : std::nullopt;
        ::setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    }
    void TearDown() override {
        saved_ ? (void)::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1) : (void)::unsetenv("XDG_RUNTIME_DIR");
    }
    TemporaryFolder folder_;
    std::optional<std::string> saved_;
};

TEST_F(WindowTitles, PublishedTitlesLeadToTheirProgram) {
    EXPECT_EQ(windowTitleDirectory(), folder_.path() / "tessary" / "windows");
    const std::string titles[] = {"Poker", "Slime/fray", "100% poker", ".", "..", "Poker table \xe9"};
    for (const auto& title : titles) {
        EXPECT_EQ(findWindowByTitle(title), 0) << title;
        ASSERT_TRUE(publishWindowTitle(title)) << title;
        EXPECT_EQ(findWindowByTitle(title), ::getpid()) << title;
    }
    EXPECT_EQ(findWindowByTitle("Slime"), 0);
    EXPECT_EQ(findWindowByTitle("Slime%2Ffray"), 0) << "titles do not collide with their escapes";
    for (const auto& title : titles) {
        withdrawWindowTitle(title);
        EXPECT_EQ(findWindowByTitle(title), 0) << title;
    }
    EXPECT_FALSE(publishWindowTitle(""));
}

TEST_F(WindowTitles, AnEntryOfAnExitedProgramFindsNothing) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(publishWindowTitle("Poker") ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(findWindowByTitle("Poker"), 0);
    withdrawWindowTitle("Poker");  // not ours: stays
    EXPECT_TRUE(fs::exists(windowTitleDirectory() / "Poker"));
}

TEST_F(WindowTitles, FallsBackToAFolderInTmp) {
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(windowTitleDirectory(), fs::path("/tmp/tessary-" + std::to_string(::getuid())) / "windows");
}

class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = SharedMemory::objectName("tessary-mutex-test-" + std::to_string(::getpid()));
        SharedMemory::remove(name_);
    }
    void TearDown() override { SharedMemory::remove(name_); }
    std::string name_;
};

TEST_F(NamedMutexTest, OneNameOneLock) {
    auto first = NamedMutex::open(name_);
    auto second = NamedMutex::open(name_);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->lock(std::chrono::milliseconds(10)), NamedMutex::LockResult::Locked);
    std::thread other([&] { EXPECT_EQ(second->lock(std::chrono::milliseconds(20)), NamedMutex::LockResult::TimedOut); });
    other.join();
    first->unlock();
    std::thread later([&] {
        const NamedMutex::Hold hold(*second, std::chrono::milliseconds(20));
        EXPECT_TRUE(hold.held());
    });
    later.join();
}

TEST_F(NamedMutexTest, AHolderThatDiesHandsTheLockOn) {
    auto mutex = NamedMutex::open(name_);
    ASSERT_TRUE(mutex);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto own = NamedMutex::open(name_);
        ::_exit(own && own->lock(std::chrono::milliseconds(100)) == NamedMutex::LockResult::Locked ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(mutex->lock(std::chrono::milliseconds(100)), NamedMutex::LockResult::LockedAfterOwnerDied);
    mutex->unlock();
    EXPECT_EQ(mutex->lock(std::chrono::milliseconds(100)), NamedMutex::LockResult::Locked);
    mutex->unlock();
}

TEST_F(NamedMutexTest, ASetUpLeftHalfDoneByADeadProcessIsRedone) {
    {
        auto memory = SharedMemory::openOrCreate(name_, 4096);
        ASSERT_TRUE(memory && memory->created());
        const uint32_t settingUp = 1;
        const int32_t deadPid = 0x3ffffff0;  // above any pid_max
        std::memcpy(memory->data(), &settingUp, 4);
        std::memcpy(memory->data() + 4, &deadPid, 4);
    }
    auto mutex = NamedMutex::open(name_, std::chrono::milliseconds(200));
    ASSERT_TRUE(mutex);
    EXPECT_EQ(mutex->lock(std::chrono::milliseconds(10)), NamedMutex::LockResult::Locked);
    mutex->unlock();
}

}  // namespace
}  // namespace tessary::platform
