// Shared set-up of the tests that go through libTSGame.so: the library bound
// once per process, and names (shared memory, registry file) of their own so
// that the tests never meet a real lobby or each other.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "game_api.h"
#include "platform/testing/test_objects.h"
#include "protocol/handoff.h"

namespace tessary::gamelib::testing {

inline GameApi& api() {
    static GameApi bound = [] {
        GameApi a;
        if (!a.bind(TSGAME_LIBRARY_PATH)) ADD_FAILURE() << "cannot bind " << TSGAME_LIBRARY_PATH << ": " << dlerror();
        return a;
    }();
    return bound;
}

inline constexpr const char* kGameName = "TESTGAME";

class LibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string tag = platform::testing::shmPrefix("gamelib-test-");
        setenv("TESSARY_SHM_PREFIX", tag.c_str(), 1);
        scratch() = std::filesystem::temp_directory_path() / tag;
        std::filesystem::create_directories(scratch());
        setenv("TESSARY_REGISTRY", (scratch() / "registry.ini").c_str(), 1);
    }
    static void TearDownTestSuite() {
        std::filesystem::remove_all(scratch());
        platform::testing::removeShmObjects(platform::SharedMemory::objectName("").substr(1));
    }
    void TearDown() override {
        (void)api().TS_Free();
        std::filesystem::remove(scratch() / "registry.ini");
    }

    static std::filesystem::path& scratch() {
        static std::filesystem::path path;
        return path;
    }

    // Polls `done` every 10 ms for at most `timeoutMs`.
    template <class Done>
    static bool waitUntil(Done done, int timeoutMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    // Ends a program this process started and collects it.
    static void endProgram(pid_t pid) {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
};

}  // namespace tessary::gamelib::testing
