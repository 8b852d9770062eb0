// A stand-in for the lobby in the mailbox tests: announces "TSClient" in the
// hand-off block, leaves a start order for a game, and writes what the game
// posts back (finish reports, close requests) to a file, one line each.
//
// Environment: FAKE_LOBBY_GAME (the game's name), FAKE_LOBBY_ORDER (start
// order text; none when unset), FAKE_LOBBY_OUT (file to append to),
// FAKE_LOBBY_LINGER_MS (how long to stay, default 5000; SIGTERM ends sooner),
// FAKE_LOBBY_AS (the name to announce, default "TSClient": another copy of a
// game can be played this way). SIGUSR1 asks for a "looked" line once the
// block has been read after the signal: a test learns that whatever the game
// posted before it would have been written by then.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "protocol/handoff.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
std::atomic<bool> lookRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void requestStop(int) { stopRequested = 1; }
void requestLook(int) { lookRequested = true; }

std::string env(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

}  // namespace

int main() {
    using namespace tessary::protocol;
    std::signal(SIGTERM, requestStop);
    std::signal(SIGUSR1, requestLook);
    const std::string game = env("FAKE_LOBBY_GAME");
    const std::string out = env("FAKE_LOBBY_OUT");
    const int lingerMs = std::atoi(env("FAKE_LOBBY_LINGER_MS", "5000").c_str());

    HandoffView view;
    if (!OpenHandoff(view, env("FAKE_LOBBY_AS", "TSClient"), uint32_t(getpid())) || !ClaimPresence(view)) return 2;
    if (const char* order = std::getenv("FAKE_LOBBY_ORDER")) PostRecord(view, HandoffChannel::StartOrder, game, order);

    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(lingerMs);
    while (!stopRequested && std::chrono::steady_clock::now() < end) {
        const bool look = lookRequested.exchange(false);
        std::ofstream log(out, std::ios::app);
        if (auto report = TakeRecord(view, HandoffChannel::FinishReport, game, kHandoffTextSize, true))
            log << "report:" << *report << "\n";
        if (TakeRecord(view, HandoffChannel::CloseRequest, game, kHandoffTextSize, true)) log << "close\n";
        if (look) log << "looked\n";
        log.close();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    CloseHandoff(view);
    return 0;
}
