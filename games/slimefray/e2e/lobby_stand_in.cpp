// Stands in for the lobby on one "machine" of the end-to-end tests: opens the
// hand-off mailbox through libTSClient.so, starts the game with a start order
// as the lobby does, and waits for the game's finish report.
//   lobby_stand_in <libTSClient.so> <name> <game> <options> <launch line>
//                  <report name> <session> <server address> <server port>
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "TSClient.h"

int main(int argc, char** argv) {
    if (argc != 10) {
        std::fprintf(stderr, "lobby_stand_in: nine arguments expected\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW);
    if (!library) return 2;
    auto initialize = reinterpret_cast<decltype(&TS_InitializeSharedMemory)>(dlsym(library, "TS_InitializeSharedMemory"));
    auto startGame = reinterpret_cast<decltype(&TS_StartGame)>(dlsym(library, "TS_StartGame"));
    auto finished = reinterpret_cast<decltype(&TS_IsGameFinished)>(dlsym(library, "TS_IsGameFinished"));
    auto release = reinterpret_cast<decltype(&TS_FreeSharedMemory)>(dlsym(library, "TS_FreeSharedMemory"));
    if (!initialize || !startGame || !finished || !release) return 2;
    if (initialize(int32_t(getpid())) != 1) return 3;
    if (startGame(argv[2], argv[3], argv[4], argv[5], argv[6], std::atoi(argv[7]), argv[8], std::atoi(argv[9])) != 1) {
        release();
        return 4;
    }
    char r1[1024] = {}, r3[1024] = {};
    int32_t r2 = 0;
    for (int i = 0; i < 250 * 20; ++i) {
        if (finished(r1, &r2, r3) == 1) {
            std::printf("finished %s %d %s\n", r1, r2, r3);
            release();
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    release();
    return 5;
}
