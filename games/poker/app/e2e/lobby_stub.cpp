// The lobby's side of one machine, as the tests need it: through
// libTSClient.so's hand-off exports it announces the lobby, starts poker for
// one player of a session and waits for the finish report.
//
// Environment: STUB_LIBRARY (path of libTSClient.so), STUB_NAME, STUB_LAUNCH
// (launch line), STUB_REPORT, STUB_SESSION, STUB_ADDRESS, STUB_PORT (the
// start order), STUB_OUT (a file that receives "started N", "pid N" and
// "finished R1 R2 R3" lines), STUB_LINGER_MS (how long to wait, default
// 60000; SIGTERM ends sooner).
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "TSClient.h"
#include "platform/window_titles.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

std::string env(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

template <typename F>
F bind(void* library, const char* name) {
    return reinterpret_cast<F>(dlsym(library, name));
}

}  // namespace

int main() {
    // A process group of its own, which the game it starts joins: the test
    // ends both, whatever happened.
    setpgid(0, 0);
    std::signal(SIGTERM, requestStop);
    std::ofstream out(env("STUB_OUT"), std::ios::app);
    void* library = dlopen(env("STUB_LIBRARY").c_str(), RTLD_NOW);
    if (library == nullptr) {
        out << "no library " << dlerror() << std::endl;
        return 2;
    }
    auto initialize = bind<decltype(&TS_InitializeSharedMemory)>(library, "TS_InitializeSharedMemory");
    auto startGame = bind<decltype(&TS_StartGame)>(library, "TS_StartGame");
    auto isFinished = bind<decltype(&TS_IsGameFinished)>(library, "TS_IsGameFinished");
    auto release = bind<decltype(&TS_FreeSharedMemory)>(library, "TS_FreeSharedMemory");
    if (!initialize || !startGame || !isFinished || !release || initialize(int32_t(getpid())) != 1) {
        out << "no mailbox" << std::endl;
        return 2;
    }

    const int32_t started =
        startGame(env("STUB_NAME").c_str(), "POKER", "", env("STUB_LAUNCH").c_str(), env("STUB_REPORT").c_str(),
                  std::atoi(env("STUB_SESSION").c_str()), env("STUB_ADDRESS").c_str(),
                  std::atoi(env("STUB_PORT").c_str()));
    out << "started " << started << std::endl;

    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(env("STUB_LINGER_MS", "60000").c_str()));
    bool pidWritten = false;
    while (!stopRequested && std::chrono::steady_clock::now() < end) {
        if (!pidWritten) {
            if (const pid_t game = tessary::platform::findWindowByTitle("Tessary Poker"); game > 0) {
                out << "pid " << game << std::endl;
                pidWritten = true;
            }
        }
        char r1[1024] = {};
        char r3[1024] = {};
        int32_t r2 = 0;
        if (isFinished(r1, &r2, r3) == 1) {
            out << "finished " << r1 << " " << r2 << " " << r3 << std::endl;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    release();
    dlclose(library);
    return 0;
}
